#pragma once
// What became of one export command: the old files it could not delete and the runs of the
// registry tool it started. The result window polls the job from its own message loop until
// every run has ended, and shows the job's status line.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace ft {

inline constexpr wchar_t kExportRunningText[] = L"正在导出……";
inline constexpr wchar_t kExportDoneText[] = L"此文件类型已从注册表导出";

class ExportJob {
public:
    ExportJob(ProcessLauncher& launcher, FileSystem& files) : launcher_(launcher), files_(files) {}

    // Deletes an old export file; a failure is kept for the report and the export goes ahead.
    void RemoveOldFile(const std::wstring& path);
    // Starts the export of the HKEY_CLASSES_ROOT key `key` into `path`, without waiting.
    void StartExport(const std::wstring& key, const std::wstring& path);

    // Takes in what the tools did since the last call, without waiting; true when the status
    // line may have changed. A run that has ended is released at once.
    bool Poll();
    bool Running() const;
    bool Failed() const;
    // While a run goes on, that it does; then the success text, or one line per failure.
    std::wstring StatusText() const;

private:
    struct Run {
        std::wstring key;
        std::wstring path;
        std::unique_ptr<RunningTool> tool;
        bool noSystemFolder = false;
        std::optional<SystemError> startError;
        std::optional<std::uint32_t> exitCode;
        std::wstring output;
        bool fileMissing = false;
    };
    static std::optional<std::wstring> FailureOf(const Run& run);

    ProcessLauncher& launcher_;
    FileSystem& files_;
    std::vector<std::wstring> removeFailures_;
    std::vector<Run> runs_;
};

}  // namespace ft
