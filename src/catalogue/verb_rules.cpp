#include "catalogue/verb_rules.h"

#include "registry/text.h"

namespace ft {
namespace {

// An unquoted path may run on past its blanks ("C:\Program Files\App\app.exe %1"): the system
// tries each blank in turn as the end of the program's name. Paths with more blanks than this
// are rare; the bound keeps a long command line from costing a file check per word.
constexpr int kMaxBlankTries = 8;

std::wstring_view Trimmed(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool IsBareName(std::wstring_view path) { return path.find_first_of(L"\\/:") == std::wstring_view::npos; }

bool IsDrivePath(std::wstring_view path) {
    const bool letter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return letter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

bool HasExtension(std::wstring_view path) {
    const auto name = path.find_last_of(L"\\/:");
    return path.find(L'.', name == std::wstring_view::npos ? 0 : name + 1) != std::wstring_view::npos;
}

// As the system starts a program: a name without extension is tried with ".exe".
bool ProgramFileExists(const std::wstring& path, FileSystem& files) {
    return files.FileExists(path) || (!HasExtension(path) && files.FileExists(path + L".exe"));
}

bool BareNameFound(const std::wstring& name, ShellLookups& lookups, FileSystem& files) {
    if (lookups.OnSearchPath(name)) return true;
    const auto registered = lookups.AppPath(HasExtension(name) ? name : name + L".exe");
    if (!registered) return false;
    std::wstring path(Trimmed(lookups.ExpandEnvironment(*registered)));
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return !path.empty() && files.FileExists(path);
}

// The names the command line's program may have, the likeliest first.
std::vector<std::wstring> ProgramCandidates(std::wstring_view line) {
    line = Trimmed(line);
    if (line.empty()) return {};
    if (line.front() == L'"') {
        const auto end = line.find(L'"', 1);
        return {std::wstring(line.substr(1, end == std::wstring_view::npos ? std::wstring_view::npos : end - 1))};
    }
    std::vector<std::wstring> candidates;
    std::size_t end = 0;
    for (int tries = 0; tries < kMaxBlankTries; ++tries) {
        end = line.find_first_of(L" \t", end);
        const std::wstring_view candidate = line.substr(0, end);
        if (candidate.find(L'"') != std::wstring_view::npos) break;
        candidates.emplace_back(candidate);
        if (end == std::wstring_view::npos) break;
        ++end;
    }
    return candidates;
}

}  // namespace

std::optional<std::size_t> DefaultVerbIndex(std::wstring_view shellDefault, const std::vector<std::wstring>& verbNames) {
    if (verbNames.empty()) return std::nullopt;
    const auto find = [&](std::wstring_view name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < verbNames.size(); ++i)
            if (SameNameIgnoringCase(verbNames[i], name)) return i;
        return std::nullopt;
    };
    while (!shellDefault.empty()) {
        const auto comma = shellDefault.find(L',');
        const std::wstring_view name = Trimmed(shellDefault.substr(0, comma));
        if (!name.empty())
            if (const auto found = find(name)) return found;
        if (comma == std::wstring_view::npos) break;
        shellDefault.remove_prefix(comma + 1);
    }
    return find(L"open").value_or(0);
}

std::wstring WithoutMenuMarkers(std::wstring_view text) {
    std::wstring plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            plain.push_back(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == L'&') {
            plain.push_back(L'&');
            ++i;
        }
    }
    return plain;
}

std::optional<std::wstring> MissingProgram(const std::wstring& expandedCommand, ShellLookups& lookups, FileSystem& files) {
    const std::vector<std::wstring> candidates = ProgramCandidates(expandedCommand);
    // "%1" and its kin, or a variable that did not expand: no program of the line's own.
    if (candidates.empty() || candidates.front().empty() || candidates.front().front() == L'%') return std::nullopt;
    const std::wstring& first = candidates.front();
    if (IsBareName(first)) {
        if (BareNameFound(first, lookups, files)) return std::nullopt;
        return first;
    }
    // Network paths can keep the window waiting for a server; relative paths depend on the
    // folder the shell starts in. Neither is looked for.
    if (!IsDrivePath(first)) return std::nullopt;
    for (const std::wstring& candidate : candidates)
        if (ProgramFileExists(candidate, files)) return std::nullopt;
    for (const std::wstring& candidate : candidates)
        if (HasExtension(candidate)) return candidate;
    return first;
}

VerbExplanation ExplainVerb(const VerbFacts& verb, bool isDefault, ShellLookups& lookups, FileSystem& files) {
    VerbExplanation explained;
    std::wstring shown = !verb.muiVerb.empty() ? verb.muiVerb : (!verb.action.empty() ? verb.action : verb.name);
    if (shown.starts_with(L'@')) {
        if (auto resolved = lookups.IndirectString(shown)) shown = std::move(*resolved);
    }
    std::wstring& text = explained.text;
    text = L"菜单中显示为：" + WithoutMenuMarkers(shown);
    if (isDefault) text += L"（默认动作）";
    const std::wstring command = verb.command.empty() ? std::wstring() : lookups.ExpandEnvironment(verb.command);
    if (!command.empty()) text += L"\r\n命令行：" + command;
    if (verb.delegateExecute) text += L"\r\n由 DelegateExecute 处理，不用命令行：" + *verb.delegateExecute;
    if (verb.legacyDisable) text += L"\r\n菜单中不显示（LegacyDisable）";
    if (verb.programmaticAccessOnly) text += L"\r\n菜单中不显示，只供程序调用（ProgrammaticAccessOnly）";
    if (verb.extended) text += L"\r\n按住 Shift 键时才在菜单中显示（Extended）";
    // The shell hands a DelegateExecute verb to its handler and never starts the command.
    if (!verb.delegateExecute) explained.missingProgram = MissingProgram(command, lookups, files);
    if (explained.missingProgram) text += L"\r\n找不到程序：" + *explained.missingProgram;
    return explained;
}

}  // namespace ft
