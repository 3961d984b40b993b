// "查看文件类型属性": the properties window shows the registry data of the selected type.
#include <gtest/gtest.h>

#include "program_session.h"

namespace e2e {
namespace {

struct ShownProperties {
    std::wstring caption;
    std::vector<std::wstring> boxes;  // Text1..Text6
    std::vector<probe::ListRow> verbs;
    std::vector<std::wstring> verbHeaders;
};

ShownProperties Read(const ProgramSession& session, HWND window) {
    ShownProperties shown;
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    shown.caption = caption;
    for (int i = 0; i < 6; ++i) shown.boxes.push_back(probe::TextOf(probe::ChildById(window, kIdPropText1 + i)));
    probe::RemoteListView verbs(probe::ChildById(window, kIdPropVerbList), session.app().process());
    shown.verbs = verbs.Rows();
    shown.verbHeaders = verbs.HeaderTexts();
    return shown;
}

void ExpectVerbs(const ShownProperties& shown, const std::vector<VerbExpectation>& expected, const wchar_t* type) {
    ASSERT_EQ(shown.verbs.size(), expected.size()) << "verb rows of " << type;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shown.verbs[i].text, expected[i].action) << "verb row " << i << " of " << type;
        EXPECT_EQ(shown.verbs[i].sub, expected[i].command) << "verb row " << i << " of " << type;
    }
}

std::wstring TypeNameInList(const ProgramSession& session, const std::wstring& ext) {
    auto list = session.list();
    return list.Text(list.Find(ext), 1);
}

// Picks the first menu entry for the selected row; the properties window once it shows,
// moved beside the main window (as a user would drag it) so that the list stays clickable.
HWND RequestProperties(ProgramSession& session) {
    const HWND window = session.RunMenuEntry(kMenuProperties, kPropertiesClass);
    if (window) session.MoveAside(window);
    return window;
}

const std::map<std::wstring, VerbExpectation> kAlphaVerbs = {
    {L"open", {L"Open with Alpha", L"notepad.exe \"%1\""}},
    {L"edit", {L"edit", L"\"C:\\Program Files\\Ft Tools\\ftedit.exe\" /edit \"%1\""}},  // no display name
    {L"print", {L"Print Alpha", L""}},                                                     // no command key
};

TEST(Properties, ShowTheTypeKeysValuesAndVerbsThenCloseAndStartAfresh) {
    ProgramSession session(L"props");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    HWND window = RequestProperties(session);
    ASSERT_NE(window, nullptr) << "no properties window";
    probe::Screenshot(window, L"properties-window-ftalpha");

    auto shown = Read(session, window);
    EXPECT_EQ(shown.caption, L"文件类型属性");
    EXPECT_EQ(shown.boxes, (std::vector<std::wstring>{
                               L".ftalpha", L"FtTest.Alpha", L"text/x-ftalpha",
                               L"C:\\windows\\system32\\shell32.dll,1", L"open", L"Ft Alpha Document"}));
    EXPECT_EQ(shown.verbHeaders, (std::vector<std::wstring>{L"项", L"参数"}));
    ExpectVerbs(shown, ExpectedVerbs(L"FtTest.Alpha", kAlphaVerbs), L"FtTest.Alpha");

    // Close discards the window; the next request builds a fresh one with only its own values.
    const auto close = probe::ChildById(window, kIdPropClose);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(probe::TextOf(close), L"关闭");
    probe::LeftClick(probe::Center(probe::WindowRect(close)));
    ASSERT_TRUE(session.app().WaitGone(kPropertiesClass)) << "关闭 did not destroy the properties window";

    // An extension key without a default value: icon, default verb and verbs from the key itself.
    ASSERT_TRUE(session.ClickRow(L"ftnodefault"));
    window = RequestProperties(session);
    ASSERT_NE(window, nullptr) << "no properties window after closing the first";
    shown = Read(session, window);
    EXPECT_EQ(shown.boxes, (std::vector<std::wstring>{
                               L".ftnodefault", L"", L"application/x-ftnodefault",
                               L"C:\\windows\\system32\\shell32.dll,2", L"", TypeNameInList(session, L"ftnodefault")}));
    ExpectVerbs(shown, {{L"open", L"C:\\windows\\notepad.exe %1"}}, L".ftnodefault");
}

