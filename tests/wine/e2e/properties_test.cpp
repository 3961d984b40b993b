// "查看文件类型属性": the properties window shows the registry data of the selected type.
#include <gtest/gtest.h>

#include "program_session.h"
#include <commctrl.h>

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

    // Tab walks the design's focus order, both pictures included, and comes round to Text1; a
    // picture with the focus shows a focus rectangle.
    ASSERT_TRUE(probe::MakeForeground(window));
    EXPECT_TRUE(probe::WaitFor([&] { return GetDlgCtrlID(FocusOf(window)) == kIdPropText1; }, probe::kShortWait))
        << "the focus does not start on Text1";
    const HWND small = probe::ChildById(window, kIdPropSmallIcon);
    std::optional<probe::Pixels> smallFocused;
    std::vector<int> order;
    for (int i = 0; i < 10; ++i) {
        const HWND before = FocusOf(window);
        probe::PressKey(VK_TAB);
        probe::WaitFor([&] { return FocusOf(window) != before; }, probe::kShortWait);
        order.push_back(GetDlgCtrlID(FocusOf(window)));
        if (FocusOf(window) == small && probe::WaitPainted(window)) {
            smallFocused = probe::Capture(small);
            probe::Screenshot(window, L"properties-window-small-picture-focused");
        }
    }
    EXPECT_EQ(order, (std::vector<int>{kIdPropText1 + 1, kIdPropText1 + 2, kIdPropClose, kIdPropText1 + 3,
                                       kIdPropSmallIcon, kIdPropText1 + 5, kIdPropLargeIcon, kIdPropText1 + 4,
                                       kIdPropVerbList, kIdPropText1}));
    probe::WaitPainted(window);
    const auto smallUnfocused = probe::Capture(small);
    ASSERT_TRUE(smallFocused && smallUnfocused);
    EXPECT_NE(smallFocused->data, smallUnfocused->data) << "the focused picture shows no focus rectangle";

    // Shift+Tab goes back to the verb list, which keeps the focus while the main window is active.
    probe::PressKey(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(probe::WaitFor([&] { return GetDlgCtrlID(FocusOf(window)) == kIdPropVerbList; }, probe::kShortWait));
    ASSERT_TRUE(probe::MakeForeground(session.main()));
    ASSERT_TRUE(probe::MakeForeground(window));
    EXPECT_TRUE(probe::WaitFor([&] { return GetDlgCtrlID(FocusOf(window)) == kIdPropVerbList; }, probe::kShortWait))
        << "reactivated, the window put the focus on " << GetDlgCtrlID(FocusOf(window)) << ", not the verb list";

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
    // The empty Text2's tooltip tells which type opens the files instead.
    probe::MoveMouse(probe::Center(probe::WindowRect(probe::ChildById(window, kIdPropText1 + 1))));
    std::wstring tip;
    EXPECT_TRUE(probe::WaitFor(
        [&] {
            return (tip = ShownTooltipText(session.app())) ==
                   L"打开文件用的类型：.ftnodefault\r\n原因：扩展名键没有指定类型，用它自己的动作";
        },
        probe::kShortWait))
        << "the tooltip reads \"" << probe::Utf8(tip) << "\"";
}

