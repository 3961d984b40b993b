#include "platform/platform_services.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/tool_process.h"

namespace ft {
namespace {

std::wstring FirstToken(const std::wstring& commandLine) {
    const auto end = commandLine.find(L' ');
    return commandLine.substr(0, end);
}

// The program's full path in the system folder; nothing when that cannot be formed.
std::optional<std::wstring> SystemProgram(const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:\"") != std::wstring::npos) return std::nullopt;
    const UINT needed = GetSystemDirectoryW(nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring folder(needed, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    folder.resize(length);
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder + name;
}

}  // namespace

ToolStart Win32ProcessLauncher::StartTool(const std::wstring& commandLine) {
    const auto program = SystemProgram(FirstToken(commandLine));
    if (!program) {
        ToolStart start;
        start.noSystemFolder = true;
        return start;
    }
    return ToolProcess::Start(*program, commandLine);
}

void Win32ProcessLauncher::Open(const std::wstring& commandLine) {
    const auto program = SystemProgram(FirstToken(commandLine));
    if (!program) return;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    StartProcess(*program, commandLine, startup, false, 0);  // nothing is watched: its handles close at once
}

StartedProcess StartProcess(const std::wstring& program, const std::wstring& commandLine, STARTUPINFOW& startup,
                            bool inheritHandles, DWORD creationFlags) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION process{};
    StartedProcess started;
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, inheritHandles ? TRUE : FALSE, creationFlags,
                        nullptr, nullptr, &startup, &process)) {
        started.error = GetLastError();
        return started;
    }
    started.process.reset(process.hProcess);
    started.thread.reset(process.hThread);
    return started;
}

std::optional<SystemError> Win32FileSystem::Remove(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return std::nullopt;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    return SystemErrorOf(code);
}

bool Win32FileSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

SystemError SystemErrorOf(unsigned long code) {
    SystemError error{static_cast<std::uint32_t>(code), std::wstring()};
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (text) {
        error.text.assign(text, length);
        LocalFree(text);
    }
    return error;
}

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

}  // namespace ft
