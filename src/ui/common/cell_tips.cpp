#include "ui/common/cell_tips.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/common/layout.h"

namespace ft::ui {
namespace {

// Pixels at 96 dpi: the room a cell keeps beside its text, and the width past which a tip wraps.
constexpr int kTextPadding = 12;
constexpr int kMaxTipWidth = 600;

int Scaled(int pixelsAt96, HWND hwnd) { return MulDiv(pixelsAt96, static_cast<int>(DpiOf(hwnd)), 96); }

RECT CellLabelRect(HWND list, int row, int column) {
    RECT rect{};
    if (column == 0) {
        ListView_GetItemRect(list, row, &rect, LVIR_LABEL);
    } else {
        ListView_GetSubItemRect(list, row, column, LVIR_LABEL, &rect);
    }
    return rect;
}

}  // namespace

void CellTips::Attach(HWND list) {
    list_ = list;
    row_ = -1;
    column_ = -1;
    // Cell texts are shown as they are: an "&" in a verb's name is no mnemonic.
    tips_ = CreateTooltips(list, TTS_NOPREFIX);
    if (tips_) SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Scaled(kMaxTipWidth, list));
}

void CellTips::OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                              const std::function<std::wstring(int row, int column)>& cellText) {
    if (!tips_) return;
    if (message == WM_MOUSEMOVE) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const int row = ListView_SubItemHitTest(list_, &hit);
        const int column = row >= 0 ? hit.iSubItem : -1;
        if (row != row_ || column != column_) {
            Forget();
            row_ = row;
            column_ = column;
            if (row >= 0) ShowFor(row, column, cellText(row, column));
        }
    }
    // The cell's tool is in place before the tooltip sees the pointer move into it.
    const DWORD position = GetMessagePos();
    MSG relayed{list_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()),
                POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}};
    SendMessageW(tips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CellTips::ShowFor(int row, int column, const std::wstring& text) {
    if (text.empty()) return;
    const RECT cell = CellLabelRect(list_, row, column);
    const int needed = ListView_GetStringWidth(list_, text.c_str()) + Scaled(kTextPadding, list_);
    if (needed <= cell.right - cell.left) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list_;
    tool.uId = ++toolId_;
    tool.rect = cell;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps its own copy
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CellTips::Forget() {
    row_ = -1;
    column_ = -1;
    if (!tips_) return;
    SendMessageW(tips_, TTM_POP, 0, 0);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list_;
    tool.uId = toolId_;
    SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace ft::ui
