// The least work a start-up scan of HKEY_CLASSES_ROOT can do: walk every subkey by index
// and count them, and with --shell also ask the shell for each extension's type name and
// small system icon, as the program does per row. With --window (built as the windowed
// enum_floor_gui) it also creates a window before the scan, gives it the program's title
// afterwards and stays until it is closed, so that it is timed exactly as the program is:
// until the titled window exists. Under Wine the first window of a session also starts the
// desktop process, which every windowed program pays. With --yield the window is shown
// before the scan and pending window messages are handled after every extension, as the
// program's design asks of its scan. Its run time is the floor the program's start-up is
// compared with.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  bool shell = false;
  bool window = false;
  bool yield = false;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--shell") == 0) {
      shell = true;
    } else if (std::wcscmp(argv[i], L"--window") == 0) {
      window = true;
    } else if (std::wcscmp(argv[i], L"--yield") == 0) {
      window = yield = true;
    } else {
      std::fwprintf(stderr, L"usage: enum_floor [--shell] [--window] [--yield]\n");
      return 2;
    }
  }

  // SHGetFileInfo wants COM initialised on the calling thread, and the program does so: a
  // floor without it would skip work that the shell does for every query.
  if (shell) CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  HWND hwnd = nullptr;
  if (window) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_DESTROY) PostQuitMessage(0);
      return DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EnumFloorWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 500, 340,
                           nullptr, nullptr, wc.hInstance, nullptr);
    if (yield) ShowWindow(hwnd, SW_SHOW);
  }

  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);

  unsigned long keys = 0, extensions = 0, named = 0;
  wchar_t name[260];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name / sizeof name[0];
    LONG rc = RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // e.g. a name longer than the buffer: skip it
    ++keys;
    if (name[0] != L'.') continue;
    ++extensions;
    if (shell) {
      SHFILEINFOW info{};
      SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
      if (info.szTypeName[0] != L'\0') ++named;
    }
    if (yield) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  }

  QueryPerformanceCounter(&t1);
  if (hwnd) {
    const std::wstring title = L"本机文件类型数量：" + std::to_wstring(extensions) + L"个";
    SetWindowTextW(hwnd, title.c_str());
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }
  double ms = 1000.0 * double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
  std::printf("keys=%lu extensions=%lu", keys, extensions);
  if (shell) std::printf(" type_names=%lu", named);
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  std::printf(" scan_ms=%.1f peak_kb=%llu\n", ms, (unsigned long long)(pmc.PeakWorkingSetSize / 1024));
  return 0;
}
