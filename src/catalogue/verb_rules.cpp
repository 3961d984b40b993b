#include "catalogue/verb_rules.h"

#include "catalogue/program_lookup.h"
#include "registry/text.h"

namespace ft {

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

std::wstring VerbDisplayText(const VerbFacts& verb, ShellLookups& lookups) {
    std::wstring shown = !verb.muiVerb.empty() ? verb.muiVerb : (!verb.action.empty() ? verb.action : verb.name);
    if (shown.starts_with(L'@')) {
        if (auto resolved = lookups.IndirectString(shown)) shown = std::move(*resolved);
    }
    return WithoutMenuMarkers(shown);
}

VerbFacts ReadVerb(RegistryReader& reader, const std::wstring& verbPath, const std::wstring& verbName) {
    VerbFacts verb;
    verb.name = verbName;
    if (const auto key = reader.Open(verbPath)) {
        verb.action = reader.ReadValueText(key.get(), nullptr);
        verb.muiVerb = reader.ReadValueText(key.get(), L"MUIVerb");
        verb.legacyDisable = reader.HasValue(key.get(), L"LegacyDisable");
        verb.programmaticAccessOnly = reader.HasValue(key.get(), L"ProgrammaticAccessOnly");
        verb.extended = reader.HasValue(key.get(), L"Extended");
    }
    if (const auto key = reader.Open(verbPath + L"\\command")) {
        verb.command = reader.ReadValueText(key.get(), nullptr);
        if (reader.HasValue(key.get(), L"DelegateExecute")) {
            verb.delegateExecute = reader.ReadValueText(key.get(), L"DelegateExecute");
        }
    }
    return verb;
}

VerbExplanation ExplainVerb(const VerbFacts& verb, bool isDefault, ShellLookups& lookups, FileSystem& files) {
    VerbExplanation explained;
    std::wstring& text = explained.text;
    text = L"菜单中显示为：" + VerbDisplayText(verb, lookups);
    if (isDefault) text += L"（默认动作）";
    const std::wstring command = verb.command.empty() ? std::wstring() : lookups.ExpandEnvironment(verb.command);
    if (!command.empty()) text += L"\r\n命令行：" + command;
    if (verb.delegateExecute) text += L"\r\n由 DelegateExecute 处理，不用命令行：" + *verb.delegateExecute;
    if (verb.legacyDisable) text += L"\r\n菜单中不显示（LegacyDisable）";
    if (verb.programmaticAccessOnly) text += L"\r\n菜单中不显示，只供程序调用（ProgrammaticAccessOnly）";
    if (verb.extended) text += L"\r\n按住 Shift 键时才在菜单中显示（Extended）";
    // The shell hands a DelegateExecute verb to its handler and never starts the command.
    if (!verb.delegateExecute) {
        ProgramLookup program = FindProgram(command, lookups, files);
        if (program.outcome == ProgramLookup::Outcome::Missing) explained.missingProgram = std::move(program.path);
    }
    if (explained.missingProgram) text += L"\r\n找不到程序：" + *explained.missingProgram;
    return explained;
}

}  // namespace ft
