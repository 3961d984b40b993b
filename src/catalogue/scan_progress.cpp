#include "catalogue/scan_progress.h"

#include <cmath>

namespace ft {

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

}  // namespace ft
