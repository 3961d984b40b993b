#include "catalogue/program_lookup.h"

#include <optional>
#include <vector>

#include "registry/text.h"

namespace ft {
namespace {

// An unquoted path is tried at each of its blanks, as the system does. Past this many tries a
// line is left unjudged instead of costing a file check per word.
constexpr std::size_t kMaxCandidates = 64;

bool IsBareName(std::wstring_view path) { return path.find_first_of(L"\\/:") == std::wstring_view::npos; }

bool IsDrivePath(std::wstring_view path) {
    const bool letter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return letter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

bool OnFixedDrive(const std::wstring& path, FileSystem& files) {
    return IsDrivePath(path) && files.IsLocalFixedDrive(path.substr(0, 2) + L"\\");
}

bool HasExtension(std::wstring_view path) {
    const auto name = path.find_last_of(L"\\/:");
    return path.find(L'.', name == std::wstring_view::npos ? 0 : name + 1) != std::wstring_view::npos;
}

// The file the system would start for `path`: a name without extension is tried with ".exe".
std::optional<std::wstring> ProgramFile(const std::wstring& path, FileSystem& files) {
    if (files.FileExists(path)) return path;
    if (!HasExtension(path) && files.FileExists(path + L".exe")) return path + L".exe";
    return std::nullopt;
}

struct Candidates {
    std::vector<std::wstring> names;  // the likeliest first
    bool cut = false;                 // more blanks followed than were tried
};

Candidates ProgramCandidates(std::wstring_view line) {
    Candidates candidates;
    line = Trimmed(line);
    if (line.empty()) return candidates;
    if (line.front() == L'"') {
        const auto end = line.find(L'"', 1);
        candidates.names.emplace_back(line.substr(1, end == std::wstring_view::npos ? std::wstring_view::npos : end - 1));
        return candidates;
    }
    for (std::size_t end = 0;; ++end) {
        end = line.find_first_of(L" \t", end);
        const std::wstring_view candidate = line.substr(0, end);
        if (candidate.find(L'"') != std::wstring_view::npos) break;
        if (candidates.names.size() == kMaxCandidates) {
            candidates.cut = true;
            break;
        }
        candidates.names.emplace_back(candidate);
        if (end == std::wstring_view::npos) break;
    }
    return candidates;
}

// The candidate the user should read when none is there: the first that names a file with an
// extension ("C:\Program Files\App\app.exe"), else the first.
const std::wstring& Likeliest(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names)
        if (HasExtension(name)) return name;
    return names.front();
}

ProgramLookup FindBareName(const std::wstring& name, ShellLookups& lookups, FileSystem& files) {
    using Outcome = ProgramLookup::Outcome;
    if (auto found = lookups.FindOnSearchPath(name)) return {Outcome::Found, std::move(*found)};
    const auto registered = lookups.AppPath(HasExtension(name) ? name : name + L".exe");
    if (!registered) return {Outcome::Missing, name};
    std::wstring path(Trimmed(lookups.ExpandEnvironment(*registered)));
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    if (path.empty()) return {Outcome::Missing, name};
    if (!OnFixedDrive(path, files)) return {Outcome::NotJudged, path};
    if (auto found = ProgramFile(path, files)) return {Outcome::Found, std::move(*found)};
    return {Outcome::Missing, path};
}

}  // namespace

ProgramLookup FindProgram(const std::wstring& expandedCommand, ShellLookups& lookups, FileSystem& files) {
    using Outcome = ProgramLookup::Outcome;
    const Candidates candidates = ProgramCandidates(expandedCommand);
    // "%1" and its kin, or a variable that did not expand: no program of the line's own.
    if (candidates.names.empty() || candidates.names.front().empty() || candidates.names.front().front() == L'%') {
        return {};
    }
    const std::wstring& first = candidates.names.front();
    if (IsBareName(first)) return FindBareName(first, lookups, files);
    // A relative path depends on the folder the shell starts in.
    if (!OnFixedDrive(first, files)) return {Outcome::NotJudged, Likeliest(candidates.names)};
    for (const std::wstring& candidate : candidates.names)
        if (auto found = ProgramFile(candidate, files)) return {Outcome::Found, std::move(*found)};
    return {candidates.cut ? Outcome::NotJudged : Outcome::Missing, Likeliest(candidates.names)};
}

}  // namespace ft
