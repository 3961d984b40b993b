#pragma once
// Recording fakes of the windows and the platform services the catalogue talks to. Every
// view, the launcher and the file system append to one shared event log, so a test can check the
// order in which the catalogue touches them (label before bar, deletions before starts...).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/export_job.h"
#include "catalogue/file_type_catalogue.h"
#include "catalogue/views.h"
#include "platform/services.h"
#include "support/memory_registry.h"
#include "support/reg_file.h"

namespace ft::fakes {

class EventLog {
public:
    void Add(std::wstring event) { events_.push_back(std::move(event)); }
    const std::vector<std::wstring>& All() const { return events_; }
    void Clear() { events_.clear(); }
    // The events that start with `prefix`, in order.
    std::vector<std::wstring> With(std::wstring_view prefix) const {
        std::vector<std::wstring> found;
        std::copy_if(events_.begin(), events_.end(), std::back_inserter(found),
                     [&](const std::wstring& e) { return e.starts_with(prefix); });
        return found;
    }
    // Position of the first event equal to `event`, or -1.
    int IndexOf(std::wstring_view event) const {
        const auto it = std::find(events_.begin(), events_.end(), event);
        return it == events_.end() ? -1 : static_cast<int>(it - events_.begin());
    }

private:
    std::vector<std::wstring> events_;
};

inline std::wstring SlotText(std::optional<int> slot) { return slot ? std::to_wstring(*slot) : L"none"; }

// Answers from a table of names; any other name fails.
struct FakeShell : ShellInfoSource {
    ShellTypeInfo Query(const std::wstring& fileName) override {
        queries.push_back(fileName);
        if (throwing.count(fileName) != 0) throw std::runtime_error("shell query failed");
        if (throwingOther.count(fileName) != 0) throw 42;
        const auto it = answers.find(fileName);
        return it == answers.end() ? ShellTypeInfo{} : it->second;
    }
    void Answer(const std::wstring& fileName, std::wstring typeName, int iconIndex) {
        answers[fileName] = ShellTypeInfo{true, std::move(typeName), iconIndex};
    }
    std::map<std::wstring, ShellTypeInfo> answers;
    std::set<std::wstring> throwing;       // names whose query throws
    std::set<std::wstring> throwingOther;  // names whose query throws what is no std::exception
    std::vector<std::wstring> queries;
};

// Hands out increasing slots, one per capture; indexes in `failing` cannot be drawn.
struct FakeIconCapture : IconCapture {
    std::optional<int> Capture(int systemIconIndex) override {
        captured.push_back(systemIconIndex);
        if (failing.count(systemIconIndex) != 0) return std::nullopt;
        return nextSlot++;
    }
    int nextSlot = 100;
    std::set<int> failing;
    std::vector<int> captured;  // system icon indexes, in the order they were drawn
};

struct FakeMainView : MainView {
    explicit FakeMainView(EventLog& log) : log(log) {}
    void SetCaption(const std::wstring& text) override {
        caption = text;
        log.Add(L"main.caption " + text);
    }
    void SetVisible(bool visible) override { log.Add(visible ? L"main.visible 1" : L"main.visible 0"); }
    void SetBusyPointer(bool busy) override { log.Add(busy ? L"main.busy 1" : L"main.busy 0"); }
    bool ProcessPendingMessages() override {
        log.Add(L"main.yield");
        if (onYield) onYield();
        return !ending;
    }
    void Repaint() override { log.Add(L"main.repaint"); }
    EventLog& log;
    std::wstring caption;
    std::function<void()> onYield;  // what other handlers (or programs) do while the scan yields
    bool ending = false;            // the window is gone or the program was asked to quit
};

struct FakeFileList : FileListView {
    explicit FakeFileList(EventLog& log) : log(log) {}
    void RowAdded(const FileTypeRow& row) override {
        rows.push_back(row);
        log.Add(L"list.add " + row.extension + L"|" + row.typeName + L"|" + SlotText(row.iconSlot));
    }
    void SortRows() override { log.Add(L"list.sort"); }
    EventLog& log;
    std::vector<FileTypeRow> rows;
};

struct FakeProgress : ProgressView {
    explicit FakeProgress(EventLog& log) : log(log) {}
    void Show() override { log.Add(L"progress.show"); }
    void SetPercentText(const std::wstring& text) override { log.Add(L"progress.text " + text); }
    void SetBarValue(int value) override { log.Add(L"progress.bar " + std::to_wstring(value)); }
    void Close() override { log.Add(L"progress.close"); }
    EventLog& log;
};

// Keeps what a real properties window would show, besides logging every call.
struct FakeProperties : PropertiesView {
    struct Verb {
        std::wstring action;
        std::wstring command;
        bool operator==(const Verb&) const = default;
    };
    explicit FakeProperties(EventLog& log) : log(log) {}
    void SetText(Box box, const std::wstring& text) override {
        const int n = static_cast<int>(box) + 1;
        texts[n] = text;
        log.Add(L"props.text" + std::to_wstring(n) + L" " + text);
    }
    void SetTypeKeyNote(const std::wstring& text) override { typeKeyNote = text; }
    int VerbListWidth() override { return listWidth; }
    void SetVerbColumnWidths(int action, int command) override {
        log.Add(L"props.widths " + std::to_wstring(action) + L" " + std::to_wstring(command));
    }
    void ClearVerbs() override {
        verbs.clear();
        log.Add(L"props.clear");
    }
    void AddVerb(const VerbRow& row) override {
        verbs.push_back({row.action, row.command});
        rows.push_back(row);
        log.Add(L"props.verb " + row.action + L"|" + row.command);
    }
    void SetIcons(std::optional<int> slot) override {
        icons = slot;
        log.Add(L"props.icons " + SlotText(slot));
    }
    void Show() override { log.Add(L"props.show"); }
    std::wstring Text(int n) const { return texts.count(n) ? texts.at(n) : L"<unset>"; }

