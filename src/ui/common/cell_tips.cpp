#include "ui/common/cell_tips.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/unique_handle.h"
#include "ui/common/layout.h"
#include "ui/rules/list_rules.h"

namespace ft::ui {
namespace {

// Pixels at 96 dpi: the room a cell keeps beside its text, and what a tip keeps free to each
// edge of the monitor's work area.
constexpr int kTextPadding = 12;
constexpr int kTipGap = 4;
// A tooltip keeps at most 1,024 characters of its text, the terminating NUL included.
constexpr std::size_t kMaxTipChars = 1023;

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

std::wstring FitTipToMonitor(HWND tooltip, POINT at, const std::wstring& text) {
    MONITORINFO monitor{sizeof(monitor)};
    if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) return text;
    // The tip's border and margins around its text, and a little room to the work area's edge.
    RECT frame{};
    SendMessageW(tooltip, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&frame));
    const int gap = MulDiv(kTipGap, static_cast<int>(MonitorDpi(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST))), 96);
    const RECT& work = monitor.rcWork;
    const int width = std::max(1, static_cast<int>(work.right - work.left - (frame.right - frame.left)) - 2 * gap);
    const int height = std::max(1, static_cast<int>(work.bottom - work.top - (frame.bottom - frame.top)) - 2 * gap);
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, width);
    const UniqueWindowDc windowDc = WindowDc(tooltip);
    const HDC dc = windowDc.get();
    if (!dc) return text;
    const UniqueSelection font = Select(dc, reinterpret_cast<HFONT>(SendMessageW(tooltip, WM_GETFONT, 0, 0)));
    // A tooltip wraps between words only: a word wider than a line gets line breaks of its own.
    const auto wrapped = [&](const std::wstring& candidate) {
        std::wstring out;
        for (std::size_t i = 0; i < candidate.size();) {
            const std::size_t end = std::min(candidate.find_first_of(L" \t\r\n", i), candidate.size());
            while (i < end) {
                int fit = 0;
                SIZE size{};
                const int length = static_cast<int>(end - i);
                GetTextExtentExPointW(dc, candidate.data() + i, length, width, &fit, nullptr, &size);
                fit = std::clamp(fit, 1, length);
                if (fit < length && fit > 1 && candidate[i + fit - 1] >= 0xD800 && candidate[i + fit - 1] <= 0xDBFF) --fit;
                out.append(candidate, i, static_cast<std::size_t>(fit));
                i += static_cast<std::size_t>(fit);
                if (i < end) out += L"\r\n";
            }
            if (end < candidate.size()) out.push_back(candidate[end]);
            i = end + 1;
        }
        return out;
    };
    const auto fits = [&](const std::wstring& candidate) {
        const std::wstring lines = wrapped(candidate);
        RECT box{0, 0, width, 0};
        DrawTextW(dc, lines.c_str(), static_cast<int>(lines.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return lines.size() <= kMaxTipChars && box.bottom - box.top <= height;
    };
    return wrapped(CutToFit(text, kMaxTipChars, fits));
}

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
    if (tip.text.empty()) return;
    const RECT cell = CellLabelRect(list_, row, column);
    const int needed = ListView_GetStringWidth(list_, tip.text.c_str()) + Scaled(kTextPadding, list_);
    if (!tip.always && needed <= cell.right - cell.left) return;
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list_, &at);
    const std::wstring text = FitTipToMonitor(tips_, at, tip.text);
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
