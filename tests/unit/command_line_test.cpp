// Command lines the program starts, read back by the standard command-line rules: every quoted
// argument must reach the started tool exactly as it was given.
#include "catalogue/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

namespace ft {
namespace {

using fakes::SplitCommandLine;
using Args = std::vector<std::wstring>;

// Arguments that break naive quoting: blanks, quotes, backslashes before quotes and at the end.
const std::vector<std::wstring> kAwkward = {
    L"", L"plain", L"with blank", L"tab\there", L" ", L"ends with blank ", L"quote\"inside", L"\"leading",
    L"trailing\"", L"\"\"", L"\\", L"trailing\\", L"two\\\\", L"C:\\", L"mid\\dle", L"back\\\"slash",
    L"\\\\server\\share\\", L"a\\\\\\\"b", L"\\\"", L"HKEY_CLASSES_ROOT\\.a\" /s \"x.reg", L"中文 名称\\"};

// The reference splitter itself, on documented examples; the Windows tests hold it against the
// platform's own splitter.
TEST(SplitCommandLine, FollowsTheDocumentedRules) {
    EXPECT_EQ(SplitCommandLine(L"p \"a b c\" d e"), (Args{L"p", L"a b c", L"d", L"e"}));
    EXPECT_EQ(SplitCommandLine(L"p \"ab\\\"c\" \"\\\\\" d"), (Args{L"p", L"ab\"c", L"\\", L"d"}));
    EXPECT_EQ(SplitCommandLine(L"p a\\\\\\b d\"e f\"g h"), (Args{L"p", L"a\\\\\\b", L"de fg", L"h"}));
    EXPECT_EQ(SplitCommandLine(L"p a\\\\\\\"b c d"), (Args{L"p", L"a\\\"b", L"c", L"d"}));
    EXPECT_EQ(SplitCommandLine(L"p a\\\\\\\\\"b c\" d e"), (Args{L"p", L"a\\\\b c", L"d", L"e"}));
    EXPECT_EQ(SplitCommandLine(L"p \"\" x"), (Args{L"p", L"", L"x"}));
    EXPECT_EQ(SplitCommandLine(L"p a\"b\"\" c d"), (Args{L"p", L"ab\"", L"c", L"d"}));  // C runtime: ab" c d
    EXPECT_EQ(SplitCommandLine(L"p \"a\"\"\"\"b\" c"), (Args{L"p", L"a\"b c"}));
}

TEST(QuoteArgument, EveryAwkwardArgumentRoundTrips) {
    for (const auto& argument : kAwkward) {
        EXPECT_EQ(SplitCommandLine(L"p " + QuoteArgument(argument)), (Args{L"p", argument}))
            << "quoted as " << QuoteArgument(argument);
    }
    std::wstring line = L"p";
    for (const auto& argument : kAwkward) line += L" " + QuoteArgument(argument);
    Args expected{L"p"};
    expected.insert(expected.end(), kAwkward.begin(), kAwkward.end());
    EXPECT_EQ(SplitCommandLine(line), expected);
}

TEST(QuoteArgument, EveryShortStringOfTheTrickyCharactersRoundTrips) {
    const std::wstring alphabet = L"a \"\\";
    std::vector<std::wstring> level{L""};
    for (int length = 0; length <= 6; ++length) {
        std::vector<std::wstring> next;
        for (const auto& s : level) {
            const Args args = SplitCommandLine(L"p " + QuoteArgument(s) + L" z");
            ASSERT_EQ(args, (Args{L"p", s, L"z"})) << "quoted as " << QuoteArgument(s);
            for (wchar_t c : alphabet) next.push_back(s + c);
        }
        level = std::move(next);
    }
}

TEST(QuoteArgument, BackslashesAwayFromQuotesStayReadable) {
    EXPECT_EQ(QuoteArgument(L"D:\\Tools\\TXT#1.reg"), L"\"D:\\Tools\\TXT#1.reg\"");
    EXPECT_EQ(QuoteArgument(L"C:\\"), L"\"C:\\\\\"");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
}

TEST(RegExportCommandLine, GivesTheToolTheKeyAndTheFileAsSingleArguments) {
    EXPECT_EQ(RegExportCommandLine(L".txt", L"D:\\Tools\\TXT#1.reg"),
              L"reg.exe export \"HKEY_CLASSES_ROOT\\.txt\" \"D:\\Tools\\TXT#1.reg\" /y");
    const std::wstring key = L"evil\" /s \"C:\\x.reg\\";
    const std::wstring file = L"D:\\My Tools\\";
    EXPECT_EQ(SplitCommandLine(RegExportCommandLine(key, file)),
              (Args{L"reg.exe", L"export", L"HKEY_CLASSES_ROOT\\" + key, file, L"/y"}));
}

TEST(NotepadCommandLine, TakesTheBoxTextExactlyAsItStands) {
    EXPECT_EQ(NotepadCommandLine(L""), L"notepad.exe ");
    EXPECT_EQ(NotepadCommandLine(L"D:\\My Tools\\TXT#1.reg"), L"notepad.exe D:\\My Tools\\TXT#1.reg");
}

}  // namespace
}  // namespace ft
