#pragma once
// Process start, file removal and the working directory, over the Win32 API.
#include <string>

#include "catalogue/views.h"

namespace ft::ui {

class Win32ProcessLauncher : public ProcessLauncher {
public:
    // A bare program name ("reg.exe", "notepad.exe") is taken from the system folders, never
    // from the working directory, where the export files and anything else may lie.
    bool Start(const std::wstring& commandLine, bool hidden) override;
};

class Win32FileRemover : public FileRemover {
public:
    void Remove(const std::wstring& path) override;
};

// The working directory at whatever length it has.
std::wstring CurrentDirectory();

}  // namespace ft::ui
