#pragma once
// Where the program that a command line starts is, looked for as the system starts it: an
// unquoted path may end at any of its blanks, a name without extension is tried with ".exe",
// a bare name is found on the search path or under App Paths. Only fixed local drives are
// looked at: a check on a network or removable drive can keep the window waiting, so such a
// program is left unjudged, never called missing.
#include <string>

#include "platform/services.h"

namespace ft {

struct ProgramLookup {
    enum class Outcome {
        NoProgram,  // the line names no program of its own ("%1", an empty line, a variable left unexpanded)
        Found,      // the program is at `path`
        Missing,    // nothing is at `path`, the program as the user should read it
        NotJudged,  // `path` was not looked for: a network, removable or relative path, or too many blanks
    };
    Outcome outcome = Outcome::NoProgram;
    std::wstring path;
};

// `expandedCommand`: a command line with its environment references expanded.
ProgramLookup FindProgram(const std::wstring& expandedCommand, ShellLookups& lookups, FileSystem& files);

}  // namespace ft
