#include "catalogue/export_job.h"

#include <algorithm>
#include <cwctype>

#include "catalogue/command_line.h"

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

void ExportJob::Follow(ExportJob& older) {
    older.waitingSteps_.clear();
    older.Poll();  // lets go of the runs that have ended
    for (auto& tool : older.olderRuns_) olderRuns_.push_back(std::move(tool));
    older.olderRuns_.clear();
    for (Run& run : older.runs_) {
        if (run.tool) olderRuns_.push_back(std::move(run.tool));
    }
}

void ExportJob::WhenOlderRunsEnded(std::function<void()> step) {
    if (olderRuns_.empty()) {
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
        Run run{key, path, std::move(start.tool)};
        if (!run.tool) {
            run.noSystemFolder = start.noSystemFolder;
            if (!start.noSystemFolder) run.startError = start.error;
        }
        runs_.push_back(std::move(run));
    });
}

bool ExportJob::Poll() {
    bool changed = false;
    if (!olderRuns_.empty()) {
        std::erase_if(olderRuns_, [](const auto& tool) { return tool->Poll().has_value(); });
        if (!olderRuns_.empty()) return false;
        for (const auto& step : waitingSteps_) step();
        waitingSteps_.clear();
        changed = true;
    }
    for (Run& run : runs_) {
        if (!run.tool) continue;
        const auto exitCode = run.tool->Poll();
        if (!exitCode) continue;
        run.exitCode = exitCode;
        run.output = run.tool->Output();
        run.tool.reset();
        run.fileMissing = *exitCode == 0 && !files_.FileExists(run.path);
        changed = true;
    }
    return changed;
}

bool ExportJob::Running() const {
    return !olderRuns_.empty() ||
           std::any_of(runs_.begin(), runs_.end(), [](const Run& run) { return run.tool != nullptr; });
}

bool ExportJob::Failed() const {
    return !removeFailures_.empty() ||
           std::any_of(runs_.begin(), runs_.end(), [](const Run& run) { return FailureOf(run).has_value(); });
}

std::optional<std::wstring> ExportJob::FailureOf(const Run& run) {
    std::wstring why;
    if (run.noSystemFolder) {
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
    std::wstring report;
    const auto addLine = [&report](const std::wstring& line) {
        if (!report.empty()) report += L"\r\n";
        report += line;
    };
    for (const auto& failure : removeFailures_) addLine(failure);
    for (const Run& run : runs_) {
        if (const auto failure = FailureOf(run)) addLine(*failure);
    }
    return report.empty() ? std::wstring(kExportDoneText) : report;
}

}  // namespace ft
