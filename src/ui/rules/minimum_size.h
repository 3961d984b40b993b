#pragma once
// The main window's smallest size, apart from any window.
#include <optional>

namespace ft {

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
