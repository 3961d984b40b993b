#include "ui/rules/list_rules.h"

namespace ft {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int Sign(int value) { return (value > 0) - (value < 0); }

// The end of the run of digits (or of non-digits) that starts at `from`.
std::size_t RunEnd(std::wstring_view text, std::size_t from, bool digits) {
    while (from < text.size() && IsDigit(text[from]) == digits) ++from;
    return from;
}

// Two runs of digits by their value, however long they are.
int CompareNumbers(std::wstring_view x, std::wstring_view y) {
    const auto withoutLeadingZeros = [](std::wstring_view digits) {
        const std::size_t first = digits.find_first_not_of(L'0');
        return first == std::wstring_view::npos ? std::wstring_view() : digits.substr(first);
    };
    x = withoutLeadingZeros(x);
    y = withoutLeadingZeros(y);
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    return Sign(x.compare(y));
}

}  // namespace

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

int CompareNatural(std::wstring_view a, std::wstring_view b, TextComparison compareText, void* context) {
    std::size_t i = 0;
    std::size_t j = 0;
    int leadingZeros = 0;  // the first difference in leading zeros, should nothing else differ
    while (i < a.size() && j < b.size()) {
        // Where the texts part, the locale compares what is left of them, so that it weighs a
        // digit against a letter or a mark ("ab1" against "ab_") as it always does.
        const auto rest = [&] {
            const int order = Sign(compareText(a.substr(i), b.substr(j), context));
            return order != 0 ? order : leadingZeros;
        };
        const bool digits = IsDigit(a[i]);
        if (digits != IsDigit(b[j])) return rest();
        const std::size_t endA = RunEnd(a, i, digits);
        const std::size_t endB = RunEnd(b, j, digits);
        const std::wstring_view runA = a.substr(i, endA - i);
        const std::wstring_view runB = b.substr(j, endB - j);
        if (digits) {
            if (const int order = CompareNumbers(runA, runB)) return order;
            if (leadingZeros == 0 && runA.size() != runB.size()) leadingZeros = runA.size() > runB.size() ? -1 : 1;
        } else if (compareText(runA, runB, context) != 0) {
            return rest();
        }
        i = endA;
        j = endB;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return leadingZeros;
}

bool TypeAheadDotFilter::Passes(wchar_t typed, std::uint32_t nowMs) {
    // Control characters (Ctrl+C, Backspace, Enter) are no part of a search.
    if (typed < L' ') return true;
    const bool searching = lastPassedMs_ && nowMs - *lastPassedMs_ < kSearchTimeoutMs;
    if (typed == L'.' && !searching) return false;
    lastPassedMs_ = nowMs;
    return true;
}

}  // namespace ft
