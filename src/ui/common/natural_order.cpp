#include "ui/common/natural_order.h"

#include <windows.h>

#include <algorithm>

#include "ui/rules/list_rules.h"

namespace ft::ui {
namespace {

constexpr DWORD kNaturalOrder = NORM_IGNORECASE | SORT_DIGITSASNUMBERS;

int CompareInLocale(std::wstring_view x, std::wstring_view y, DWORD flags) {
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, x.data(), static_cast<int>(x.size()),
                                       y.data(), static_cast<int>(y.size()), nullptr, nullptr, 0);
    return result == 0 ? 0 : result - CSTR_EQUAL;
}

int CompareIgnoringCase(std::wstring_view x, std::wstring_view y, void*) {
    return CompareInLocale(x, y, NORM_IGNORECASE);
}

// Windows 7 and later compare digits as numbers themselves; elsewhere the flag is refused.
bool LocaleComparesDigitsAsNumbers() {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS, L"2", 1, L"10", 2,
                           nullptr, nullptr, 0) != 0;
}

// Appends the text's sort key in the natural order to `keys`: keys compare byte by byte as the
// texts compare, so that a sort of many rows makes one key per row instead of comparing texts
// at every step. False, with `keys` as it was, when the locale cannot make it.
bool AppendNaturalSortKey(const std::wstring& text, std::string& keys) {
    // A length of 0 is refused; an empty text is given as the empty NUL-ended string, whose key
    // goes before every other. One refused key would make the whole column compare texts.
    const int length = text.empty() ? -1 : static_cast<int>(text.size());
    const auto map = [&text, length](char* into, int bytes) {
        // A sort key is bytes, though the function's buffer is typed as wide characters.
        return LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | kNaturalOrder, text.c_str(), length,
                             reinterpret_cast<wchar_t*>(into), bytes, nullptr, nullptr, 0);
    };
    const std::size_t start = keys.size();
    // One call where room for a usual key is enough; only a longer key asks for its size first.
    int room = static_cast<int>(std::min<std::size_t>(text.size() * 6 + 32, 1u << 20));
    keys.resize(start + static_cast<std::size_t>(room));
    int made = map(keys.data() + start, room);
    if (made == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        room = map(nullptr, 0);
        if (room > 0) {
            keys.resize(start + static_cast<std::size_t>(room));
            made = map(keys.data() + start, room);
        }
    }
    keys.resize(start + static_cast<std::size_t>(std::max(made, 0)));
    return made > 0;
}

}  // namespace

int CompareNaturally(const std::wstring& x, const std::wstring& y) {
    static const bool digitsAsNumbers = LocaleComparesDigitsAsNumbers();
    if (digitsAsNumbers) return CompareInLocale(x, y, kNaturalOrder);
    return CompareNatural(x, y, &CompareIgnoringCase, nullptr);
}

std::string_view SortKeys::Of(std::size_t row) const {
    const std::uint32_t begin = row == 0 ? 0 : ends[row - 1];
    return std::string_view(bytes).substr(begin, ends[row] - begin);
}

bool SortKeys::Append(const std::wstring& text) {
    if (!AppendNaturalSortKey(text, bytes) || bytes.size() > UINT32_MAX) {
        *this = SortKeys{};
        return false;
    }
    ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    return true;
}

bool SortKeysUsable() {
    // Keys are used only where they order numbers by value, and an empty text first, as the
    // comparison does.
    static const bool usable = [] {
        std::string empty;
        std::string two;
        std::string ten;
        return AppendNaturalSortKey(L"", empty) && AppendNaturalSortKey(L"x2", two) &&
               AppendNaturalSortKey(L"X10", ten) && empty < two && two < ten;
    }();
    return usable;
}

}  // namespace ft::ui