TEST(Properties, ASecondRequestRefillsTheOpenWindowWithOnlyTheNewType) {
    ProgramSession session(L"props-refill");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const HWND window = RequestProperties(session);
    ASSERT_NE(window, nullptr);
    const HWND exported = session.RunMenuEntry(kMenuExport, kExportClass);
    ASSERT_NE(exported, nullptr);
    session.MoveAside(exported);
    ASSERT_TRUE(probe::WaitFor([&] { return Above(exported, window); }, probe::kShortWait));
    const RECT placed = probe::WindowRect(window);

    // A type key whose name holds a double quote, verbs with quotes and blanks. Asked for again,
    // the window comes to the front over the export window, where it stood.
    ASSERT_TRUE(session.ClickRow(L"ftquote"));
    ASSERT_EQ(session.RunMenuEntry(kMenuProperties, kPropertiesClass), window)
        << "a second properties window instead of the open one";
    EXPECT_TRUE(probe::WaitFor([&] { return GetForegroundWindow() == window && Above(window, exported); },
                               probe::kShortWait))
        << "the properties window asked for again does not come to the front";
    EXPECT_TRUE(Above(window, session.main()));
    const RECT now = probe::WindowRect(window);
    EXPECT_TRUE(EqualRect(&placed, &now)) << "the properties window moved when asked for again";
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

TEST(Properties, ADoubleClickOrEnterOnARowOpensItsPropertiesWhoseVerbsCopyAndShowWhole) {
    ProgramSession session(L"props-activate");
    ASSERT_TRUE(session.ready());
    auto list = session.list();
    const int row = list.Find(L"ftqn2");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(probe::MakeForeground(session.main()));
    const auto rowRect = list.ItemRectOnScreen(row);
    ASSERT_TRUE(rowRect.has_value());
    probe::DoubleClick(probe::Center(*rowRect));
    const HWND window = WaitShown(session.app(), kPropertiesClass);
    ASSERT_NE(window, nullptr) << "a double-click on a row opened no properties window";
    session.MoveAside(window);
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdPropText1)), L".ftqn2");

    // Ctrl+C on the verb list copies the verb and its command line.
    const std::wstring verbName = L"Open this long-named document with the long-named tool";
    const std::wstring command = L"\"C:\\Program Files\\Ft Tools\\A Tool With A Long Name\\ftlongtool.exe\" /open "
                                 L"/title \"A long title for the document window\" /mode \"read only, and keep where "
                                 L"the window was\" \"%1\"";
    probe::RemoteListView verbs(probe::ChildById(window, kIdPropVerbList), session.app().process());
    ASSERT_EQ(verbs.Count(), 1);
    const auto nameCell = verbs.CellRectOnScreen(0, 0);
    const auto commandCell = verbs.CellRectOnScreen(0, 1);
    ASSERT_TRUE(nameCell.has_value() && commandCell.has_value());
    probe::LeftClick(probe::Center(*nameCell));
    ASSERT_TRUE(probe::WaitFor([&] { return verbs.Selected() == 0; }, probe::kShortWait));
    probe::EmptyTheClipboard();
    probe::PressKey('C', {VK_CONTROL});
    std::optional<std::wstring> copied;
    EXPECT_TRUE(probe::WaitFor(
        [&] { return (copied = probe::ClipboardText()) == verbName + L"\t" + command; }, probe::kShortWait))
        << "the clipboard holds " << copied.value_or(L"no text");

    // The command line, cut short by its column, shows whole in a tooltip.
    // (The column runs past the list's right edge: a point near its start is in view.)
    probe::MoveMouse(POINT{commandCell->left + 30, probe::Center(*commandCell).y});
    std::wstring tip;
    EXPECT_TRUE(probe::WaitFor([&] { return (tip = ShownTooltipText(session.app())) == command; },
                               probe::kShortWait))
        << "the tooltip reads \"" << tip << "\"";
    probe::Screenshot(window, L"properties-window-verb-tooltip");

    // Enter on the main list's selected row: that row's properties, in the same window.
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    probe::PressKey(VK_RETURN);
    EXPECT_TRUE(probe::WaitFor(
        [&] { return probe::TextOf(probe::ChildById(window, kIdPropText1)) == L".ftalpha"; }, probe::kShortWait))
        << "Text1 reads " << probe::TextOf(probe::ChildById(window, kIdPropText1));
    EXPECT_EQ(probe::TopLevelWindowsOfClass(session.app().pid(), kPropertiesClass).size(), 1u);
}

