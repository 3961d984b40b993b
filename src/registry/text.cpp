#include "registry/text.h"

#include <algorithm>

namespace ft {

std::wstring TrimNull(const std::wstring& text) {
    const auto nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

std::wstring TrimNull(const wchar_t* buffer, std::size_t capacity) {
    const wchar_t* end = std::find(buffer, buffer + capacity, L'\0');
    return std::wstring(buffer, end);
}

std::wstring WideFromUtf16Le(const std::uint8_t* bytes, std::size_t count) {
    std::u16string units;
    units.reserve(count / 2);
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return WideFromUtf16(units);
}

std::wstring WideFromUtf16(std::u16string_view text) {
    std::wstring out;
    out.reserve(text.size());
    if constexpr (sizeof(wchar_t) == 2) {
        for (char16_t u : text) out.push_back(static_cast<wchar_t>(u));
    } else {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char32_t u = text[i];
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                const char32_t low = text[++i];
                out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
            } else {
                out.push_back(static_cast<wchar_t>(u));  // lone surrogates pass through unchanged
            }
        }
    }
    return out;
}

std::u16string Utf16FromWide(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        const auto c = static_cast<std::uint32_t>(w);
        if (c > 0xFFFF) {
            const std::uint32_t v = c - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

wchar_t UpperChar(wchar_t w) {
    const auto c = static_cast<std::uint32_t>(w);
    auto shifted = [&](std::uint32_t delta) { return static_cast<wchar_t>(c - delta); };
    if (c >= u'a' && c <= u'z') return shifted(0x20);
    if (c < 0x80) return w;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return shifted(0x20);
    if (c == 0xFF) return static_cast<wchar_t>(0x178);
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower, with the odd-aligned runs around 0x139-0x148 and 0x179-0x17E.
        const bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return w;
        if (oddRun) return (c % 2 == 0) ? shifted(1) : w;
        return (c % 2 == 1) ? shifted(1) : w;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return shifted(0x20);
    if (c >= 0x430 && c <= 0x44F) return shifted(0x20);
    if (c >= 0x450 && c <= 0x45F) return shifted(0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return shifted(0x20);
    return w;
}

std::wstring UpperText(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = UpperChar(c);
    return out;
}

std::wstring_view Trimmed(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    }
    return true;
}

}  // namespace ft