    EventLog& log;
    int listWidth = 400;
    std::map<int, std::wstring> texts;  // Text1..Text6
    std::wstring typeKeyNote;
    std::vector<Verb> verbs;
    std::vector<VerbRow> rows;
    std::optional<int> icons;
};

struct FakeExport : ExportView {
    explicit FakeExport(EventLog& log) : log(log) {}
    void SetPaths(const std::wstring& ext, const std::wstring& type) override {
        extPath = ext;
        typePath = type;
        log.Add(L"export.paths " + ext + L"|" + type);
    }
    void Watch(std::shared_ptr<ExportJob> watched) override {
        job = std::move(watched);
        log.Add(L"export.watch");
    }
    void Show() override { log.Add(L"export.show"); }
    // The status line as the window shows it after its next poll of the job.
    std::wstring Status() {
        job->Poll();
        return job->StatusText();
    }
    EventLog& log;
    std::wstring extPath = L"<unset>";
    std::wstring typePath = L"<unset>";
    std::shared_ptr<ExportJob> job;
};

// A tool run the test ends when it likes; it notes when the program lets go of it.
struct FakeTool : RunningTool {
    struct State {
        std::wstring commandLine;
        std::optional<std::uint32_t> exitCode;
        std::wstring output;
        bool released = false;
        bool stopped = false;
    };
    explicit FakeTool(std::shared_ptr<State> state) : state(std::move(state)) {}
    ~FakeTool() override { state->released = true; }
    std::optional<std::uint32_t> Poll() override { return state->exitCode; }
    std::wstring Output() const override { return state->output; }
    void Stop() override { state->stopped = true; }
    std::shared_ptr<State> state;
};

struct FakeLauncher : ProcessLauncher {
    explicit FakeLauncher(EventLog& log) : log(log) {}
    ToolStart StartTool(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        log.Add(L"launch(hidden) " + commandLine);
        ToolStart start;
        if (refusal) {
            start.noSystemFolder = refusal->code == 0;
            start.error = *refusal;
            return start;
        }
        tools.push_back(std::make_shared<FakeTool::State>(FakeTool::State{commandLine}));
        start.tool = std::make_unique<FakeTool>(tools.back());
        return start;
    }
    std::optional<SystemError> Open(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        log.Add(L"launch " + commandLine);
        return refusal;
    }
    EventLog& log;
    std::optional<SystemError> refusal;  // every start fails so; code 0: no system folder
    std::vector<std::wstring> started;
    std::vector<std::shared_ptr<FakeTool::State>> tools;
};

struct FakeFiles : FileSystem {
    explicit FakeFiles(EventLog& log) : log(log) {}
    std::optional<SystemError> Remove(const std::wstring& path) override {
        log.Add(L"remove " + path);
        const auto locked = undeletable.find(path);
        if (locked != undeletable.end()) return locked->second;
        existing.erase(path);
        return std::nullopt;
    }
    bool FileExists(const std::wstring& path) override {
        checked.push_back(path);
        return existing.count(path) != 0;
    }
    bool IsLocalFixedDrive(const std::wstring& root) override { return !otherDrives.contains(root); }
    EventLog& log;
    std::set<std::wstring> existing;
    std::set<std::wstring> otherDrives;  // roots ("D:\\") of network, removable and optical drives
    std::vector<std::wstring> checked;   // every path looked for
    std::map<std::wstring, SystemError> undeletable;
};

struct FakeClock : Clock {
    std::chrono::steady_clock::time_point Now() override { return now; }
    std::chrono::steady_clock::time_point now{};
};

// A machine of known variables, App Paths entries and indirect strings.
struct FakeLookups : ShellLookups {
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out = text;
        for (const auto& [name, value] : variables)
            if (const auto at = out.find(L"%" + name + L"%"); at != std::wstring::npos) out.replace(at, name.size() + 2, value);
        return out;
    }
    std::optional<std::wstring> IndirectString(const std::wstring& at) override { return Find(indirect, at); }
    std::optional<std::wstring> AppPath(const std::wstring& name) override { return Find(appPaths, name); }
    std::optional<std::wstring> FindOnSearchPath(const std::wstring& name) override { return Find(searchPath, name); }
    static std::optional<std::wstring> Find(const std::map<std::wstring, std::wstring>& map, const std::wstring& key) {
        return map.contains(key) ? std::optional(map.at(key)) : std::nullopt;
    }
    std::map<std::wstring, std::wstring> variables, indirect, appPaths, searchPath;
};

