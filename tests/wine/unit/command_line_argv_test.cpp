// The quoting of started command lines, read back by the platform's own CommandLineToArgvW,
// which is how the started tools split their command lines.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/command_line.h"
#include "unit/fakes.h"

namespace ft {
namespace {

using Args = std::vector<std::wstring>;

Args PlatformArgv(const std::wstring& line) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    Args args;
    if (argv == nullptr) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

// The native tests read command lines with a splitter of their own; it must agree with the
// platform, or their round trips prove nothing.
TEST(CommandLineToArgvW, AgreesWithTheSplitterOfTheNativeTests) {
    for (const wchar_t* line : {L"p \"a b c\" d e", L"p \"ab\\\"c\" \"\\\\\" d", L"p a\\\\\\b d\"e f\"g h",
                                L"p a\\\\\\\"b c d", L"p a\\\\\\\\\"b c\" d e", L"p a\"b\"\" c d",
                                L"p \"\" x", L"p \"a\"\"\"\"b\" c", L"p \"x\\\"\"\"y\" z", L"p \"\"\"\"\"\" q",
                                L"p  \t tabs\tand  blanks ", L"p \"open to the end\\"}) {
        EXPECT_EQ(PlatformArgv(line), fakes::SplitCommandLine(line)) << line;
    }
}

TEST(CommandLineToArgvW, ReadsEveryAwkwardQuotedArgumentBackExactly) {
    const Args awkward = {
        L"", L"plain", L"with blank", L"tab\there", L" ", L"ends with blank ", L"quote\"inside", L"\"leading",
        L"trailing\"", L"\"\"", L"\\", L"trailing\\", L"two\\\\", L"C:\\", L"mid\\dle", L"back\\\"slash",
        L"\\\\server\\share\\", L"a\\\\\\\"b", L"\\\"", L"HKEY_CLASSES_ROOT\\.a\" /s \"x.reg", L"中文 名称\\"};
    std::wstring line = L"p";
    Args expected{L"p"};
    for (const auto& argument : awkward) {
        EXPECT_EQ(PlatformArgv(L"p " + QuoteArgument(argument)), (Args{L"p", argument}))
            << "quoted as " << QuoteArgument(argument);
        line += L" " + QuoteArgument(argument);
        expected.push_back(argument);
    }
    EXPECT_EQ(PlatformArgv(line), expected);
}

TEST(CommandLineToArgvW, ReadsEveryShortStringOfTheTrickyCharactersBackExactly) {
    const std::wstring alphabet = L"a \"\\";
    std::vector<std::wstring> level{L""};
    for (int length = 0; length <= 6; ++length) {
        std::vector<std::wstring> next;
        for (const auto& s : level) {
            ASSERT_EQ(PlatformArgv(L"p " + QuoteArgument(s) + L" z"), (Args{L"p", s, L"z"}))
                << "quoted as " << QuoteArgument(s);
            for (wchar_t c : alphabet) next.push_back(s + c);
        }
        level = std::move(next);
    }
}

TEST(CommandLineToArgvW, GivesTheRegistryToolItsFiveArguments) {
    EXPECT_EQ(PlatformArgv(RegExportCommandLine(L".txt", L"C:\\\\TXT#1.reg")),
              (Args{L"reg.exe", L"export", L"HKEY_CLASSES_ROOT\\.txt", L"C:\\\\TXT#1.reg", L"/y"}));
    const std::wstring key = L"evil\" /s \"C:\\x.reg\\";
    EXPECT_EQ(PlatformArgv(RegExportCommandLine(key, L"D:\\My Tools\\")),
              (Args{L"reg.exe", L"export", L"HKEY_CLASSES_ROOT\\" + key, L"D:\\My Tools\\", L"/y"}));
}

}  // namespace
}  // namespace ft
