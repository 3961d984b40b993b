#include "ui/common/layout.h"

#include <commctrl.h>

#include "ui/rules/twips.h"

namespace ft::ui {
namespace {

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(WindowDc(nullptr).get(), &query, &FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

int Px(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    RECT rect{0, 0, Px(clientWidthTwips, dpi), Px(clientHeightTwips, dpi)};
    rect = WindowRectForClient(rect, style, exStyle, menu, dpi);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

UniqueFont CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics = NonClientMetrics(dpi);
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueFont CreateChineseFont(const wchar_t* face, int tenthsOfPoint, UINT dpi) {
    LOGFONTW font = NonClientMetrics(dpi).lfMessageFont;
    font.lfHeight = -MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720);
    font.lfWeight = FW_NORMAL;
    font.lfItalic = font.lfUnderline = font.lfStrikeOut = FALSE;
    font.lfCharSet = GB2312_CHARSET;
    const wchar_t* candidates[] = {face, L"SimSun", L"NSimSun", L"Microsoft YaHei", L"WenQuanYi Micro Hei"};
    for (const wchar_t* candidate : candidates) {
        if (FaceInstalled(candidate)) {
            lstrcpynW(font.lfFaceName, candidate, LF_FACESIZE);
            return UniqueFont(CreateFontIndirectW(&font));
        }
    }
    font.lfCharSet = DEFAULT_CHARSET;  // keep the message font's face, which the system chose to show the UI language
    return UniqueFont(CreateFontIndirectW(&font));
}

void CreateControls(HWND parent, std::span<const ControlSpec> specs, UINT dpi, HFONT font) {
    for (const ControlSpec& spec : specs) {
        HWND control = CreateWindowExW(spec.exStyle, spec.className, spec.text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | spec.style,
                                       Px(spec.left, dpi), Px(spec.top, dpi), Px(spec.width, dpi),
                                       Px(spec.height, dpi), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                       GetModuleHandleW(nullptr), nullptr);
        if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void PlaceControls(HWND parent, std::span<const ControlSpec> specs, UINT dpi) {
    for (const ControlSpec& spec : specs) {
        SetWindowPos(GetDlgItem(parent, spec.id), nullptr, Px(spec.left, dpi), Px(spec.top, dpi), Px(spec.width, dpi),
                     Px(spec.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SetFontOf(HWND parent, std::span<const ControlSpec> specs, HFONT font) {
    for (const ControlSpec& spec : specs) {
        SendMessageW(GetDlgItem(parent, spec.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void CenterWindow(HWND hwnd, HWND over) {
    RECT window{};
    GetWindowRect(hwnd, &window);
    RECT area{};
    if (over && IsWindowVisible(over)) {
        GetWindowRect(over, &area);
    } else {
        MONITORINFO monitor{sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(over ? over : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplySuggestedRect(HWND hwnd, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ft::ui