// The system's answers and the user's choices by extension, and the programs' descriptions.
struct FakeAssociations : AssociationLookups {
    std::optional<std::wstring> CurrentDefault(const std::wstring& ext) override { return FakeLookups::Find(system, ext); }
    std::optional<std::wstring> UserChoice(const std::wstring& ext) override { return FakeLookups::Find(choices, ext); }
    std::optional<std::wstring> FileDescription(const std::wstring& path) override {
        described.push_back(path);
        return FakeLookups::Find(descriptions, path);
    }
    std::map<std::wstring, std::wstring> system, choices, descriptions;
    std::vector<std::wstring> described;  // every file asked for its description
};

// Splits a command line as CommandLineToArgvW does: blanks separate arguments outside quotes;
// 2n backslashes and a quote give n backslashes and a quote that toggles quoting, 2n+1
// backslashes and a quote give n backslashes and a literal quote; other backslashes are literal.
// In a run of quotes every third is literal and ends quoting ("" inside quotes gives a quote);
// the C runtime since 2008 differs only there, keeping quoting on, and quoting that is read the
// same by both must never produce such a run. The program name follows the same rules here,
// which holds for the plain names the program starts.
inline std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    std::vector<std::wstring> args;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return args;
        std::wstring arg;
        int quotes = 0;  // 1 inside quotes
        while (i < line.size() && (quotes != 0 || !blank(line[i]))) {
            if (line[i] == L'\\') {
                std::size_t n = 0;
                for (; i < line.size() && line[i] == L'\\'; ++i) ++n;
                const bool quoteFollows = i < line.size() && line[i] == L'"';
                arg.append(quoteFollows ? n / 2 : n, L'\\');
                if (!quoteFollows) continue;
                if (n % 2 == 1) {
                    arg.push_back(L'"');
                } else {
                    ++quotes;
                }
                ++i;
            } else if (line[i] == L'"') {
                ++quotes;
                ++i;
            } else {
                arg.push_back(line[i++]);
                continue;
            }
            for (; i < line.size() && line[i] == L'"'; ++i) {
                if (++quotes == 3) {
                    arg.push_back(L'"');
                    quotes = 0;
                }
            }
            if (quotes == 2) quotes = 0;
        }
        args.push_back(std::move(arg));
    }
}

