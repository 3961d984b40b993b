#include "ui/rules/tip_text.h"

#include <algorithm>

namespace ft {
namespace {

bool IsLeadSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The largest `keep` in [1, most] for which `fits(keep)` holds, found by halving; 1 when none does.
template <class Fits>
std::size_t LongestKept(std::size_t most, const Fits& fits) {
    std::size_t low = 1;
    std::size_t high = std::max<std::size_t>(most, 1);
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

}  // namespace

std::wstring CutToFit(const std::wstring& text, std::size_t maxChars, const std::function<bool(const std::wstring&)>& fits) {
    if (text.size() <= maxChars && fits(text)) return text;
    // The first `keep` characters of [begin, end), with "…" where the rest was, and the text
    // around them whole.
    const auto cut = [&](std::size_t begin, std::size_t end, std::size_t keep) {
        if (keep > 0 && IsLeadSurrogate(text[begin + keep - 1])) --keep;
        return text.substr(0, begin + keep) + L'…' + text.substr(end);
    };
    // The longest line is cut first, so that the short lines around it stay whole: what
    // explains a verb's row outlives its long command line.
    std::size_t begin = 0;
    std::size_t end = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t stop = std::min(text.find(L'\n', start), text.size());
        if (stop - start > end - begin) {
            begin = start;
            end = stop;
        }
        start = stop + 1;
    }
    if (end < text.size() || begin > 0) {
        if (end > 0 && text[end - 1] == L'\r') --end;
        const std::size_t around = text.size() - (end - begin) + 1;
        const auto fitsKeeping = [&](std::size_t keep) { return around + keep <= maxChars && fits(cut(begin, end, keep)); };
        if (end > begin + 1 && fitsKeeping(1)) return cut(begin, end, LongestKept(end - begin - 1, fitsKeeping));
    }
    // One character is shown at the least.
    const std::size_t most = std::min(text.size(), maxChars > 0 ? maxChars - 1 : 0);
    return cut(0, text.size(), LongestKept(most, [&](std::size_t keep) { return fits(cut(0, text.size(), keep)); }));
}

}  // namespace ft
