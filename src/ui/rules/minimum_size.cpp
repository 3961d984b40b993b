#include "ui/rules/minimum_size.h"

namespace ft {

std::optional<Size> EnforceMinimumSize(Size outer, Size minimum, bool minimized) {
    if (minimized) return std::nullopt;
    Size corrected = outer;
    if (corrected.width <= minimum.width) corrected.width = minimum.width;
    if (corrected.height <= minimum.height) corrected.height = minimum.height;
    if (corrected == outer) return std::nullopt;
    return corrected;
}

}  // namespace ft
