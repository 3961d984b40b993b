#include "ui/common/layout.h"

#include <commctrl.h>

#include "ui/rules/main_window_rules.h"

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

FontHandle CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics = NonClientMetrics(dpi);
    return FontHandle(CreateFontIndirectW(&metrics.lfMessageFont));
}

FontHandle CreateChineseFont(const wchar_t* face, int tenthsOfPoint, UINT dpi) {
    LOGFONTW font = NonClientMetrics(dpi).lfMessageFont;
    font.lfHeight = -MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720);
    font.lfWeight = FW_NORMAL;
    font.lfItalic = font.lfUnderline = font.lfStrikeOut = FALSE;
    font.lfCharSet = GB2312_CHARSET;
    const wchar_t* candidates[] = {face, L"SimSun", L"NSimSun", L"Microsoft YaHei", L"WenQuanYi Micro Hei"};
    for (const wchar_t* candidate : candidates) {
        if (FaceInstalled(candidate)) {
            lstrcpynW(font.lfFaceName, candidate, LF_FACESIZE);
            return FontHandle(CreateFontIndirectW(&font));
        }
    }
    font.lfCharSet = DEFAULT_CHARSET;  // keep the message font's face, which the system chose to show the UI language
    return FontHandle(CreateFontIndirectW(&font));
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

}  // namespace ft::ui
