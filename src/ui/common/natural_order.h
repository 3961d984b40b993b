#pragma once
// The lists' order of texts, as Explorer orders names: case-insensitively, numbers by value, in
// the user's locale; and the sort keys that let a sort of many rows compare bytes instead.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ft::ui {

// <0, 0 or >0 as `x` goes before, with or after `y`.
int CompareNaturally(const std::wstring& x, const std::wstring& y);

// One column's sort keys, one after another in one block, in the order of the rows.
struct SortKeys {
    std::string bytes;
    std::vector<std::uint32_t> ends;  // where each row's key ends

    std::string_view Of(std::size_t row) const;
    // Appends the key of the next row's text; false, with the keys cleared, when the locale
    // cannot make it (the sort then compares the texts themselves).
    bool Append(const std::wstring& text);
};

// Whether this system's keys order texts as CompareNaturally does.
bool SortKeysUsable();

}  // namespace ft::ui
