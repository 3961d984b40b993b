#pragma once
// How a tooltip's text is cut to what the screen and the control can hold, apart from any window.
#include <cstddef>
#include <functional>
#include <string>

namespace ft {

// The longest start of `text` that `fits`, with "…" where it is cut, of at most `maxChars`
// characters in all; never cut inside a surrogate pair. `fits` must hold for every start shorter
// than one it holds for (a tooltip's height grows with its text).
std::wstring CutToFit(const std::wstring& text, std::size_t maxChars, const std::function<bool(const std::wstring&)>& fits);

}  // namespace ft
