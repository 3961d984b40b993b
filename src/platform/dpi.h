#pragma once
// The screen's DPI and the system metrics at a DPI, asked of whichever functions the running
// system has: per window (Windows 10), per monitor (Windows 8.1), else the system's one DPI.
#include <windows.h>

namespace ft {

// The window's DPI: its own where the system tracks DPI per window, else that of its monitor
// (Windows 8.1 and early 10), else the system DPI.
UINT DpiOf(HWND hwnd);
UINT SystemDpi();
// The DPI of a monitor, or the system DPI where the system has none per monitor.
UINT MonitorDpi(HMONITOR monitor);
// The monitor under the middle of the window; the primary monitor for no window.
HMONITOR MonitorUnder(HWND hwnd);
int SystemMetric(int index, UINT dpi);
// The fonts and sizes of window frames and menus at `dpi`.
NONCLIENTMETRICSW NonClientMetrics(UINT dpi);
// The window rectangle around a client rectangle, with frames measured at `dpi`.
RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, bool menu, UINT dpi);

}  // namespace ft
