// Starts a program and reports how long it took, measured inside Wine so that the cost
// of starting this helper itself is left out.
//   launch_timer --exit EXE [ARGS...]
//       time until EXE exits
//   launch_timer --title CLASS PREFIX [--sort] EXE [ARGS...]
//       time until EXE has a top-level window of class CLASS whose title starts with
//       PREFIX; with --sort then also the time of a click on each column header of the
//       window's list view until the list is sorted by it; with --dpi N then the time the
//       window takes to handle a change to N dpi, and the change back; with --page then the
//       time of each page of the list, paged from its top to its bottom one Page Down at a time,
//       until the list has painted it; then the window is closed
// Before it starts EXE it waits until no window of CLASS with that title is left: under Wine
// a program that has closed its windows can linger for seconds, and a run that followed at
// once would find the old window. With LAUNCH_TIMER_MARK set it creates that file once the
// title is up and waits (up to 60 s) until the caller has removed it, so that the caller can
// read the process's memory from outside at that moment.
// Prints one line: "ms=<elapsed> exit=<code>", with --title also "peak_kb=<peak working
// set>" (a process that has exited can no longer be asked) and "stale_wait_ms=", with --sort
// "sort0_ms=... sort1_ms=... rows=<list rows>", with --dpi "dpi_ms=... dpi_back_ms=..." and with
// --page "pages=<count> page_median_ms=... page_worst_ms=...".
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring QuoteArg(const wchar_t* arg) {
  std::wstring s = arg;
  if (!s.empty() && s.find_first_of(L" \t\"") == std::wstring::npos) return s;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : s) {
    if (c == L'\\') {
      ++slashes;
    } else if (c == L'"') {
      out.append(slashes * 2 + 1, L'\\');
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  out += L'"';
  return out;
}

// WM_DPICHANGED as the system sends it, its suggested rectangle (the window's own, so that
// only the DPI changes) placed in the program's memory; the time until it was handled.
double TimeDpiChange(HANDLE process, HWND window, UINT dpi) {
  RECT suggested{};
  GetWindowRect(window, &suggested);
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T done = 0;
  if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, &done)) return -1;
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  DWORD_PTR result = 0;
  const bool ok = SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(remote), SMTO_NORMAL,
                                      600000, &result) != 0;
  QueryPerformanceCounter(&t1);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ok ? 1000.0 * double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart) : -1;
}

