#pragma once
// The main window's rules that need no window: twips to pixels, sorting by header and the
// smallest window size.
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

}  // namespace ft
