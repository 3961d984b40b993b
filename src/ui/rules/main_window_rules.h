#pragma once
// The main window's rules that need no window: twips to pixels, sorting by header, the
// smallest window size and the pace of the start-up progress it shows.
#include <cstdint>
#include <optional>

namespace ft {

inline constexpr int kTwipsPerInch = 1440;
int TwipsToPixels(int twips, int dpi);

enum class SortOrder { Ascending = 0, Descending = 1 };

// The list's sort state. A click on the sorted column flips the order; another column sorts ascending.
struct SortState {
    int key = 0;  // 0-based column
    SortOrder order = SortOrder::Ascending;
    bool sorted = false;

    void OnColumnClick(int oneBasedPosition);
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// The main window is never smaller than 7440 x 5010 twips (outer size). Returns the corrected
// outer size, or nothing when the window may keep its size (or is minimized).
inline constexpr int kMinOuterWidthTwips = 7440;
inline constexpr int kMinOuterHeightTwips = 5010;
std::optional<Size> EnforceMinimumSize(Size outer, Size minimum, bool minimized);

// When a figure of the progress window (the bar or the percentage) shows a new value. Each
// change repaints its control at once, about a millisecond under Wine, and a fast scan changes
// the figures far more often than a screen can show them. A changed value is shown when the
// one on screen has stood for kIntervalMs; until then it waits. The scan offers the current
// value on every row, so the newest shows within the interval or one row, whichever is longer.
class FigurePacer {
public:
    static constexpr std::uint32_t kIntervalMs = 50;

    // Whether a changed value is shown now; if so, its time is noted. `nowMs` is a
    // millisecond tick count that may wrap around.
    bool ShowsNow(std::uint32_t nowMs);
    void Reset() { shownAtMs_.reset(); }

private:
    std::optional<std::uint32_t> shownAtMs_;
};

}  // namespace ft
