#include "ui/common/layout.h"

#include <commctrl.h>
#include <shellscalingapi.h>

#include "catalogue/main_window_rules.h"

namespace ft::ui {
namespace {

// Functions of newer systems, looked up at run time so the program still starts on Windows 7.
template <typename Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Windows 8.1 and later; shcore.dll is not loaded by default, and is absent on Windows 7.
template <typename Fn>
Fn ShcoreFunction(const char* name) {
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shcore, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &query, &FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

NONCLIENTMETRICSW MetricsAt(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                                static_cast<int>(SystemDpi()));
    }
    return metrics;
}

}  // namespace

UINT SystemDpi() {
    static const auto forSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem) return forSystem();
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

UINT MonitorDpi(HMONITOR monitor) {
    static const auto forMonitor = ShcoreFunction<GetDpiForMonitorFn>("GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    if (forMonitor && monitor && SUCCEEDED(forMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiY) return dpiY;
    return SystemDpi();
}

UINT DpiOf(HWND hwnd) {
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (!hwnd) return SystemDpi();
    if (!forWindow) return MonitorDpi(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
    const UINT dpi = forWindow(hwnd);
    return dpi ? dpi : SystemDpi();
}

HMONITOR MonitorUnder(HWND hwnd) {
    RECT window{};
    if (!hwnd || !GetWindowRect(hwnd, &window)) return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const POINT middle{window.left + (window.right - window.left) / 2, window.top + (window.bottom - window.top) / 2};
    return MonitorFromPoint(middle, MONITOR_DEFAULTTONEAREST);
}

int Px(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

int SystemMetric(int index, UINT dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    RECT rect{0, 0, Px(clientWidthTwips, dpi), Px(clientHeightTwips, dpi)};
    static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&rect, style, menu, exStyle, dpi)) AdjustWindowRectEx(&rect, style, menu, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

FontHandle CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics = MetricsAt(dpi);
    return FontHandle(CreateFontIndirectW(&metrics.lfMessageFont));
}

FontHandle CreateChineseFont(const wchar_t* face, int tenthsOfPoint, UINT dpi) {
    LOGFONTW font = MetricsAt(dpi).lfMessageFont;
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
