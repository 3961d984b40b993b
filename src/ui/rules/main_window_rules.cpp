#include "ui/rules/main_window_rules.h"

#include <cmath>

namespace ft {

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

void SortState::OnColumnClick(int oneBasedPosition) {
    const int column = oneBasedPosition - 1;
    if (key == column) {
        order = order == SortOrder::Ascending ? SortOrder::Descending : SortOrder::Ascending;
    } else {
        key = column;
        order = SortOrder::Ascending;
    }
    sorted = true;
}

std::optional<Size> EnforceMinimumSize(Size outer, Size minimum, bool minimized) {
    if (minimized) return std::nullopt;
    Size corrected = outer;
    if (corrected.width <= minimum.width) corrected.width = minimum.width;
    if (corrected.height <= minimum.height) corrected.height = minimum.height;
    if (corrected == outer) return std::nullopt;
    return corrected;
}

bool FigurePacer::ShowsNow(std::uint32_t nowMs) {
    if (shownAtMs_ && nowMs - *shownAtMs_ < kIntervalMs) return false;
    shownAtMs_ = nowMs;
    return true;
}

}  // namespace ft
