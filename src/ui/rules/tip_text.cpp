#include "ui/rules/tip_text.h"

#include <algorithm>

namespace ft {

std::wstring CutToFit(const std::wstring& text, std::size_t maxChars, const std::function<bool(const std::wstring&)>& fits) {
    if (text.size() <= maxChars && fits(text)) return text;
    const auto cut = [&](std::size_t keep) {
        if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
        return text.substr(0, keep) + L'…';
    };
    // The longest start that fits, found by halving; one character is shown at the least.
    std::size_t low = 1;
    std::size_t high = std::min(text.size(), maxChars > 0 ? maxChars - 1 : 0);
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (fits(cut(middle))) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return cut(low);
}

}  // namespace ft
