#pragma once
// The one guard at the program's event boundaries (window procedures, timer procedures, a row
// of the scan): nothing thrown below it goes further, whatever it is. What was thrown is
// traced with where it happened, for a debugger or DebugView, and handed back so that the
// caller can tell the user that what they asked for did not complete.
#include <concepts>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ft {

// Within a catch block: what was caught, in words.
inline std::wstring CaughtText() {
    try {
        throw;
    } catch (const std::exception& e) {
        // The standard library's texts are ASCII; anything else shows as a replacement character.
        std::wstring text;
        for (const char* c = e.what(); c && *c; ++c) {
            text.push_back(static_cast<unsigned char>(*c) < 0x80 ? static_cast<wchar_t>(*c) : L'\uFFFD');
        }
        return text.empty() ? L"std::exception" : text;
    } catch (...) {
        return L"未知的异常";
    }
}

inline void TraceFailure(std::wstring_view where, std::wstring_view what) {
#ifdef _WIN32
    std::wstring line = L"filetypes: ";
    line.append(where).append(L": ").append(what).append(L"\n");
    OutputDebugStringW(line.c_str());
#else
    static_cast<void>(where);
    static_cast<void>(what);
#endif
}

inline std::wstring_view PlaceText(std::wstring_view where) { return where; }
// A place that costs something to name is named only once something went wrong there.
template <std::invocable Namer>
std::wstring PlaceText(const Namer& where) {
    return where();
}

// Runs `handler`. Nothing when it ran to its end; what it threw, once traced, when it did not.
template <class Where, class Handler>
std::optional<std::wstring> Guarded(const Where& where, Handler&& handler) noexcept {
    try {
        handler();
        return std::nullopt;
    } catch (...) {
        // Describing it may fail in turn (no memory left): then it is still stopped here.
        try {
            std::wstring what = CaughtText();
            TraceFailure(PlaceText(where), what);
            return what;
        } catch (...) {
            return std::wstring();
        }
    }
}

}  // namespace ft
