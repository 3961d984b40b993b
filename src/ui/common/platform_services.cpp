#include "ui/common/platform_services.h"

#include <windows.h>

#include <vector>

namespace ft::ui {
namespace {

std::wstring FirstToken(const std::wstring& commandLine) {
    const auto end = commandLine.find(L' ');
    return commandLine.substr(0, end);
}

std::wstring SystemProgram(const std::wstring& name) {
    if (name.find_first_of(L"\\/:\"") != std::wstring::npos) return std::wstring();
    wchar_t folder[MAX_PATH] = {};
    for (const bool windowsFolder : {false, true}) {
        const UINT length = windowsFolder ? GetWindowsDirectoryW(folder, MAX_PATH) : GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) continue;
        std::wstring candidate = std::wstring(folder, length) + L"\\" + name;
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return std::wstring();
}

}  // namespace

bool Win32ProcessLauncher::Start(const std::wstring& commandLine, bool hidden) {
    const std::wstring program = SystemProgram(FirstToken(commandLine));
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                                        FALSE, hidden ? CREATE_NO_WINDOW : 0, nullptr, nullptr, &startup, &process);
    if (!started) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void Win32FileRemover::Remove(const std::wstring& path) { DeleteFileW(path.c_str()); }

std::wstring CurrentDirectory() {
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    while (needed > 0) {
        std::wstring buffer(needed, L'\0');
        const DWORD written = GetCurrentDirectoryW(needed, buffer.data());
        if (written < needed) {
            buffer.resize(written);
            return buffer;
        }
        needed = written;  // the directory changed in between and grew; ask again
    }
    return std::wstring();
}

}  // namespace ft::ui
