#include "platform/dpi.h"

#include <shellscalingapi.h>

#include "platform/unique_handle.h"

namespace ft {
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

}  // namespace

UINT SystemDpi() {
    static const auto forSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem) return forSystem();
    const int dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
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

int SystemMetric(int index, UINT dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

NONCLIENTMETRICSW NonClientMetrics(UINT dpi) {
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

RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&client, style, menu, exStyle, dpi)) AdjustWindowRectEx(&client, style, menu, exStyle);
    return client;
}

}  // namespace ft