// tests/fixtures/e2e.reg's FtTest.Verbs: the shell key names "Play, view", and Play is no verb.
TEST(Properties, VerbRowsMarkTheDefaultDimAMissingProgramAndExplainThemselves) {
    ProgramSession session(L"props-verbs");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftverbs"));
    const HWND window = RequestProperties(session);
    ASSERT_NE(window, nullptr);
    probe::RemoteListView verbs(probe::ChildById(window, kIdPropVerbList), session.app().process());
    const auto names = probe::ClassesRootSubkeys(L"FtTest.Verbs\\shell");
    ASSERT_EQ(verbs.Count(), static_cast<int>(names.size()));
    const auto row = [&](const wchar_t* name) { return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()); };

    // Each row keeps the registry's text; its first cell's tooltip tells what the shell makes of it.
    const std::wstring shown = L"菜单中显示为：";
    const auto expected = ExpectedVerbs(L"FtTest.Verbs", {  // (row text, tooltip)
        {L"view", {L"&Open", shown + L"打开（默认动作）\r\n命令行：notepad.exe \"%1\""}},
        {L"open", {L"&Open", shown + L"Open\r\n命令行：C:\\windows\\system32\\notepad.exe \"%1\"\r\n"
                                     L"按住 Shift 键时才在菜单中显示（Extended）"}},
        {L"gone", {L"Gone &Tool", shown + L"Gone Tool\r\n命令行：\"C:\\Program Files\\Ft Tools\\gone.exe\" \"%1\"\r\n"
                                          L"菜单中不显示（LegacyDisable）\r\n找不到程序：C:\\Program Files\\Ft Tools\\gone.exe"}},
        {L"delegate", {L"delegate", shown + L"delegate\r\n由 DelegateExecute 处理，不用命令行："
                                            L"{D3E34B21-9D75-101A-8C3D-00AA001A1652}"}},
    });
    for (int i = 0; i < verbs.Count(); ++i) {
        SCOPED_TRACE(probe::Utf8(names[i]));
        EXPECT_EQ(verbs.Text(i, 0), expected[i].action);
        const auto cell = verbs.CellRectOnScreen(i, 0);
        ASSERT_TRUE(cell.has_value());
        probe::MoveMouse(probe::Center(*cell));
        std::wstring tip;
        EXPECT_TRUE(probe::WaitFor([&] { return (tip = ShownTooltipText(session.app())) == expected[i].command; },
                                   probe::kShortWait))
            << "the tooltip reads \"" << probe::Utf8(tip) << "\"";
    }

    // Of two rows reading "&Open", the default verb's is bold; the row whose program is gone
    // is drawn no darker than the disabled text colour.
    probe::MoveMouse(probe::Center(probe::WindowRect(probe::ChildById(window, kIdPropClose))));
    ASSERT_TRUE(probe::WaitFor([&] { return ShownTooltipText(session.app()).empty(); }, probe::kShortWait));
    probe::WaitPainted(window);
    const Ink bold = InkOfCell(verbs, row(L"view"));
    const Ink plain = InkOfCell(verbs, row(L"open"));
    const Ink gone = InkOfCell(verbs, row(L"gone"));
    EXPECT_GT(bold.count, plain.count + plain.count / 10) << "the default verb's row is not bold";
    const int graySum = GrayTextSum();
    EXPECT_LT(plain.darkest, graySum) << "a working verb is drawn as light as a disabled one";
    EXPECT_GE(gone.darkest, graySum - 6) << "the row of a missing program is not in the disabled text colour";

    // The bold row's command, cut by a pixel or two, shows whole: it is measured in bold. (The
    // list keeps 12 pixels at 96 dpi beside a cell's text.)
    const std::wstring command = L"notepad.exe \"%1\"";
    ASSERT_EQ(verbs.Text(row(L"view"), 1), command);
    SendMessageW(verbs.hwnd(), LVM_SETCOLUMNWIDTH, 1, verbs.StringWidth(command) + MulDiv(12, ScreenDpi(), 96) + 2);
    probe::MoveMouse(probe::Center(*verbs.CellRectOnScreen(row(L"view"), 1)));
    std::wstring tip;
    EXPECT_TRUE(probe::WaitFor([&] { return (tip = ShownTooltipText(session.app())) == command; }, probe::kShortWait))
        << "the tooltip reads \"" << probe::Utf8(tip) << "\"";
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
    // Its tooltip wraps within the screen's work area and ends with "…" where it is cut.
    const auto cell = probe::RemoteListView(probe::ChildById(window, kIdPropVerbList), session.app().process())
                          .CellRectOnScreen(0, 1);
    ASSERT_TRUE(cell.has_value());
    probe::MoveMouse(POINT{cell->left + 30, probe::Center(*cell).y});
    std::wstring tip;
    EXPECT_TRUE(probe::WaitFor([&] { return (tip = ShownTooltipText(session.app())).ends_with(L"…"); }, probe::kShortWait))
        << "a tooltip of " << tip.size() << " characters";
    RECT work{}, inside{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (HWND shownTip : probe::TopLevelWindowsOfClass(session.app().pid(), L"tooltips_class32")) {
        if (const RECT placed = probe::WindowRect(shownTip); IsWindowVisible(shownTip)) {
            EXPECT_TRUE(IntersectRect(&inside, &placed, &work) && EqualRect(&inside, &placed)) << "the tip leaves the work area";
        }
    }
    probe::Screenshot(window, L"properties-window-ftoddlarge");
}

}  // namespace
}  // namespace e2e
