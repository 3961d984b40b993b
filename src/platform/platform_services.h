#pragma once
// Process start, files and the working directory, over the Win32 API.
#include <string>

#include "platform/services.h"

namespace ft {

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

// The system's own words for an error code, in the user's language.
SystemError SystemErrorOf(unsigned long code);

// The working directory at whatever length it has.
std::wstring CurrentDirectory();

}  // namespace ft