TEST(Properties, ASecondRequestRefillsTheOpenWindowWithOnlyTheNewType) {
    ProgramSession session(L"props-refill");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const HWND window = RequestProperties(session);
    ASSERT_NE(window, nullptr);

    // A type key whose name holds a double quote, verbs with quotes and blanks.
    ASSERT_TRUE(session.ClickRow(L"ftquote"));
    ASSERT_EQ(RequestProperties(session), window) << "a second properties window instead of the open one";
    auto shown = Read(session, window);
    EXPECT_EQ(shown.boxes, (std::vector<std::wstring>{L".ftquote", L"Ft\"Quote", L"", L"", L"", L"Ft Quote Type"}));
    ExpectVerbs(shown,
                {{L"Open \"quoted\"", L"\"C:\\Program Files\\Ft Tools\\ft quote.exe\" /title \"a b\" \"%1\""}},
                L"Ft\"Quote");

    // Chinese text throughout, and a selection made with the keyboard.
    ASSERT_TRUE(session.ClickRow(L"ftquote"));
    ASSERT_TRUE(session.ArrowToRow(L"ftchinese"));
    ASSERT_EQ(RequestProperties(session), window);
    shown = Read(session, window);
    EXPECT_EQ(shown.boxes,
              (std::vector<std::wstring>{L".ftchinese", L"FtTest.Chinese", L"", L"", L"open", L"飞特测试文档"}));
    ExpectVerbs(shown, {{L"用记事本打开", L"notepad.exe \"%1\""}}, L"FtTest.Chinese");
    probe::Screenshot(window, L"properties-window-ftchinese");

    // A key with nothing in it empties every box and the verb list.
    ASSERT_TRUE(session.ArrowToRow(L"ftbare"));
    ASSERT_EQ(RequestProperties(session), window);
    shown = Read(session, window);
    EXPECT_EQ(shown.boxes,
              (std::vector<std::wstring>{L".ftbare", L"", L"", L"", L"", TypeNameInList(session, L"ftbare")}));
    EXPECT_TRUE(shown.verbs.empty());
}

TEST(Properties, WorkOnTheLastScannedTypeUntilARowIsPickedThenOnThePickedOne) {
    ProgramSession session(L"props-current");
    ASSERT_TRUE(session.ready());
    const auto keys = probe::ExtensionKeys();
    ASSERT_FALSE(keys.empty());

    // No row picked yet: the menu, opened on blank space, acts on the last key the scan met.
    auto blank = session.BlankSpotBelowRows();
    ASSERT_TRUE(blank.has_value()) << "no blank space below the last row to click on";
    probe::MakeForeground(session.main());
    probe::RightClick(*blank);
    ASSERT_TRUE(probe::WaitFor([&] { return session.app().PopupMenu() != nullptr; }, probe::kShortWait));
    probe::ChooseMenuEntry(kMenuProperties);
    const HWND window = WaitShown(session.app(), kPropertiesClass);
    ASSERT_NE(window, nullptr);
    session.MoveAside(window);
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdPropText1)), keys.back());

    // Blank space again after a row was picked: the menu acts on that row.
    ASSERT_TRUE(session.ClickRow(L"ftquote"));
    blank = session.BlankSpotBelowRows();
    ASSERT_TRUE(blank.has_value());
    probe::RightClick(*blank);
    ASSERT_TRUE(probe::WaitFor([&] { return session.app().PopupMenu() != nullptr; }, probe::kShortWait));
    probe::ChooseMenuEntry(kMenuProperties);
    EXPECT_TRUE(probe::WaitFor([&] { return probe::TextOf(probe::ChildById(window, kIdPropText1)) == L".ftquote"; },
                               probe::kShortWait))
        << "Text1 reads " << probe::TextOf(probe::ChildById(window, kIdPropText1));
}

