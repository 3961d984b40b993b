#pragma once
// What became of one export command: the old files it could not delete and the runs of the
// registry tool it started. The result window polls the newest job from its own message loop
// until every run has ended, and shows the job's status line. Every export asked for is made
// or reported: the newest job goes on polling the older ones that had not ended, and reports
// their failures beside its own.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace ft {

inline constexpr wchar_t kExportRunningText[] = L"正在导出……";
inline constexpr wchar_t kExportDoneText[] = L"此文件类型已从注册表导出";
// A run of the registry tool that takes longer is ended and reported: a hung tool must not
// keep the exports that wait for it waiting for good.
inline constexpr std::chrono::seconds kToolTimeLimit{60};

// What the window says when the text editor cannot be started.
std::wstring EditorStartFailure(const SystemError& error);

class ExportJob {
public:
    // `files`: every file the job deletes or writes.
    ExportJob(ProcessLauncher& launcher, FileSystem& files, Clock& clock, std::vector<std::wstring> ownFiles)
        : launcher_(launcher), files_(files), clock_(clock), ownFiles_(std::move(ownFiles)) {}

    // Takes over the older job and the ones it still followed; call it before the steps below.
    // Until the older runs that delete or write one of this job's files have ended, this job
    // deletes and starts nothing, since such a run could write a file again after its deletion
    // and pass it off as this job's. Runs on other files are only followed, to their end.
    void Follow(const std::shared_ptr<ExportJob>& older);

    // Deletes an old export file; a failure is kept for the report and the export goes ahead.
    void RemoveOldFile(const std::wstring& path);
    // Starts the export of the HKEY_CLASSES_ROOT key `key` into `path`, without waiting.
    void StartExport(const std::wstring& key, const std::wstring& path);

    // Takes in what the tools did since the last call, without waiting; true when the status
    // line may have changed. A run that has ended is released at once; one that has run past
    // the time limit is ended. Once the older runs it waits for have ended, the deletions and
    // starts that waited for them happen here.
    bool Poll();
    // This job's or a followed one's runs are going on, or waiting to begin.
    bool Running() const;
    bool Failed() const;
    // While a run goes on, that it does; then the success text, or one line per failure; then
    // one line per failure of the followed jobs whose files no newer job makes again.
    std::wstring StatusText() const;

private:
    struct Run {
        std::wstring key;
        std::wstring path;
        std::unique_ptr<RunningTool> tool;
        std::chrono::steady_clock::time_point started;
        bool noSystemFolder = false;
        std::optional<SystemError> startError;
        std::optional<std::uint32_t> exitCode;
        std::wstring output;
        bool fileMissing = false;
        bool timedOut = false;
    };
    static std::optional<std::wstring> FailureOf(const Run& run);
    // This job's own, apart from the followed ones.
    std::vector<std::wstring> OwnFailureLines() const;
    // With those of the followed jobs whose files no newer job makes again.
    std::vector<std::wstring> FailureLines() const;
    bool OwnRunning() const;
    bool PollOwn();
    // Runs `step` now, or once the older runs of its files have ended.
    void WhenOlderRunsEnded(std::function<void()> step);

    ProcessLauncher& launcher_;
    FileSystem& files_;
    Clock& clock_;
    std::vector<std::wstring> ownFiles_;
    std::vector<std::shared_ptr<ExportJob>> followed_;  // older jobs not ended, oldest first
    std::vector<std::shared_ptr<ExportJob>> waitsFor_;  // those of them that touch this job's files
    bool superseded_ = false;  // a newer job makes this one's files again
    std::vector<std::function<void()>> waitingSteps_;
    std::vector<std::wstring> removeFailures_;
    std::vector<Run> runs_;
};

}  // namespace ft
