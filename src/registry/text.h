#pragma once
// Text helpers shared by the registry layer and the catalogue.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ft {

// The text before the first NUL, or the whole text when it holds none.
std::wstring TrimNull(const std::wstring& text);
std::wstring TrimNull(const wchar_t* buffer, std::size_t capacity);

// UTF-16LE bytes as stored by the registry, decoded to the platform's wide text
// (UTF-16 on Windows, code points elsewhere). An odd trailing byte is half a character and
// is dropped, as the platform's ANSI conversion of a string value of odd size does.
std::wstring WideFromUtf16Le(const std::uint8_t* bytes, std::size_t count);
std::u16string Utf16FromWide(std::wstring_view text);
std::wstring WideFromUtf16(std::u16string_view text);

// Upper-casing that does not depend on the process locale: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width letters; everything else stays as it is.
wchar_t UpperChar(wchar_t c);
std::wstring UpperText(std::wstring_view text);

// The text without blanks and tabs at either end.
std::wstring_view Trimmed(std::wstring_view text);

// Equality of names as the registry compares them: without regard to letter case.
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace ft
