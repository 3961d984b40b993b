#pragma once
// What a type's verbs mean to the shell, apart from any window: which verb is the default, the
// text the shell shows for a verb, and whether the program its command starts can be found.
// Worked out when the properties window is filled, never during the scan.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"
#include "registry/registry_reader.h"

namespace ft {

// A verb's registry data beside its row texts.
struct VerbFacts {
    std::wstring name;     // the verb key's name
    std::wstring action;   // the verb key's default value
    std::wstring muiVerb;  // its "MUIVerb" value
    std::wstring command;  // the command key's default value
    std::optional<std::wstring> delegateExecute;  // the command key's "DelegateExecute", when present
    bool legacyDisable = false;
    bool programmaticAccessOnly = false;
    bool extended = false;
};

// The shell's default verb: the first verb named in the shell key's default value (one name or
// a comma-separated list) that exists; else "open" when present; else the first verb. Nothing
// for a type without verbs.
std::optional<std::size_t> DefaultVerbIndex(std::wstring_view shellDefault, const std::vector<std::wstring>& verbNames);

// A menu text without its "&" markers ("&&" stands for one "&").
std::wstring WithoutMenuMarkers(std::wstring_view text);

// The verb as the shell's menu shows it: its MUIVerb, else its key's default value, else its
// name, an indirect string resolved, without "&" markers.
std::wstring VerbDisplayText(const VerbFacts& verb, ShellLookups& lookups);

// The verb key at `verbPath` ("txtfile\shell\open") and its command key.
VerbFacts ReadVerb(RegistryReader& reader, const std::wstring& verbPath, const std::wstring& verbName);

struct VerbExplanation {
    std::wstring text;  // lines for the row's tooltip
    std::optional<std::wstring> missingProgram;
};
VerbExplanation ExplainVerb(const VerbFacts& verb, bool isDefault, ShellLookups& lookups, FileSystem& files);

}  // namespace ft