// tests/fixtures/odd_values.reg and the generated large_values.reg: values that are not text,
// or text of size 0, of an odd size or without its NUL, a 255-character key name, 500 verbs
// and a 1 MB command line. Text types show as text, cut before any half character; the
// other types show as nothing; nothing hangs and no character is invented.
TEST(Properties, OddValuesShowAsTextOrNothingAndLargeTypesWhole) {
    ProgramSession session(L"props-odd");
    ASSERT_TRUE(session.ready());
    const std::vector<VerbExpectation> oddVerbs = {{L"open", L"notepad.exe %1"}, {L"Print", L""}};
    struct Odd {
        std::wstring ext;
        std::vector<std::wstring> boxes;  // Text1..Text5
        std::vector<VerbExpectation> verbs;
    };
    const std::vector<Odd> cases = {
        {L"ftoddbinary", {L".ftoddbinary", L"", L"", L"", L""}, {}},
        {L"ftoddmulti", {L".ftoddmulti", L"", L"text/x-ftoddmulti", L"", L""}, {}},
        {L"ftoddqword", {L".ftoddqword", L"FtOdd.Type", L"", L"shell32.dll,3", L""}, oddVerbs},
        {L"ftoddnone", {L".ftoddnone", L"", L"", L"", L""}, {}},
        {L"ftoddempty", {L".ftoddempty", L"", L"", L"", L""}, {}},
        {L"ftoddodd", {L".ftoddodd", L"F", L"text/x-odd", L"", L""}, {}},
        {L"ftoddnonul", {L".ftoddnonul", L"FtOdd.Type", L"text/x-nonul", L"shell32.dll,3", L""}, oddVerbs},
        {kLongestExtension, {L"." + kLongestExtension, L"FtOdd.Type", L"", L"shell32.dll,3", L""}, oddVerbs},
    };
    HWND window = nullptr;
    for (const Odd& odd : cases) {
        SCOPED_TRACE(probe::Utf8(odd.ext));
        ASSERT_TRUE(session.ClickRow(odd.ext)) << "no row";
        window = RequestProperties(session);
        ASSERT_NE(window, nullptr) << "no properties window";
        ASSERT_TRUE(probe::WaitFor([&] { return probe::TextOf(probe::ChildById(window, kIdPropText1)) == L"." + odd.ext; },
                                   probe::kShortWait));
        auto shown = Read(session, window);
        shown.boxes.resize(5);
        EXPECT_EQ(shown.boxes, odd.boxes);
        ExpectVerbs(shown, odd.verbs, L"an odd type");
        const std::wstring typeName = TypeNameInList(session, odd.ext);
        EXPECT_EQ(typeName.find(L'\0'), std::wstring::npos);
        EXPECT_LE(typeName.size(), 79u);
    }

    ASSERT_TRUE(session.ClickRow(L"ftoddlarge"));
    ASSERT_EQ(RequestProperties(session), window);
    ASSERT_TRUE(probe::WaitFor([&] { return probe::TextOf(probe::ChildById(window, kIdPropText1)) == L".ftoddlarge"; },
                               probe::kShortWait));
    const auto shown = Read(session, window);
    EXPECT_EQ(shown.boxes[1], L"FtOdd.Large");
    EXPECT_EQ(shown.boxes[4], L"verb001");
    ASSERT_EQ(shown.verbs.size(), 500u);
    for (std::size_t i = 1; i < shown.verbs.size(); ++i) {
        EXPECT_EQ(shown.verbs[i].text, L"Verb " + std::to_wstring(i + 1));
        EXPECT_EQ(shown.verbs[i].sub, L"ftverb.exe " + std::to_wstring(i + 1) + L" \"%1\"");
    }
    // The 1 MB command line: the probe reads the first 1,023 characters of a row's text.
    EXPECT_EQ(shown.verbs[0].text, L"Verb 1");
    EXPECT_EQ(shown.verbs[0].sub, L"ftlong.exe " + std::wstring(1023 - 11, L'x'));
    probe::Screenshot(window, L"properties-window-ftoddlarge");
}

}  // namespace
}  // namespace e2e
