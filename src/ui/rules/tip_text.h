#pragma once
// How a tooltip's text is cut to what the screen and the control can hold, apart from any window.
#include <cstddef>
#include <functional>
#include <string>

namespace ft {

// `text` cut with "…" so that it `fits` in at most `maxChars` characters, never inside a
// surrogate pair: of several lines the longest is cut and the others are kept whole, when that
// is enough; else the longest start of `text` that fits is kept. `fits` must hold for every
// shorter cut of one it holds for (a tooltip's height grows with its text).
std::wstring CutToFit(const std::wstring& text, std::size_t maxChars, const std::function<bool(const std::wstring&)>& fits);

}  // namespace ft
