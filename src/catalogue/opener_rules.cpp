#include "catalogue/opener_rules.h"

#include "catalogue/verb_rules.h"
#include "registry/text.h"

namespace ft {
namespace {

using Outcome = ProgramLookup::Outcome;

std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

TypeInUse OpenerRules::TypeFor(const std::wstring& extKey) {
    TypeInUse type;
    type.extensionValue = services_.reader.ReadDefaultValue(extKey);
    type.userChoice = services_.associations.UserChoice(extKey);
    using Reason = TypeInUse::Reason;
    if (auto answer = services_.associations.CurrentDefault(extKey)) {
        type.reason = type.userChoice && SameNameIgnoringCase(*type.userChoice, *answer) ? Reason::UserChoice
                      : SameNameIgnoringCase(*answer, type.extensionValue)               ? Reason::ExtensionKey
                                                                                          : Reason::System;
        type.typeKey = std::move(*answer);
    } else if (!type.extensionValue.empty()) {
        type.typeKey = type.extensionValue;
    } else {
        type.typeKey = extKey;
        type.reason = Reason::ExtensionKeyItself;
    }
    return type;
}

OpenerFacts OpenerRules::FactsFor(const std::wstring& extKey) {
    OpenerFacts facts;
    facts.type = TypeFor(extKey);
    facts.opener = OpenerOf(facts.type.typeKey);
    const TypeInUse& type = facts.type;
    if (!type.extensionValue.empty() && !TypeKeyExists(type.extensionValue)) {
        facts.problems.push_back(L"扩展名指向的类型不存在：" + type.extensionValue);
    }
    if (type.userChoice && !TypeKeyExists(*type.userChoice)) {
        facts.problems.push_back(L"用户选择的类型不存在：" + *type.userChoice);
    }
    if (type.reason == TypeInUse::Reason::System && !facts.opener.typeKeyExists) {
        facts.problems.push_back(L"系统所用的类型不存在：" + type.typeKey);
    }
    if (facts.opener.program.outcome == Outcome::Missing) {
        facts.problems.push_back(L"找不到程序：" + facts.opener.program.path);
    }
    return facts;
}

const TypeOpener& OpenerRules::OpenerOf(const std::wstring& typeKey) {
    const std::wstring key = UpperText(typeKey);
    if (const auto found = openers_.find(key); found != openers_.end()) return found->second;
    return openers_.emplace(key, ReadOpener(typeKey)).first->second;
}

bool OpenerRules::TypeKeyExists(const std::wstring& typeKey) {
    if (const auto found = openers_.find(UpperText(typeKey)); found != openers_.end()) return found->second.typeKeyExists;
    return static_cast<bool>(services_.reader.Open(typeKey));
}

TypeOpener OpenerRules::ReadOpener(const std::wstring& typeKey) {
    RegistryReader& reader = services_.reader;
    TypeOpener opener;
    opener.typeKeyExists = static_cast<bool>(reader.Open(typeKey));
    if (!opener.typeKeyExists) return opener;
    if (const auto shell = reader.Open(typeKey + L"\\shell")) {
        const std::wstring shellDefault = reader.ReadValueText(shell.get(), nullptr);
        std::vector<std::wstring> names;
        for (std::int32_t i = 0; reader.EnumKey(shell.get(), i) == kRegSuccess; ++i) names.push_back(reader.KeyName());
        if (const auto index = DefaultVerbIndex(shellDefault, names)) {
            const VerbFacts verb = ReadVerb(reader, typeKey + L"\\shell\\" + names[*index], names[*index]);
            opener.verbText = VerbDisplayText(verb, services_.lookups);
            opener.delegated = verb.delegateExecute.has_value();
            if (!opener.delegated && !verb.command.empty()) {
                opener.command = services_.lookups.ExpandEnvironment(verb.command);
                opener.program = FindProgram(opener.command, services_.lookups, services_.files);
            }
        }
    }
    if (opener.program.outcome == Outcome::Found || opener.program.outcome == Outcome::NotJudged) {
        opener.programName = ProgramName(opener.program);
    } else if (opener.program.outcome == Outcome::NoProgram) {
        // A packaged app's type starts no command of its own; it names its application.
        if (const auto application = reader.Open(typeKey + L"\\Application")) {
            opener.programName = Shown(reader.ReadValueText(application.get(), L"ApplicationName")).value_or(L"");
        }
    }
    return opener;
}

const std::wstring& OpenerRules::ProgramName(const ProgramLookup& program) {
    const std::wstring key = UpperText(program.path);
    if (const auto found = programNames_.find(key); found != programNames_.end()) return found->second;
    const std::wstring fileName = FileNameOf(program.path);
    auto name = FriendlyAppName(fileName);
    // Only a file found on a fixed drive is opened for its version resource.
    if (!name && program.outcome == Outcome::Found) {
        if (auto description = services_.associations.FileDescription(program.path)) {
            const std::wstring_view trimmed = Trimmed(*description);
            if (!trimmed.empty()) name = std::wstring(trimmed);
        }
    }
    return programNames_.emplace(key, name ? std::move(*name) : fileName).first->second;
}

std::optional<std::wstring> OpenerRules::FriendlyAppName(const std::wstring& fileName) {
    // Where the application registration documents it, then on its open command, where
    // installers also write it.
    const std::wstring application = L"Applications\\" + fileName;
    for (const std::wstring& path : {application, application + L"\\shell\\open\\command"}) {
        if (const auto key = services_.reader.Open(path)) {
            if (auto name = Shown(services_.reader.ReadValueText(key.get(), L"FriendlyAppName"))) return name;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> OpenerRules::Shown(std::wstring text) {
    if (text.starts_with(L'@')) {
        auto resolved = services_.lookups.IndirectString(text);
        if (!resolved) return std::nullopt;
        text = std::move(*resolved);
    }
    if (Trimmed(text).empty()) return std::nullopt;
    return text;
}

std::wstring OpenerLines(const OpenerFacts& facts) {
    const TypeOpener& opener = facts.opener;
    const ProgramLookup& program = opener.program;
    std::vector<std::wstring> lines;
    // A command of "%1" starts the file itself, and a handler needs no program.
    const bool opens = !opener.programName.empty() || opener.delegated ||
                       (program.outcome == Outcome::NoProgram && !opener.command.empty());
    if (!opens) lines.emplace_back(L"没有打开它的程序");
    if (!opener.programName.empty()) lines.push_back(L"打开方式：" + opener.programName);
    if (program.outcome == Outcome::Found) lines.push_back(L"程序：" + program.path);
    if (program.outcome == Outcome::NotJudged) lines.push_back(L"程序：" + program.path + L"（未查看是否存在）");
    if (opener.verbText) lines.push_back(L"默认动作：" + *opener.verbText);
    if (const auto& choice = facts.type.userChoice) {
        const bool used = facts.type.reason == TypeInUse::Reason::UserChoice;
        lines.push_back(L"用户选择：" + *choice + (used ? L"（系统采用）" : L"（系统未采用）"));
    }
    lines.insert(lines.end(), facts.problems.begin(), facts.problems.end());
    std::wstring text;
    for (const std::wstring& line : lines) text += (text.empty() ? L"" : L"\r\n") + line;
    return text;
}

std::wstring TypeInUseNote(const TypeInUse& type) {
    using Reason = TypeInUse::Reason;
    const wchar_t* why = nullptr;
    switch (type.reason) {
    case Reason::ExtensionKey:
        return std::wstring();
    case Reason::ExtensionKeyItself:
        why = L"原因：扩展名键没有指定类型，用它自己的动作";
        break;
    case Reason::UserChoice:
        why = L"原因：系统采用用户的选择";
        break;
    case Reason::System:
        why = L"原因：系统的默认程序设置";
        break;
    }
    return L"打开文件用的类型：" + type.typeKey + L"\r\n" + why;
}

}  // namespace ft
