#include "ui/rules/twips.h"

#include <cmath>

namespace ft {

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

}  // namespace ft
