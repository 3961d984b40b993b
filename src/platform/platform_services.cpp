#include "platform/platform_services.h"

#include <windows.h>
#include <shlwapi.h>

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

std::optional<SystemError> Win32ProcessLauncher::Open(const std::wstring& commandLine) {
    const auto program = SystemProgram(FirstToken(commandLine));
    if (!program) return SystemErrorOf(ERROR_PATH_NOT_FOUND);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    // The editor inherits no handle: it may stay open for hours, and must hold no tool's pipe.
    // Nothing is watched: its handles close at once.
    const StartedProcess started = StartProcess(*program, commandLine, startup, false, 0);
    if (!started.process) return SystemErrorOf(started.error);
    return std::nullopt;
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

bool Win32FileSystem::IsLocalFixedDrive(const std::wstring& root) {
    // A mapped network drive that is gone can keep a file check waiting, and a removable drive
    // without media can ask for a disk: only fixed drives are looked at.
    return GetDriveTypeW(root.c_str()) == DRIVE_FIXED;
}

std::wstring Win32ShellLookups::ExpandEnvironment(const std::wstring& text) {
    // The system expands at most 32K characters; a longer text is shown as it is stored.
    if (text.find(L'%') == std::wstring::npos || text.size() >= 32 * 1024) return text;
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

std::optional<std::wstring> Win32ShellLookups::IndirectString(const std::wstring& reference) {
    std::wstring text(1024, L'\0');
    if (SHLoadIndirectString(reference.c_str(), text.data(), static_cast<UINT>(text.size()), nullptr) != S_OK) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<std::wstring> Win32ShellLookups::AppPath(const std::wstring& name) {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        // Stored as it is: the rules expand it.
        if (auto path = ReadTextValue(root, key, nullptr)) return path;
    }
    return std::nullopt;
}

std::optional<std::wstring> ReadTextValue(HKEY root, const std::wstring& keyPath, const wchar_t* valueName) {
    constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD bytes = 0;
    if (RegGetValueW(root, keyPath.c_str(), valueName, kText, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(root, keyPath.c_str(), valueName, kText, nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<std::wstring> Win32ShellLookups::FindOnSearchPath(const std::wstring& name) {
    // Where the shell looks for a bare name besides App Paths: the Windows folder, the system
    // folder and PATH. Not the working directory: the shell's is not this program's.
    wchar_t folder[MAX_PATH] = {};
    std::wstring folders;
    if (const UINT n = GetSystemDirectoryW(folder, MAX_PATH); n > 0 && n < MAX_PATH) folders.append(folder, n);
    if (const UINT n = GetWindowsDirectoryW(folder, MAX_PATH); n > 0 && n < MAX_PATH) folders.append(L";").append(folder, n);
    if (const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0); n > 0) {
        std::wstring path(n, L'\0');
        const DWORD written = GetEnvironmentVariableW(L"PATH", path.data(), n);
        if (written > 0 && written < n) folders.append(L";").append(path.c_str(), written);
    }
    DWORD needed = SearchPathW(folders.c_str(), name.c_str(), L".exe", 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::wstring found(needed, L'\0');
    needed = SearchPathW(folders.c_str(), name.c_str(), L".exe", needed, found.data(), nullptr);
    if (needed == 0 || needed >= found.size()) return std::nullopt;
    found.resize(needed);
    return found;
}

SystemError SystemErrorOf(unsigned long code) {
    SystemError error{static_cast<std::uint32_t>(code), std::wstring()};
    UniqueLocal text;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
    if (text) error.text.assign(static_cast<const wchar_t*>(text.get()), length);
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
