#include "support/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/text.h"

namespace ft {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::wstring kHeader = L"Windows Registry Editor Version 5.00\n";

std::wstring Crlf(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

Bytes Utf16LeWithBom(const std::wstring& text) { return Utf16LeBytes(L"\uFEFF" + text); }

// The tests' own files are ASCII except where UTF-8 is spelt out as bytes.
Bytes Ascii(const std::wstring& text, bool bom = false) {
    Bytes bytes;
    if (bom) bytes = {0xEF, 0xBB, 0xBF};
    for (wchar_t c : text) bytes.push_back(static_cast<std::uint8_t>(c));
    return bytes;
}

std::wstring Loaded(const Bytes& bytes) {
    MemoryRegistry registry;
    LoadRegFile(bytes, registry);
    return registry.Dump();
}

const std::wstring kEverything = LR"(
; a comment, then the root's own section
[HKEY_CLASSES_ROOT]
"AtRoot"="r"

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
"Content Type"="text/plain"
"Quoted"="say \"hi\" to C:\\dir\\"
"Gone"="soon"
"gone"=-

  [HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@=hex(2):25,00,53,00,00,00
"Flags"=dword:0001000A
"Empty"=hex(1):
"Bin"=hex:de,ad,\
    BE,ef
"Multi"=hex(7):61,00,00,00,00,00
"Big"=hex(b):01,00,00,00,00,00,00,f

[HKEY_CLASSES_ROOT\stale\child]
"x"="y"
[-HKEY_CLASSES_ROOT\stale]
[HKEY_CLASSES_ROOT\Later]
)";

std::wstring ExpectedEverything() {
    MemoryRegistry expected;
    expected.SetString(L"", L"AtRoot", L"r");
    expected.SetString(L".txt", L"", L"txtfile");
    expected.SetString(L".txt", L"Content Type", L"text/plain");
    expected.SetString(L".txt", L"Quoted", L"say \"hi\" to C:\\dir\\");
    const std::wstring command = L"txtfile\\shell\\open\\command";
    expected.SetValue(command, L"", kRegExpandSz, {0x25, 0, 0x53, 0, 0, 0});
    expected.SetValue(command, L"Flags", kRegDword, {0x0A, 0x00, 0x01, 0x00});
    expected.SetValue(command, L"Empty", kRegSz, {});
    expected.SetValue(command, L"Bin", kRegBinary, {0xDE, 0xAD, 0xBE, 0xEF});
    expected.SetValue(command, L"Multi", kRegMultiSz, {0x61, 0, 0, 0, 0, 0});
    expected.SetValue(command, L"Big", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0x0F});
    expected.CreateKey(L"Later");
    return expected.Dump();
}

TEST(RegFile, LoadsTheSameTreeFromEveryAcceptedEncodingAndLineEnd) {
    const std::wstring v5 = kHeader + kEverything;
    const std::wstring v4 = L"REGEDIT4\n" + kEverything;
    const std::wstring expected = ExpectedEverything();
    EXPECT_EQ(Loaded(Utf16LeWithBom(Crlf(v5))), expected);
    EXPECT_EQ(Loaded(Utf16LeWithBom(v5)), expected);
    EXPECT_EQ(Loaded(Ascii(v5)), expected);
    EXPECT_EQ(Loaded(Ascii(Crlf(v5), true)), expected);
    EXPECT_EQ(Loaded(Ascii(v4)), expected);
}

TEST(RegFile, NamesOutsideTheBmpAndChineseTextRoundTrip) {
    const std::wstring file = kHeader + L"[HKEY_CLASSES_ROOT\\\U0001F4C1文件夹]\n\"名称\"=\"值\U0001F4C1\"\n";
    const std::u8string utf8 = u8"Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\\U0001F4C1文件夹]\n\"名称\"=\"值\U0001F4C1\"\n";
    for (const Bytes& bytes : {Utf16LeWithBom(Crlf(file)), Bytes(utf8.begin(), utf8.end())}) {
        MemoryRegistry registry;
        LoadRegFile(bytes, registry);
        wchar_t name[260];
        std::uint32_t chars = 260;
        ASSERT_EQ(registry.EnumKey(kClassesRoot, 0, name, &chars), kRegSuccess);
        EXPECT_EQ(std::wstring(name, chars), L"\U0001F4C1文件夹");

        RegKey key = 0;
        ASSERT_EQ(registry.OpenKey(kClassesRoot, name, &key), kRegSuccess);
        std::uint8_t data[16] = {};
        std::uint32_t size = sizeof data;
        ASSERT_EQ(registry.QueryValue(key, L"名称", nullptr, data, &size), kRegSuccess);
        EXPECT_EQ(Bytes(data, data + size), (Bytes{0x3C, 0x50, 0x3D, 0xD8, 0xC1, 0xDC, 0, 0}));
        EXPECT_EQ(WideFromUtf16Le(data, size), std::wstring(L"值\U0001F4C1") + L'\0');
    }
}

struct Broken {
    std::wstring body;  // after the header line
    std::size_t line;
    const char* says;
};

TEST(RegFile, BrokenFilesFailWithTheirLineAndLeaveTheRegistryAlone) {
    const std::wstring key = L"[HKEY_CLASSES_ROOT\\a]\n";
    const std::vector<Broken> cases = {
        {L"[HKEY_LOCAL_MACHINE\\Software]\n", 2, "HKEY_CLASSES_ROOT"},
        {L"[HKEY_CLASSES_ROOTX\\a]\n", 2, "HKEY_CLASSES_ROOT"},
        {L"[hkey_classes_root\\a]\n", 2, "HKEY_CLASSES_ROOT"},
        {L"[HKEY_CLASSES_ROOT\\a\n", 2, "]"},
        {L"[HKEY_CLASSES_ROOT\\a\\\\b]\n", 2, "empty key name"},
        {L"[-HKEY_CLASSES_ROOT]\n", 2, "cannot be deleted"},
        {L"\"v\"=\"x\"\n", 2, "before any"},
        {L"[-HKEY_CLASSES_ROOT\\a]\n@=\"x\"\n", 3, "deleted key"},
        {key + L"nonsense\n", 3, "expected a [key]"},
        {key + L"\"v\"=hex:01,0g\n", 3, "hex"},
        {key + L"\"v\"=hex:01,\n", 3, "ends with ','"},
        {key + L"\"v\"=hex:012\n", 3, "two digits"},
        {key + L"\"v\"=hex(2:00\n", 3, "):"},
        {key + L"\"v\"=hex:01,\\\n  02,\\\n", 4, "ends inside"},
        {key + L"\"v\"=hex:01,\\\n\n", 4, "ends with ','"},
        {key + L"\"v\"=\"open\n", 3, "unterminated string"},
        {key + L"\"v=\"x\"\n", 3, "'='"},
        {key + L"\"v\"=\"C:\\dir\"\n", 3, "escape"},
        {key + L"\"v\"=dword:123456789\n", 3, "too many digits"},
        {key + L"\"v\"=dword:\n", 3, "missing hex digits"},
        {key + L"\"v\"=\"x\" trailing\n", 3, "after the value"},
        {key + L"\"v\"=sz:x\n", 3, "unknown value data"},
        {key + L"\"v\"=DWORD:1\n", 3, "unknown value data"},
    };
    for (const Broken& c : cases) {
        for (const Bytes& bytes : {Ascii(kHeader + c.body), Utf16LeWithBom(Crlf(kHeader + c.body))}) {
            MemoryRegistry registry;
            registry.SetString(L"kept", L"", L"x");
            const std::wstring before = registry.Dump();
            try {
                LoadRegFile(bytes, registry);
                ADD_FAILURE() << "loaded: " << testing::PrintToString(c.body);
            } catch (const RegFileError& e) {
                EXPECT_EQ(e.line(), c.line) << e.what();
                EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            }
            EXPECT_EQ(registry.Dump(), before);
        }
    }
}

TEST(RegFile, BadHeadersEncodingsAndMissingFilesFailCleanly) {
    auto lineOf = [](const Bytes& bytes) -> std::size_t {
        MemoryRegistry registry;
        try {
            LoadRegFile(bytes, registry);
        } catch (const RegFileError& e) {
            return e.line();
        }
        return 999;
    };
    EXPECT_EQ(lineOf({}), 1u);
    EXPECT_EQ(lineOf(Ascii(L"Windows Registry Editor Version 4.00\n")), 1u);
    EXPECT_EQ(lineOf(Ascii(L"\nWindows Registry Editor Version 5.00\n")), 1u);

    Bytes odd = Utf16LeWithBom(kHeader + L"\n[HKEY_CLASSES_ROOT\\a]");
    odd.pop_back();
    EXPECT_EQ(lineOf(odd), 3u);

    Bytes badUtf8 = Ascii(kHeader + L"[HKEY_CLASSES_ROOT\\a]\n@=\"");
    badUtf8.insert(badUtf8.end(), {0xC3, 0x28, '"', '\n'});
    EXPECT_EQ(lineOf(badUtf8), 3u);
    EXPECT_EQ(lineOf({0xFE, 0xFF, 0, 'W'}), 0u);

    MemoryRegistry registry;
    try {
        LoadRegFile(std::filesystem::path(FIXTURES_DIR) / "no_such_file.reg", registry);
        ADD_FAILURE() << "a missing file loaded";
    } catch (const RegFileError& e) {
        EXPECT_EQ(e.line(), 0u);
    }
}

}  // namespace
}  // namespace ft