struct Search {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* prefix;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s->pid != 0 && pid != s->pid) return TRUE;
  wchar_t cls[256];
  if (!GetClassNameW(hwnd, cls, 256) || std::wcscmp(cls, s->cls) != 0) return TRUE;
  // Another process's title is read from the window manager, so this does not wait on
  // the program's (busy) message loop.
  wchar_t title[512];
  GetWindowTextW(hwnd, title, 512);
  if (std::wcsncmp(title, s->prefix, std::wcslen(s->prefix)) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return 1000.0 * double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// The header item's format flags, read through memory in the program's process.
int HeaderFormat(HANDLE process, HWND header, int column, void* remote) {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SIZE_T done = 0;
  if (!WriteProcessMemory(process, remote, &item, sizeof item, &done)) return -1;
  DWORD_PTR ok = 0;
  if (!SendMessageTimeoutW(header, HDM_GETITEMW, column, LPARAM(remote), SMTO_NORMAL, 600000, &ok) || !ok) return -1;
  if (!ReadProcessMemory(process, remote, &item, sizeof item, &done)) return -1;
  return item.fmt;
}

void ClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

// Clicks each column header of the list in `window` and times each click until the header
// shows the sort arrow it did not show before: the program sets the arrow once its sort has
// ended, and cannot answer the header message while it sorts.
bool TimeSorts(HANDLE process, HWND window, double ms[2], long* rows) {
  HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  if (!list) return false;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  *rows = long(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!header || !remote) return false;
  SetForegroundWindow(window);
  Sleep(300);
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  bool ok = true;
  for (int column = 0; column < 2 && ok; ++column) {
    RECT r{};
    SIZE_T done = 0;
    DWORD_PTR sent = 0;
    ok = WriteProcessMemory(process, remote, &r, sizeof r, &done) &&
         SendMessageTimeoutW(header, HDM_GETITEMRECT, column, LPARAM(remote), SMTO_NORMAL, 10000, &sent) &&
         ReadProcessMemory(process, remote, &r, sizeof r, &done);
    if (!ok) break;
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(header, &centre);
    const int before = HeaderFormat(process, header, column, remote) & (HDF_SORTUP | HDF_SORTDOWN);
    QueryPerformanceCounter(&t0);
    ClickAt(centre);
    for (;;) {
      const int now = HeaderFormat(process, header, column, remote);
      QueryPerformanceCounter(&t1);
      if (now < 0 || Ms(t0, t1, freq) > 600000) {
        ok = false;
        break;
      }
      if ((now & (HDF_SORTUP | HDF_SORTDOWN)) != 0 && (now & (HDF_SORTUP | HDF_SORTDOWN)) != before) break;
      Sleep(1);
    }
    ms[column] = Ms(t0, t1, freq);
    Sleep(600);  // past the double-click time, so that the next click is a click of its own
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ok;
}

// Pages the window's list from its top to its bottom, as Page Down does, and times each page
// until the list has painted it: what the list shows for the first time is worked out then.
bool TimePages(HWND window, std::vector<double>* pages) {
  HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  if (!list) return false;
  DWORD_PTR result = 0;
  const auto send = [&](UINT message, WPARAM w, LPARAM l) {
    return SendMessageTimeoutW(list, message, w, l, SMTO_NORMAL, 600000, &result) != 0;
  };
  if (!send(LVM_ENSUREVISIBLE, 0, FALSE)) return false;
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  if (!send(LVM_GETTOPINDEX, 0, 0)) return false;
  for (LRESULT top = LRESULT(result);;) {
    QueryPerformanceCounter(&t0);
    // The scroll leaves the new rows to paint; the redraw paints them before it returns.
    if (!send(WM_VSCROLL, SB_PAGEDOWN, 0)) return false;
    RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
    QueryPerformanceCounter(&t1);
    if (!send(LVM_GETTOPINDEX, 0, 0)) return false;
    if (LRESULT(result) == top) return true;  // nothing moved: the bottom
    top = LRESULT(result);
    pages->push_back(Ms(t0, t1, freq));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool title_mode = argc >= 5 && std::wcscmp(argv[1], L"--title") == 0;
  bool exit_mode = argc >= 3 && std::wcscmp(argv[1], L"--exit") == 0;
  if (!title_mode && !exit_mode) {
    std::fwprintf(stderr, L"usage: launch_timer --exit EXE [ARGS...]\n"
                          L"       launch_timer --title CLASS PREFIX EXE [ARGS...]\n");
    return 2;
  }
  int first = title_mode ? 4 : 2;
  bool sort_mode = false;
  bool page_mode = false;
  UINT dpi = 0;
  for (; title_mode && first < argc; ++first) {
    if (std::wcscmp(argv[first], L"--sort") == 0) {
      sort_mode = true;
    } else if (std::wcscmp(argv[first], L"--page") == 0) {
      page_mode = true;
    } else if (std::wcscmp(argv[first], L"--dpi") == 0 && first + 1 < argc) {
      dpi = UINT(_wtoi(argv[++first]));
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::fwprintf(stderr, L"launch_timer: no program given\n");
    return 2;
  }
  std::wstring cmd;
  for (int i = first; i < argc; ++i) {
    if (!cmd.empty()) cmd += L' ';
    cmd += QuoteArg(argv[i]);
  }

  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  double stale_wait_ms = 0;
  if (title_mode) {
    Search stale{0, argv[2], argv[3], nullptr};
    QueryPerformanceCounter(&t0);
    for (;;) {
      stale.found = nullptr;
      EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&stale));
      QueryPerformanceCounter(&t1);
      stale_wait_ms = Ms(t0, t1, freq);
      if (!stale.found || stale_wait_ms > 60000) break;
      Sleep(50);
    }
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceCounter(&t0);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fwprintf(stderr, L"cannot start %ls: error %lu\n", cmd.c_str(), GetLastError());
    return 3;
  }

  DWORD exit_code = 0;
  HWND found = nullptr;
  if (exit_mode) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&t1);
  } else {
    Search s{pi.dwProcessId, argv[2], argv[3], nullptr};
    for (;;) {
      EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&s));
      QueryPerformanceCounter(&t1);
      found = s.found;
      if (found) break;
      // Every look is a round trip to the wineserver, which the program needs for each of
      // its own registry and shell calls: looking every millisecond would slow it down.
      if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"the program exited before its window appeared\n");
        return 4;
      }
    }
  }

  if (const wchar_t* mark = _wgetenv(L"LAUNCH_TIMER_MARK"); mark && title_mode) {
    HANDLE file = CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      for (int waited = 0; waited < 60000 && GetFileAttributesW(mark) != INVALID_FILE_ATTRIBUTES; waited += 20) {
        Sleep(20);
      }
    }
  }
  double sort_ms[2] = {-1, -1};
  long rows = -1;
  if (sort_mode && !TimeSorts(pi.hProcess, found, sort_ms, &rows)) std::fwprintf(stderr, L"sorting could not be timed\n");
  double dpi_ms[2] = {-1, -1};
  if (dpi != 0) {
    HDC screen = GetDC(nullptr);
    const UINT was = UINT(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    dpi_ms[0] = TimeDpiChange(pi.hProcess, found, dpi);
    dpi_ms[1] = TimeDpiChange(pi.hProcess, found, was);
  }
  std::vector<double> pages;
  if (page_mode && !TimePages(found, &pages)) std::fwprintf(stderr, L"paging could not be timed\n");
  SIZE_T peak = 0;
  if (title_mode) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) peak = pmc.PeakWorkingSetSize;
    EnumWindows(
        [](HWND hwnd, LPARAM pid) -> BOOL {
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner == DWORD(pid)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
          return TRUE;
        },
        LPARAM(pi.dwProcessId));
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  }
  GetExitCodeProcess(pi.hProcess, &exit_code);
  std::printf("ms=%.1f", Ms(t0, t1, freq));
  if (title_mode) std::printf(" peak_kb=%llu stale_wait_ms=%.0f", (unsigned long long)(peak / 1024), stale_wait_ms);
  if (sort_mode) std::printf(" sort0_ms=%.1f sort1_ms=%.1f rows=%ld", sort_ms[0], sort_ms[1], rows);
  if (dpi != 0) std::printf(" dpi_ms=%.1f dpi_back_ms=%.1f", dpi_ms[0], dpi_ms[1]);
  if (page_mode && !pages.empty()) {
    std::sort(pages.begin(), pages.end());
    const size_t n = pages.size();
    const double median = n % 2 ? pages[n / 2] : (pages[n / 2 - 1] + pages[n / 2]) / 2;
    std::printf(" pages=%zu page_median_ms=%.2f page_worst_ms=%.2f", n, median, pages.back());
  }
  std::printf(" exit=%lu\n", exit_code);
  std::fflush(stdout);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
