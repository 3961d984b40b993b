#include "catalogue/export_job.h"

#include <algorithm>
#include <cwctype>

#include "catalogue/command_line.h"
#include "registry/text.h"

namespace ft {
namespace {

// Long enough for any message of the tool, short enough that the window stays on the screen.
constexpr std::size_t kOutputChars = 400;

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The tool writes its message over several lines; the status line shows it as one sentence.
std::wstring OneLine(const std::wstring& text, std::size_t limit) {
    std::wstring line;
    bool blank = false;
    for (wchar_t c : text) {
        if (std::iswspace(static_cast<std::wint_t>(c)) || c < 0x20) {
            blank = !line.empty();
            continue;
        }
        if (blank) line.push_back(L' ');
        blank = false;
        line.push_back(c);
    }
    if (line.size() > limit) line = line.substr(0, limit) + L"…";
    return line;
}

std::wstring CodeText(std::uint32_t code) {
    if (code < 0x10000) return std::to_wstring(code);
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex = L"0x";
    for (int shift = 28; shift >= 0; shift -= 4) hex.push_back(digits[(code >> shift) & 0xF]);
    return hex;
}

std::wstring Explained(const SystemError& error) {
    const std::wstring words = OneLine(error.text, kOutputChars);
    const std::wstring code = L"错误代码 " + CodeText(error.code);
    return words.empty() ? code : words + L"（" + code + L"）";
}

}  // namespace

std::wstring EditorStartFailure(const SystemError& error) {
    return L"无法启动 " + std::wstring(kEditor) + L"：" + Explained(error);
}

void ExportJob::Follow(const std::shared_ptr<ExportJob>& older) {
    std::vector<std::shared_ptr<ExportJob>> jobs = std::move(older->followed_);
    older->followed_.clear();
    jobs.push_back(older);
    // A job that had ended by the last poll has been shown, as the newest or beside it; one
    // that ends in this poll is still to be.
    std::vector<std::shared_ptr<ExportJob>> going;
    for (auto& job : jobs) {
        if (job->OwnRunning()) going.push_back(std::move(job));
    }
    for (const auto& job : going) job->PollOwn();
    for (auto& job : going) {
        const bool sharesAFile = std::any_of(job->ownFiles_.begin(), job->ownFiles_.end(), [this](const auto& file) {
            return std::any_of(ownFiles_.begin(), ownFiles_.end(),
                               [&file](const auto& own) { return SameNameIgnoringCase(own, file); });
        });
        // This job makes the files of such a one again: its outcome is no longer worth a word.
        if (sharesAFile) {
            job->superseded_ = true;
            if (!job->OwnRunning()) continue;
            waitsFor_.push_back(job);
        }
        followed_.push_back(std::move(job));
    }
}

void ExportJob::WhenOlderRunsEnded(std::function<void()> step) {
    if (waitsFor_.empty()) {
        step();
    } else {
        waitingSteps_.push_back(std::move(step));
    }
}

void ExportJob::RemoveOldFile(const std::wstring& path) {
    WhenOlderRunsEnded([this, path] {
        if (const auto error = files_.Remove(path)) {
            removeFailures_.push_back(L"无法删除旧文件 " + FileName(path) + L"：" + Explained(*error));
        }
    });
}

void ExportJob::StartExport(const std::wstring& key, const std::wstring& path) {
    WhenOlderRunsEnded([this, key, path] {
        ToolStart start = launcher_.StartTool(RegExportCommandLine(key, path));
        Run run{key, path, std::move(start.tool), clock_.Now()};
        if (!run.tool) {
            run.noSystemFolder = start.noSystemFolder;
            if (!start.noSystemFolder) run.startError = start.error;
        }
        runs_.push_back(std::move(run));
    });
}

bool ExportJob::Poll() {
    bool changed = false;
    // Oldest first: a job whose older runs end in this poll begins in it too.
    for (const auto& job : followed_) changed = job->PollOwn() || changed;
    return PollOwn() || changed;
}

bool ExportJob::PollOwn() {
    bool changed = false;
    if (!waitsFor_.empty()) {
        std::erase_if(waitsFor_, [](const auto& job) { return !job->OwnRunning(); });
        if (!waitsFor_.empty()) return false;
        for (const auto& step : waitingSteps_) step();
        waitingSteps_.clear();
        changed = true;
    }
    for (Run& run : runs_) {
        if (!run.tool) continue;
        const auto exitCode = run.tool->Poll();
        if (!exitCode) {
            if (!run.timedOut && clock_.Now() - run.started >= kToolTimeLimit) {
                run.timedOut = true;
                run.tool->Stop();
            }
            continue;
        }
        run.exitCode = exitCode;
        run.output = run.tool->Output();
        run.tool.reset();
        run.fileMissing = !run.timedOut && *exitCode == 0 && !files_.FileExists(run.path);
        changed = true;
    }
    return changed;
}

bool ExportJob::OwnRunning() const {
    return !waitsFor_.empty() ||
           std::any_of(runs_.begin(), runs_.end(), [](const Run& run) { return run.tool != nullptr; });
}

bool ExportJob::Running() const {
    return OwnRunning() || std::any_of(followed_.begin(), followed_.end(), [](const auto& job) { return job->OwnRunning(); });
}

bool ExportJob::Failed() const { return !FailureLines().empty(); }

std::vector<std::wstring> ExportJob::FailureLines() const {
    std::vector<std::wstring> lines = OwnFailureLines();
    for (const auto& job : followed_) {
        if (job->superseded_) continue;
        for (auto& line : job->OwnFailureLines()) lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::wstring> ExportJob::OwnFailureLines() const {
    std::vector<std::wstring> lines = removeFailures_;
    for (const Run& run : runs_) {
        if (auto failure = FailureOf(run)) lines.push_back(std::move(*failure));
    }
    return lines;
}

std::optional<std::wstring> ExportJob::FailureOf(const Run& run) {
    std::wstring why;
    if (run.timedOut) {
        why = std::wstring(kRegTool) + L" 在 " + std::to_wstring(kToolTimeLimit.count()) + L" 秒内没有结束，已将它终止。";
    } else if (run.noSystemFolder) {
        why = L"找不到系统文件夹，没有启动 " + std::wstring(kRegTool) + L"。";
    } else if (run.startError) {
        why = L"无法启动 " + std::wstring(kRegTool) + L"：" + Explained(*run.startError);
    } else if (run.exitCode && *run.exitCode != 0) {
        const std::wstring said = OneLine(run.output, kOutputChars);
        why = std::wstring(kRegTool) + L" 的退出代码为 " + CodeText(*run.exitCode) + (said.empty() ? L"。" : L"：" + said);
    } else if (run.fileMissing) {
        why = std::wstring(kRegTool) + L" 已正常结束，但文件 " + FileName(run.path) + L" 不存在。";
    } else {
        return std::nullopt;
    }
    return L"HKEY_CLASSES_ROOT\\" + run.key + L" 导出失败：" + why;
}

std::wstring ExportJob::StatusText() const {
    if (Running()) return kExportRunningText;
    std::wstring report = OwnFailureLines().empty() ? std::wstring(kExportDoneText) : std::wstring();
    for (const auto& line : FailureLines()) {
        if (!report.empty()) report += L"\r\n";
        report += line;
    }
    return report;
}

}  // namespace ft
