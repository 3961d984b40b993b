#pragma once
// Process start, files and the working directory, over the Win32 API.
#include <string>

#include "catalogue/verb_rules.h"
#include "catalogue/views.h"

namespace ft::ui {

class Win32ProcessLauncher : public ProcessLauncher {
public:
    // The program is the command line's first word ("reg.exe", "notepad.exe"), taken from the
    // system folder only.
    ToolStart StartTool(const std::wstring& commandLine) override;
    void Open(const std::wstring& commandLine) override;
};

class Win32FileSystem : public FileSystem {
public:
    std::optional<SystemError> Remove(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
};

// What the verb rules look up. App Paths lies under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// outside the registry reader's HKEY_CLASSES_ROOT, so it is read here, directly.
class Win32ShellLookups : public ShellLookups {
public:
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    std::optional<std::wstring> IndirectString(const std::wstring& reference) override;
    bool FileExists(const std::wstring& path) override;
    std::optional<std::wstring> AppPath(const std::wstring& name) override;
    bool OnSearchPath(const std::wstring& name) override;
};

// The system's own words for an error code, in the user's language.
SystemError SystemErrorOf(unsigned long code);

// The working directory at whatever length it has.
std::wstring CurrentDirectory();

}  // namespace ft::ui
