#pragma once
// How the lists order and find their rows, apart from any window: the sort state, the natural
// order of texts with numbers in them, and the type-ahead that finds an extension without its dot.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ft {

enum class SortOrder { Ascending = 0, Descending = 1 };

// A list's sort state. A click on the sorted column flips the order; another column sorts ascending.
struct SortState {
    int key = 0;  // 0-based column
    SortOrder order = SortOrder::Ascending;
    bool sorted = false;

    void OnColumnClick(int oneBasedPosition);
};

// Compares as Explorer orders names: runs of ASCII digits by their value ("qn2" before "qn10"),
// everything else by `compareText`, which returns <0, 0 or >0 (case-insensitively in the
// user's locale, in the program). Of two equal values the one with more leading zeros comes
// first, but only when nothing else tells the texts apart. For systems whose locale comparison
// cannot treat digits as numbers itself.
using TextComparison = int (*)(std::wstring_view, std::wstring_view, void* context);
int CompareNatural(std::wstring_view a, std::wstring_view b, TextComparison compareText, void* context);

// The list's own type-ahead compares the typed letters with the rows' first column, which
// shows extensions without their dot. A dot that would begin a search (typed first, or after
// the list has given up waiting for more letters) is passed over, so ".msi" finds "msi".
class TypeAheadDotFilter {
public:
    // The list starts a new search when no letter came for this long.
    static constexpr std::uint32_t kSearchTimeoutMs = 1000;

    // Whether the typed character goes on to the list. `nowMs` is a millisecond tick count
    // that may wrap around.
    bool Passes(wchar_t typed, std::uint32_t nowMs);

private:
    std::optional<std::uint32_t> lastPassedMs_;
};

}  // namespace ft
