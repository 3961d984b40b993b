#pragma once
// Process start, files and the working directory, over the Win32 API.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/services.h"
#include "platform/unique_handle.h"

namespace ft {

class Win32ProcessLauncher : public ProcessLauncher {
public:
    // The program is the command line's first word ("reg.exe", "notepad.exe"), taken from the
    // system folder only.
    ToolStart StartTool(const std::wstring& commandLine) override;
    std::optional<SystemError> Open(const std::wstring& commandLine) override;
};

class Win32FileSystem : public FileSystem {
public:
    std::optional<SystemError> Remove(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    bool IsLocalFixedDrive(const std::wstring& root) override;
};

// A process that CreateProcessW started, or the error it gave (GetLastError's code).
struct StartedProcess {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD error = 0;
};
// Starts `program` with its whole command line, which is copied since the call may write to it.
StartedProcess StartProcess(const std::wstring& program, const std::wstring& commandLine, STARTUPINFOW& startup,
                            bool inheritHandles, DWORD creationFlags);

// What the verb rules look up. App Paths lies under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// outside the registry reader's HKEY_CLASSES_ROOT, so it is read here, directly.
class Win32ShellLookups : public ShellLookups {
public:
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    std::optional<std::wstring> IndirectString(const std::wstring& reference) override;
    std::optional<std::wstring> AppPath(const std::wstring& name) override;
    std::optional<std::wstring> FindOnSearchPath(const std::wstring& name) override;
};

// A text value under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, as stored (unexpanded); nothing
// when it is not there or not text.
std::optional<std::wstring> ReadTextValue(HKEY root, const std::wstring& keyPath, const wchar_t* valueName);

// The system's own words for an error code, in the user's language.
SystemError SystemErrorOf(unsigned long code);

// The working directory at whatever length it has.
std::wstring CurrentDirectory();

}  // namespace ft