// Forwards to an in-memory registry and lets a test change that registry just before a
// call, as an installer running alongside the program would. `beforeCall` sees each call as
// "open PATH", "enum PATH #INDEX", "query PATH NAME" (@ for the default value) or
// "close PATH", PATH being the key's path from the root ("" for the root itself).
struct ChangingRegistry : Registry {
    explicit ChangingRegistry(MemoryRegistry& inner) : inner(inner) {}
    RegStatus OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) override {
        const std::wstring full = Join(PathOf(parent), path ? path : L"");
        Before(L"open " + full);
        const RegStatus status = inner.OpenKey(parent, path, opened);
        if (status == kRegSuccess) paths[*opened] = full;
        return status;
    }
    RegStatus EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) override {
        Before(L"enum " + PathOf(key) + L" #" + std::to_wstring(index));
        return inner.EnumKey(key, index, name, nameChars);
    }
    RegStatus QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* dataBytes) override {
        Before(L"query " + PathOf(key) + L" " + (valueName && *valueName ? valueName : L"@"));
        return inner.QueryValue(key, valueName, type, data, dataBytes);
    }
    RegStatus CloseKey(RegKey key) override {
        Before(L"close " + PathOf(key));
        paths.erase(key);
        return inner.CloseKey(key);
    }

    MemoryRegistry& inner;
    std::function<void(const std::wstring& call)> beforeCall;
    std::vector<std::wstring> calls;  // every call, in order

private:
    void Before(const std::wstring& call) {
        calls.push_back(call);
        if (beforeCall) beforeCall(call);
    }
    std::wstring PathOf(RegKey key) const {
        const auto it = paths.find(key);
        return it == paths.end() ? std::wstring() : it->second;
    }
    static std::wstring Join(const std::wstring& parent, const std::wstring& path) {
        return parent.empty() ? path : path.empty() ? parent : parent + L"\\" + path;
    }
    std::map<RegKey, std::wstring> paths;
};

// A catalogue wired to an in-memory registry and to all the fakes above. The catalogue reads
// the registry through `changing`, so a test can change it in the middle of a scan or lookup.
struct CatalogueRig {
    MemoryRegistry registry;
    ChangingRegistry changing{registry};
    EventLog log;
    FakeShell shell;
    FakeIconCapture capture;
    FakeMainView main{log};
    FakeFileList list{log};
    FakeProgress progress{log};
    FakeProperties properties{log};
    FakeExport exportView{log};
    FakeLauncher launcher{log};
    FakeFiles files{log};
    FakeLookups lookups;
    FakeAssociations associations;
    FakeClock clock;
    FileTypeCatalogue catalogue{CatalogueServices{changing, shell, capture, main, list, progress, properties, exportView,
                                                  launcher, files, lookups, associations, clock}};
};

// Loads registry-editor text (UTF-8 here, for readable tests) into `registry`.
inline void LoadReg(MemoryRegistry& registry, std::string_view text) {
    const std::string file = std::string("Windows Registry Editor Version 5.00\r\n\r\n") + std::string(text);
    LoadRegFile(std::vector<std::uint8_t>(file.begin(), file.end()), registry);
}

}  // namespace ft::fakes
