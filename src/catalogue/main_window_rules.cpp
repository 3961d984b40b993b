#include "catalogue/main_window_rules.h"

#include <cmath>

namespace ft {

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

std::int32_t ScanPercent(std::int32_t typeCount) {
    const double exact = (static_cast<double>(typeCount) / 600.0) * 100.0;
    const double below = std::floor(exact);
    const double fraction = exact - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
    return rounded > 100.0 ? 100 : static_cast<std::int32_t>(rounded);
}

std::wstring PercentText(std::int32_t percent) { return std::to_wstring(percent) + L"%"; }

std::wstring CountCaption(std::int32_t typeCount) {
    return L"本机文件类型数量：" + std::to_wstring(typeCount) + L"个";
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

}  // namespace ft
