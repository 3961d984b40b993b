// Starts a program and reports how long it took, measured inside Wine so that the cost
// of starting this helper itself is left out.
//   launch_timer --exit EXE [ARGS...]
//       time until EXE exits
//   launch_timer --title CLASS PREFIX EXE [ARGS...]
//       time until EXE has a top-level window of class CLASS whose title starts with
//       PREFIX; then the window is closed
// Prints one line: "ms=<elapsed> exit=<code>", with --title also "peak_kb=<peak working
// set>" (a process that has exited can no longer be asked).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

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
  if (pid != s->pid) return TRUE;
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
  std::wstring cmd;
  for (int i = first; i < argc; ++i) {
    if (!cmd.empty()) cmd += L' ';
    cmd += QuoteArg(argv[i]);
  }

  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceCounter(&t0);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fwprintf(stderr, L"cannot start %ls: error %lu\n", cmd.c_str(), GetLastError());
    return 3;
  }

  DWORD exit_code = 0;
  if (exit_mode) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&t1);
  } else {
    Search s{pi.dwProcessId, argv[2], argv[3], nullptr};
    for (;;) {
      EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&s));
      QueryPerformanceCounter(&t1);
      if (s.found) break;
      // Every look is a round trip to the wineserver, which the program needs for each of
      // its own registry and shell calls: looking every millisecond would slow it down.
      if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"the program exited before its window appeared\n");
        return 4;
      }
    }
  }

  SIZE_T peak = 0;
  if (title_mode) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) peak = pmc.PeakWorkingSetSize;
    // Let the caller read the process's memory figures before it goes.
    if (const wchar_t* hold = _wgetenv(L"LAUNCH_TIMER_HOLD_MS")) Sleep(DWORD(_wtoi(hold)));
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
  if (title_mode) std::printf(" peak_kb=%llu", (unsigned long long)(peak / 1024));
  std::printf(" exit=%lu\n", exit_code);
  std::fflush(stdout);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
