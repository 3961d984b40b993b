#include "ui/common/tooltips.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/dpi.h"
#include "platform/unique_handle.h"
#include "ui/rules/tip_text.h"

namespace ft::ui {
namespace {

// What a tip keeps free to each edge of the monitor's work area, in pixels at 96 dpi.
constexpr int kTipGap = 4;
// A tooltip keeps at most 1,024 characters of its text, the terminating NUL included.
constexpr std::size_t kMaxTipChars = 1023;

}  // namespace

HWND CreateTooltips(HWND owner) {
    // Texts are shown as they are: an "&" in a registry value is no mnemonic.
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

void AddTooltip(HWND tooltips, HWND owner, int controlId, const wchar_t* text) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(owner, controlId));
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

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

}  // namespace ft::ui
