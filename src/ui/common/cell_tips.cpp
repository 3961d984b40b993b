#include "ui/common/cell_tips.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/unique_handle.h"
#include "ui/common/layout.h"
#include "ui/common/tooltips.h"

namespace ft::ui {
namespace {

// Pixels at 96 dpi: the room a cell keeps beside its text.
constexpr int kTextPadding = 12;

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

int TextWidth(HWND list, const CellTips::Tip& tip) {
    if (!tip.font) return ListView_GetStringWidth(list, tip.text.c_str());
    SIZE extent{};
    if (const UniqueWindowDc dc = WindowDc(list)) {
        const UniqueSelection font = Select(dc.get(), tip.font);
        GetTextExtentPoint32W(dc.get(), tip.text.c_str(), static_cast<int>(tip.text.size()), &extent);
    }
    return extent.cx;
}

}  // namespace

void CellTips::Attach(HWND list) {
    list_ = list;
    row_ = -1;
    column_ = -1;
    // Cell texts are shown as they are: an "&" in a verb's name is no mnemonic.
    tips_ = CreateTooltips(list);
}

void CellTips::OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                              const std::function<Tip(int row, int column)>& cellTip) {
    if (!tips_) return;
    if (message == WM_MOUSEMOVE) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // A move that the system makes up where the pointer rests (a window came or went) is
        // no reason to show a tip again.
        if (quietAt_ && quietAt_->x == hit.pt.x && quietAt_->y == hit.pt.y) return;
        quietAt_.reset();
        const int row = ListView_SubItemHitTest(list_, &hit);
        const int column = row >= 0 ? hit.iSubItem : -1;
        if (row != row_ || column != column_) {
            Forget();
            row_ = row;
            column_ = column;
            if (row >= 0) ShowFor(row, column, cellTip(row, column));
        }
    }
    // The cell's tool is in place before the tooltip sees the pointer move into it.
    const DWORD position = GetMessagePos();
    MSG relayed{list_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()),
                POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}};
    SendMessageW(tips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CellTips::ShowFor(int row, int column, const Tip& tip) {
    const RECT cell = CellLabelRect(list_, row, column);
    std::wstring whole;
    if (!tip.text.empty()) {
        const int needed = TextWidth(list_, tip) + Scaled(kTextPadding, list_);
        if (needed > cell.right - cell.left) whole = tip.text;
    }
    if (!tip.notes.empty()) whole += (whole.empty() ? L"" : L"\r\n") + tip.notes;
    if (whole.empty()) return;
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list_, &at);
    const std::wstring text = FitTipToMonitor(tips_, at, whole);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list_;
    tool.uId = ++toolId_;
    tool.rect = cell;
    // The first cell's tip shows over its picture too.
    if (RECT bounds{}; column == 0 && ListView_GetItemRect(list_, row, &bounds, LVIR_BOUNDS)) tool.rect.left = bounds.left;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps its own copy
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CellTips::Quiet() {
    Forget();
    POINT at{};
    if (GetCursorPos(&at) && ScreenToClient(list_, &at)) quietAt_ = at;
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
