#pragma once
// What the program asks of the system besides the registry: starting programs, files and the
// system's error texts. The Win32 implementations are beside this header; the unit tests use
// recording fakes.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ft {

// A failed system call: its error code and the system's own words for it.
struct SystemError {
    std::uint32_t code = 0;
    std::wstring text;
};

// A console tool running hidden, with what it writes to its output captured. Releasing it
// stops the watching and frees what watching it held; the tool itself runs on.
class RunningTool {
public:
    virtual ~RunningTool() = default;
    // Takes in what the tool has written since the last call, without waiting. Its exit code
    // once it has ended.
    virtual std::optional<std::uint32_t> Poll() = 0;
    // Everything it has written so far, as text.
    virtual std::wstring Output() const = 0;
    // Ends the tool without waiting; Poll gives its exit code once it has ended.
    virtual void Stop() = 0;
};

struct ToolStart {
    std::unique_ptr<RunningTool> tool;  // null when it was not started
    bool noSystemFolder = false;        // why not: its path in the system folder could not be formed,
    SystemError error;                  // or the system refused to start it
};

// Programs are started only from the system folder, never found through the search path:
// that would look in the working directory first, where the export files lie.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // A console tool, hidden, its output captured; returns at once.
    virtual ToolStart StartTool(const std::wstring& commandLine) = 0;
    // A program with its window shown normally; returns at once and nothing is watched.
    // Why it was not started, when it was not.
    virtual std::optional<SystemError> Open(const std::wstring& commandLine) = 0;
};

// The time that the runs of a tool are measured against; the tests turn it by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::steady_clock::time_point Now() = 0;
};

class SteadyClock : public Clock {
public:
    std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::now(); }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Deletes a file. A file that is not there is no error.
    virtual std::optional<SystemError> Remove(const std::wstring& path) = 0;
    // True when a file (not a folder) is at the path.
    virtual bool FileExists(const std::wstring& path) = 0;
    // Whether a drive root ("C:\") is a fixed drive of this machine, where a file check answers
    // at once: false for network, removable and optical drives and for a letter with no drive.
    virtual bool IsLocalFixedDrive(const std::wstring& root) = 0;
};

// What the explanation of a verb looks up besides files: environment references, indirect
// strings, and where the shell would find a program by its bare name.
class ShellLookups {
public:
    virtual ~ShellLookups() = default;
    // The text with its environment references expanded; unchanged when that cannot be done.
    virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
    // An indirect string ("@file,-id") resolved; nothing when it cannot be.
    virtual std::optional<std::wstring> IndirectString(const std::wstring& reference) = 0;
    // The full path registered under App Paths for a program name ("app.exe"), as stored.
    virtual std::optional<std::wstring> AppPath(const std::wstring& name) = 0;
    // The full path of a bare program name found in the system folder, the Windows folder or on
    // PATH; nothing when it is in none of them.
    virtual std::optional<std::wstring> FindOnSearchPath(const std::wstring& name) = 0;
};

// Which program opens an extension as the shell sees it beyond HKEY_CLASSES_ROOT: the system's
// own answer, the user's choice, and what a program file says of itself. Only read.
class AssociationLookups {
public:
    virtual ~AssociationLookups() = default;
    // The type (ProgID) the system opens files of the extension (".txt") with; nothing when it
    // gives no answer.
    virtual std::optional<std::wstring> CurrentDefault(const std::wstring& extension) = 0;
    // The type the user chose for the extension ("Open with", "Always"); nothing when none.
    virtual std::optional<std::wstring> UserChoice(const std::wstring& extension) = 0;
    // The description in the program file's version resource, in the user's language where the
    // file has it; nothing without one.
    virtual std::optional<std::wstring> FileDescription(const std::wstring& path) = 0;
};

}  // namespace ft
