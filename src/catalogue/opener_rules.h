#pragma once
// What opens files of an extension, apart from any window: the type the system uses (its own
// answer, else what the extension key names) beside the user's choice, that type's default verb
// and the program its command starts, by the name users know it by, and whether the type points
// at something that is not there. Worked out for the rows the list shows; what many rows share
// (a type's verb and program, a program's name) is worked out once.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/program_lookup.h"
#include "platform/services.h"
#include "registry/registry_reader.h"

namespace ft {

// The type whose verbs open files of an extension, and why it is that one.
struct TypeInUse {
    enum class Reason {
        ExtensionKey,        // the one the extension key names
        ExtensionKeyItself,  // the extension key names none: its own verbs
        UserChoice,          // the system honours the user's choice
        System,              // the system's answer, for a reason of its own
    };
    std::wstring typeKey;
    Reason reason = Reason::ExtensionKey;
    std::wstring extensionValue;             // the extension key's default value
    std::optional<std::wstring> userChoice;  // the type the user chose
};

// A type key's default verb and the program it starts.
struct TypeOpener {
    bool typeKeyExists = false;
    std::optional<std::wstring> verbText;  // the default verb as the menu shows it; nothing without verbs
    std::wstring command;                  // its command line, expanded
    bool delegated = false;                // a DelegateExecute handler runs it, not the command
    ProgramLookup program;
    std::wstring programName;  // as users know it: the program's, or a packaged app's; empty for none
};

struct OpenerFacts {
    TypeInUse type;
    TypeOpener opener;
    std::vector<std::wstring> problems;  // what is not there; a type with any is broken
};

struct OpenerServices {
    RegistryReader& reader;
    ShellLookups& lookups;
    FileSystem& files;
    AssociationLookups& associations;
};

class OpenerRules {
public:
    explicit OpenerRules(const OpenerServices& services) : services_(services) {}

    // Which type opens files of `extKey` (".txt"), read afresh.
    TypeInUse TypeFor(const std::wstring& extKey);
    // Everything a row of the list tells of `extKey`.
    OpenerFacts FactsFor(const std::wstring& extKey);

private:
    const TypeOpener& OpenerOf(const std::wstring& typeKey);
    TypeOpener ReadOpener(const std::wstring& typeKey);
    bool TypeKeyExists(const std::wstring& typeKey);
    // The program's name as users know it: the FriendlyAppName registered for it, else the
    // description in its version resource, else its file name.
    const std::wstring& ProgramName(const ProgramLookup& program);
    std::optional<std::wstring> FriendlyAppName(const std::wstring& fileName);
    // A registry text that may be an indirect string ("@file,-id"); nothing when it is empty or
    // cannot be resolved.
    std::optional<std::wstring> Shown(std::wstring text);

    OpenerServices services_;
    std::unordered_map<std::wstring, TypeOpener> openers_;       // by upper-cased type key
    std::unordered_map<std::wstring, std::wstring> programNames_;  // by upper-cased path
};

// The lines of a row's tooltip.
std::wstring OpenerLines(const OpenerFacts& facts);

// What the properties window says beside the extension key's default value when the type that
// opens files is another one: which, and why. Empty when it is the one the value names.
std::wstring TypeInUseNote(const TypeInUse& type);

}  // namespace ft
