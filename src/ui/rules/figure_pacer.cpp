#include "ui/rules/figure_pacer.h"

namespace ft {

bool FigurePacer::ShowsNow(std::uint32_t nowMs) {
    if (shownAtMs_ && nowMs - *shownAtMs_ < kIntervalMs) return false;
    shownAtMs_ = nowMs;
    return true;
}

}  // namespace ft
