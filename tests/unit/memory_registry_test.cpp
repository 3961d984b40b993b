#include "support/memory_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace ft {
namespace {

using namespace std::string_literals;

std::vector<std::wstring> Subkeys(MemoryRegistry& registry, RegKey key) {
    std::vector<std::wstring> names;
    wchar_t name[260];
    for (std::uint32_t i = 0;; ++i) {
        std::uint32_t chars = 260;
        if (registry.EnumKey(key, i, name, &chars) != kRegSuccess) break;
        names.emplace_back(name, chars);
    }
    return names;
}

TEST(MemoryRegistry, EnumeratesSubkeysInCaseInsensitiveOrderAsTheRegistrySortsThem) {
    MemoryRegistry registry;
    for (const wchar_t* name : {L"delta", L"Bravo", L"b", L"ALPHA", L"charlie"}) registry.CreateKey(name);
    registry.CreateKey(L"bravo\\inner");  // same key, other case: no duplicate
    EXPECT_EQ(Subkeys(registry, kClassesRoot),
              (std::vector<std::wstring>{L"ALPHA", L"b", L"Bravo", L"charlie", L"delta"}));

    // The registry compares UTF-16 units, so a name outside the BMP (a surrogate pair)
    // comes before a full-width letter even where wchar_t holds whole code points.
    MemoryRegistry wide;
    wide.CreateKey(L"\uFF21");
    wide.CreateKey(L"\U0001F4C1");
    wide.CreateKey(L"z");
    EXPECT_EQ(Subkeys(wide, kClassesRoot), (std::vector<std::wstring>{L"z", L"\U0001F4C1", L"\uFF21"}));
}

TEST(MemoryRegistry, EnumKeyWritesNameAndNulOnlyAndReportsShortBuffersAndTheEnd) {
    MemoryRegistry registry;
    registry.CreateKey(L"Alpha");
    registry.CreateKey(L"b");
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');

    std::uint32_t chars = 8;
    ASSERT_EQ(registry.EnumKey(kClassesRoot, 1, buffer, &chars), kRegSuccess);
    EXPECT_EQ(chars, 1u);
    EXPECT_EQ(std::wstring(buffer, 8), L"b\0######"s);

    chars = 5;  // "Alpha" needs 6 with its NUL
    EXPECT_EQ(registry.EnumKey(kClassesRoot, 0, buffer, &chars), kRegMoreData);
    EXPECT_EQ(std::wstring(buffer, 8), L"b\0######"s);

    chars = 8;
    EXPECT_EQ(registry.EnumKey(kClassesRoot, 2, buffer, &chars), kRegNoMoreItems);
}

TEST(MemoryRegistry, NamesKeepTheirCaseButMatchWithoutIt) {
    MemoryRegistry registry;
    registry.SetString(L"Type\\Shell", L"Content Type", L"a");
    registry.SetString(L"TYPE\\shell", L"CONTENT TYPE", L"bc");  // replaces, keeps the first spelling

    RegKey key = 0;
    ASSERT_EQ(registry.OpenKey(kClassesRoot, L"type\\SHELL", &key), kRegSuccess);
    std::uint32_t type = 0;
    std::uint32_t bytes = 0;
    ASSERT_EQ(registry.QueryValue(key, L"content type", &type, nullptr, &bytes), kRegSuccess);
    EXPECT_EQ(bytes, 6u);
    EXPECT_EQ(registry.Dump(), L"[]\n[Type]\n[Type\\Shell]\n\"Content Type\"=1:62,00,63,00,00,00\n");
}

TEST(MemoryRegistry, QueryValueBehavesLikeRegQueryValueEx) {
    MemoryRegistry registry;
    registry.SetValue(L"k", L"", kRegBinary, {1, 2, 3});
    RegKey key = 0;
    ASSERT_EQ(registry.OpenKey(kClassesRoot, L"k", &key), kRegSuccess);

    std::uint32_t type = 0;
    std::uint32_t bytes = 0;
    ASSERT_EQ(registry.QueryValue(key, nullptr, &type, nullptr, &bytes), kRegSuccess);  // size only
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(bytes, 3u);

    std::uint8_t data[4] = {9, 9, 9, 9};
    bytes = 2;
    EXPECT_EQ(registry.QueryValue(key, L"", &type, data, &bytes), kRegMoreData);
    EXPECT_EQ(bytes, 3u);
    bytes = 4;
    ASSERT_EQ(registry.QueryValue(key, L"", &type, data, &bytes), kRegSuccess);
    EXPECT_EQ(bytes, 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + 4), (std::vector<std::uint8_t>{1, 2, 3, 9}));

    EXPECT_EQ(registry.QueryValue(key, L"missing", &type, nullptr, &bytes), kRegFileNotFound);
    registry.DeleteValue(L"K", L"");
    EXPECT_EQ(registry.QueryValue(key, nullptr, &type, nullptr, &bytes), kRegFileNotFound);
}

TEST(MemoryRegistry, HandlesAreCountedAndBadOnesRefusedAsThePlatformDoes) {
    MemoryRegistry registry;
    registry.CreateKey(L"a\\b");
    RegKey a = 0;
    RegKey again = 0;
    RegKey b = 0;
    ASSERT_EQ(registry.OpenKey(kClassesRoot, L"a", &a), kRegSuccess);
    ASSERT_EQ(registry.OpenKey(a, L"", &again), kRegSuccess);  // the same key, a new handle
    EXPECT_NE(again, a);
    EXPECT_EQ(Subkeys(registry, again), std::vector<std::wstring>{L"b"});
    ASSERT_EQ(registry.OpenKey(a, L"B", &b), kRegSuccess);

    RegKey missing = 123;
    EXPECT_EQ(registry.OpenKey(kClassesRoot, L"a\\c", &missing), kRegFileNotFound);
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(registry.OpenCount(), 3u);
    EXPECT_EQ(registry.LiveHandles(), 3u);

    EXPECT_EQ(registry.CloseKey(b), kRegSuccess);
    EXPECT_EQ(registry.CloseKey(b), kRegInvalidHandle);
    EXPECT_EQ(registry.CloseKey(kClassesRoot), kRegSuccess);
    EXPECT_EQ(registry.CloseCount(), 1u);
    std::uint32_t chars = 10;
    wchar_t name[10];
    EXPECT_EQ(registry.EnumKey(b, 0, name, &chars), kRegInvalidHandle);
    EXPECT_EQ(registry.OpenKey(b, L"", &missing), kRegInvalidHandle);

    // A handle into a deleted subtree stays a handle, but its key is gone.
    registry.DeleteKey(L"A");
    registry.DeleteKey(L"never\\there");
    EXPECT_EQ(registry.EnumKey(again, 0, name, &chars), 1018);
    EXPECT_EQ(registry.OpenKey(kClassesRoot, L"a", &missing), kRegFileNotFound);
    EXPECT_EQ(registry.Dump(), L"[]\n");
    EXPECT_EQ(registry.CloseKey(a), kRegSuccess);
}

}  // namespace
}  // namespace ft
