// The lists' order of texts with numbers in them (where the locale cannot compare digits as
// numbers itself) and the type-ahead passing over a leading dot.
#include "ui/rules/list_rules.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <utility>

namespace ft {
namespace {

// Stands in for the locale: case-insensitive, character by character, marks before digits
// before letters (as Windows orders them, unlike the character codes).
int LocaleLike(std::wstring_view a, std::wstring_view b, void*) {
    const auto key = [](wchar_t c) {
        const int kind = std::iswalpha(c) ? 2 : (std::iswdigit(c) ? 1 : 0);
        return std::pair<int, std::wint_t>(kind, std::towlower(c));
    };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = key(a[i]), y = key(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Compare(const std::wstring& a, const std::wstring& b) { return CompareNatural(a, b, &LocaleLike, nullptr); }

TEST(SortState, HeaderClicksFlipTheSortedColumnAndSortAnotherAscending) {
    SortState sort;
    EXPECT_EQ(sort.key, 0);
    EXPECT_EQ(sort.order, SortOrder::Ascending);
    EXPECT_FALSE(sort.sorted);

    struct Step {
        int click;
        int key;
        SortOrder order;
    };
    const Step steps[] = {
        {1, 0, SortOrder::Descending},  // the list starts sorted by extension, ascending
        {1, 0, SortOrder::Ascending},
        {2, 1, SortOrder::Ascending},
        {2, 1, SortOrder::Descending},
        {1, 0, SortOrder::Ascending},   // back to the other column: ascending, not flipped
        {2, 1, SortOrder::Ascending},
    };
    for (const auto& step : steps) {
        sort.OnColumnClick(step.click);
        EXPECT_EQ(sort.key, step.key);
        EXPECT_EQ(sort.order, step.order);
        EXPECT_TRUE(sort.sorted);
    }
}

TEST(CompareNatural, NumbersByValueTextByTheLocaleAndLeadingZerosOnlyToBreakATie) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int order;
    };
    const Case cases[] = {
        {L"qn2", L"qn10", -1},
        {L"qn10", L"qn9", 1},
        {L"QN2", L"qn2", 0},                     // letter case is the locale's, here ignored
        {L"qn02", L"qn2", -1},                   // same value: more leading zeros first...
        {L"qn02b", L"qn2a", 1},                  // ...unless the texts differ after it
        {L"qn0", L"qn", 1},                      // zero is still a number
        {L"v123456789012345678901234567890", L"v99999999999999999999", 1},  // beyond 64 bits
        {L"a", L"a1", -1},                       // a shorter text that the other begins with first
        {L"a1", L"a1b", -1},
        {L"file9.txt", L"file10.txt", -1},
        {L"file10.txt", L"file10.TXT", 0},
        {L"a1", L"ab", -1},                      // where the texts part, the locale weighs what follows
        {L"ab1", L"ab_", 1},
        {L"7z", L"_x", 1},
        {L"2a", L"10", -1},
        {L"", L"", 0},
        {L"", L"0", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compare(c.a, c.b), c.order) << "\"" << std::wstring(c.a) << "\" vs \"" << std::wstring(c.b) << "\"";
        EXPECT_EQ(Compare(c.b, c.a), -c.order) << "\"" << std::wstring(c.b) << "\" vs \"" << std::wstring(c.a) << "\"";
    }
}

TEST(TypeAheadDotFilter, PassesOverADotThatWouldBeginASearch) {
    TypeAheadDotFilter filter;
    std::uint32_t now = 5000;
    const auto type = [&](const std::wstring& keys, std::uint32_t gapMs) {
        std::wstring passed;
        for (wchar_t key : keys) {
            now += gapMs;
            if (filter.Passes(key, now)) passed += key;
        }
        return passed;
    };
    EXPECT_EQ(type(L".msi", 100), L"msi");
    // Within one search a dot is a letter like any other.
    now += 5000;
    EXPECT_EQ(type(L"tar.gz", 300), L"tar.gz");
    // A pause ends the search: a dot typed next begins a new one, as do dots typed first.
    now += TypeAheadDotFilter::kSearchTimeoutMs;
    EXPECT_EQ(type(L"..", 100), L"");
    EXPECT_EQ(type(L"txt", 100), L"txt");
    EXPECT_EQ(type(L".", TypeAheadDotFilter::kSearchTimeoutMs), L"");
    // Control characters pass but begin nothing.
    now += 5000;
    EXPECT_EQ(type(L"\x03.", 10), L"\x03");
    // The tick count wraps around after about 49 days.
    now = 0xFFFFFF00u;
    EXPECT_EQ(type(L"a", 0), L"a");
    EXPECT_EQ(type(L".", 0x200), L".");
}

}  // namespace
}  // namespace ft
