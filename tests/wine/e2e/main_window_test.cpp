// The main window once the list is ready: sorting by header clicks, copying, type-ahead and
// tooltips on the list, the show state it starts in, the smallest size and the list following
// the window's size, and the popup menu from mouse and keyboard, on the list whatever its scroll.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <tuple>

#include "program_session.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Texts made only of ASCII letters and blanks order the same under any case-insensitive
// comparison, ordinal or linguistic; those are the ones whose order the tests check.
bool PlainText(const std::wstring& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) {
        return c == L' ' || (c < 128 && std::iswalpha(c));
    });
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::vector<std::wstring> PlainInOrder(const std::vector<std::wstring>& column) {
    std::vector<std::wstring> out;
    for (const auto& s : column)
        if (PlainText(s)) out.push_back(Lower(s));
    return out;
}

bool Ordered(const std::vector<std::wstring>& column, bool ascending) {
    const auto plain = PlainInOrder(column);
    return ascending ? std::is_sorted(plain.begin(), plain.end())
                     : std::is_sorted(plain.rbegin(), plain.rend());
}

std::vector<std::pair<std::wstring, std::wstring>> SortedPairs(const std::vector<probe::ListRow>& rows) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const auto& r : rows) pairs.emplace_back(r.text, r.sub);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// The selected row lies within the rows the list shows.
bool SelectedRowInView(const probe::RemoteListView& list) {
    const int selected = list.Selected();
    const auto top = static_cast<int>(SendMessageW(list.hwnd(), LVM_GETTOPINDEX, 0, 0));
    const auto perPage = static_cast<int>(SendMessageW(list.hwnd(), LVM_GETCOUNTPERPAGE, 0, 0));
    return selected >= 0 && selected >= top && selected < top + perPage;
}

// Clicks header `column` and waits until the column reads in the wanted order.
std::vector<std::wstring> ClickHeaderAndRead(ProgramSession& session, int column, bool ascending) {
    auto list = session.list();
    const auto rect = list.HeaderItemRectOnScreen(column);
    if (!rect) return {};
    probe::LeftClick(probe::Center(*rect));
    std::vector<std::wstring> texts;
    probe::WaitFor([&] { return Ordered(texts = list.Column(column), ascending); }, probe::kShortWait);
    return texts;
}

TEST(MainWindow, HeaderClicksSortDescendingThenAscendingAndByEitherColumn) {
    ProgramSession session(L"sort");
    ASSERT_TRUE(session.ready());
    auto list = session.list();
    const auto before = SortedPairs(list.Rows());
    // The selected row stays in view through every sort.
    ASSERT_TRUE(session.ClickRow(L"ftqn2"));

    // The list starts sorted by extension, ascending: the first click on that header flips it.
    const auto extDescending = ClickHeaderAndRead(session, 0, false);
    EXPECT_TRUE(Ordered(extDescending, false)) << "first click on 文件后缀名 did not sort descending";
    EXPECT_TRUE(SelectedRowInView(list)) << "the selected row went out of view";
    const auto extAscending = ClickHeaderAndRead(session, 0, true);
    EXPECT_TRUE(Ordered(extAscending, true)) << "second click on 文件后缀名 did not sort ascending";
    EXPECT_TRUE(SelectedRowInView(list)) << "the selected row went out of view";
    // Extensions are unique, so the two orders are exact mirrors of each other.
    EXPECT_EQ(extDescending, std::vector<std::wstring>(extAscending.rbegin(), extAscending.rend()));
    // Letter case does not count: FtMixed sorts between ftchinese and ftnodefault.
    const auto pos = [&](const wchar_t* ext) {
        return std::find(extAscending.begin(), extAscending.end(), ext) - extAscending.begin();
    };
    EXPECT_LT(pos(L"ftalpha"), pos(L"ftbare"));
    EXPECT_LT(pos(L"ftchinese"), pos(L"FtMixed"));
    EXPECT_LT(pos(L"FtMixed"), pos(L"ftnodefault"));
    EXPECT_LT(pos(L"ftnodefault"), pos(L"ftquote"));
    // Numbers count by their value.
    EXPECT_LT(pos(L"ftqn1"), pos(L"ftqn2"));
    EXPECT_LT(pos(L"ftqn2"), pos(L"ftqn10"));

    // Another column sorts ascending first, then flips; rows of one type name keep the order in
    // which they were added (ftqn1 and ftqn10 share theirs) either way.
    const auto tiesInAddingOrder = [&] {
        const auto ext = list.Column(0);
        return std::find(ext.begin(), ext.end(), L"ftqn1") < std::find(ext.begin(), ext.end(), L"ftqn10");
    };
    const auto typeAscending = ClickHeaderAndRead(session, 1, true);
    EXPECT_TRUE(Ordered(typeAscending, true)) << "first click on 文件类型 did not sort ascending";
    EXPECT_TRUE(tiesInAddingOrder());
    const auto typeDescending = ClickHeaderAndRead(session, 1, false);
    EXPECT_TRUE(Ordered(typeDescending, false)) << "second click on 文件类型 did not sort descending";
    EXPECT_TRUE(tiesInAddingOrder());
    EXPECT_TRUE(SelectedRowInView(list)) << "the selected row went out of view";
    EXPECT_EQ(list.Text(list.Selected(), 0), L"ftqn2") << "the selection did not move with its row";
    ASSERT_GE(PlainInOrder(typeAscending).size(), 3u) << "too few plain type names to tell an order";
    EXPECT_NE(PlainInOrder(typeAscending), PlainInOrder(typeDescending));

    // Back on the first column: ascending again.
    const auto extAgain = ClickHeaderAndRead(session, 0, true);
    EXPECT_EQ(extAgain, extAscending);

    // Sorting moves whole rows: every extension keeps its type name.
    EXPECT_EQ(SortedPairs(list.Rows()), before);
}

TEST(MainWindow, CtrlCCopiesTheRowTypingFindsAnExtensionAndCutTextsShowWhole) {
    ProgramSession session(L"list-keys");
    ASSERT_TRUE(session.ready());
    auto list = session.list();
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));

    probe::EmptyTheClipboard();
    probe::PressKey('C', {VK_CONTROL});
    std::optional<std::wstring> copied;
    EXPECT_TRUE(probe::WaitFor([&] { return (copied = probe::ClipboardText()) == L"ftalpha\tFt Alpha Document"; },
                               probe::kShortWait))
        << "the clipboard holds " << copied.value_or(L"no text");

    // The list's own type-ahead, with the dot typed first passed over.
    probe::TypeKeys({VK_OEM_PERIOD, 'F', 'T', 'Q', 'N', '1', '0'});
    EXPECT_TRUE(probe::WaitFor([&] { return list.Selected() == list.Find(L"ftqn10"); }, probe::kShortWait))
        << "typing .ftqn10 selected " << list.Text(list.Selected(), 0);

    // An extension wider than its column shows whole in a tooltip over its cell, before what the
    // row tells of its type (no type key, no verbs).
    const std::wstring longExtension = L"ftlongextensionforthelist";
    const auto cell = list.CellRectOnScreen(list.Find(longExtension), 0);
    ASSERT_TRUE(cell.has_value());
    probe::MoveMouse(probe::Center(*cell));
    std::wstring tip;
    EXPECT_TRUE(probe::WaitFor(
        [&] { return (tip = ShownTooltipText(session.app())) == longExtension + L"\r\n没有打开它的程序"; },
        probe::kShortWait))
        << "the tooltip reads \"" << probe::Utf8(tip) << "\"";
    probe::Screenshot(session.main(), L"main-window-cell-tooltip");
}

TEST(MainWindow, ComesUpMaximisedOrMinimisedAsItWasStarted) {
    {
        ProgramSession session(L"maximised", SW_SHOWMAXIMIZED);
        ASSERT_TRUE(session.ready());
        EXPECT_TRUE(IsZoomed(session.main())) << "started maximised, shown otherwise";
        EXPECT_TRUE(probe::WaitFor([&] {
            const RECT client = probe::ClientRectOnScreen(session.main());
            const RECT list = probe::WindowRect(session.list().hwnd());
            return EqualRect(&client, &list) != FALSE;
        }, probe::kShortWait)) << "the list does not fill the maximised window";
    }
    ProgramSession session(L"minimised", SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(session.ready());
    EXPECT_TRUE(IsIconic(session.main())) << "started minimised, shown otherwise";
}

TEST(MainWindow, KeepsItsSmallestSizeAndTheListFillsItAfterEveryResize) {
    ProgramSession session(L"resize");
    ASSERT_TRUE(session.ready());
    const SIZE minimum = MinimumWindowSize();
    const HWND main = session.main();
    const HWND list = session.list().hwnd();
    const auto size = [&] {
        const RECT r = probe::WindowRect(main);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    const auto expectListFills = [&](const char* when) {
        const RECT client = probe::ClientRectOnScreen(main);
        const RECT l = probe::WindowRect(list);
        EXPECT_TRUE(EqualRect(&client, &l)) << "after " << when << ": list " << l.left << "," << l.top << "-"
                                            << l.right << "," << l.bottom << ", client " << client.left << ","
                                            << client.top << "-" << client.right << "," << client.bottom;
    };
    const auto resize = [&](int width, int height) {
        SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };

    resize(300, 200);
    probe::WaitFor([&] { return size().cx == minimum.cx && size().cy == minimum.cy; }, probe::kShortWait);
    EXPECT_EQ(size().cx, minimum.cx);
    EXPECT_EQ(size().cy, minimum.cy);
    expectListFills("too small a size");

    resize(minimum.cx + 150, minimum.cy + 100);
    probe::WaitFor([&] { return size().cx == minimum.cx + 150; }, probe::kShortWait);
    EXPECT_EQ(size().cx, minimum.cx + 150);
    EXPECT_EQ(size().cy, minimum.cy + 100);
    expectListFills("growing");

    // Only the dimension that is too small is corrected.
    resize(minimum.cx - 40, minimum.cy + 60);
    probe::WaitFor([&] { return size().cx == minimum.cx && size().cy == minimum.cy + 60; }, probe::kShortWait);
    EXPECT_EQ(size().cx, minimum.cx);
    EXPECT_EQ(size().cy, minimum.cy + 60);
    expectListFills("too narrow a size");

    // Minimised and restored: back at the same size, the list filling it.
    const SIZE restoredSize = size();
    ShowWindow(main, SW_MINIMIZE);
    EXPECT_TRUE(probe::WaitFor([&] { return IsIconic(main) != FALSE; }, probe::kShortWait));
    ShowWindow(main, SW_RESTORE);
    ASSERT_TRUE(probe::WaitFor([&] { return !IsIconic(main); }, probe::kShortWait));
    probe::WaitFor([&] { return size().cx == restoredSize.cx && size().cy == restoredSize.cy; }, probe::kShortWait);
    EXPECT_EQ(size().cx, restoredSize.cx);
    EXPECT_EQ(size().cy, restoredSize.cy);
    expectListFills("minimise and restore");
    probe::Screenshot(main, L"main-window-resized");
}

// The three entries, in order, and nothing else.
void ExpectTheCommandMenu(ProgramSession& session, HWND menu, const char* how) {
    ASSERT_NE(menu, nullptr) << "no popup menu after " << how;
    if (const auto texts = probe::MenuTexts(menu)) {
        EXPECT_EQ(*texts, kMenuEntries) << "menu opened by " << how;
    } else {
        // Wine keeps a menu's items private to its process: read the entries off the screen.
        const auto tops = probe::FindMenuTexts(menu, kMenuEntries);
        ASSERT_EQ(tops.size(), 3u);
        for (std::size_t i = 0; i < tops.size(); ++i)
            EXPECT_GE(tops[i], 0) << "the menu opened by " << how << " does not show " << kMenuEntries[i];
        if (tops[0] >= 0 && tops[1] >= 0 && tops[2] >= 0) {
            // In this order, one below the other at one pitch: nothing lies between them.
            EXPECT_LT(tops[0], tops[1]);
            EXPECT_EQ(tops[1] - tops[0], tops[2] - tops[1]) << "something lies between the entries";
            // Home highlights the first entry and End the last: nothing lies before or after them.
            probe::PressKey(VK_HOME);
            const auto first = probe::HighlightedBand(menu);
            ASSERT_TRUE(first.has_value()) << "Home highlights no entry";
            EXPECT_TRUE(first->first <= tops[0] && tops[0] < first->second) << "an entry precedes " << kMenuEntries[0];
            probe::PressKey(VK_END);
            const auto last = probe::HighlightedBand(menu);
            ASSERT_TRUE(last.has_value()) << "End highlights no entry";
            EXPECT_TRUE(last->first <= tops[2] && tops[2] < last->second) << "an entry follows " << kMenuEntries[2];
        }
    }
    probe::PressKey(VK_ESCAPE);
    EXPECT_TRUE(probe::WaitFor([&] { return session.app().PopupMenu() == nullptr; }, probe::kShortWait))
        << "Escape did not close the menu opened by " << how;
}

TEST(MainWindow, RightButtonReleaseOverTheListOpensTheCommandMenu) {
    ProgramSession session(L"menu-mouse");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const HWND menu = session.OpenMenuWithMouse();
    ASSERT_NE(menu, nullptr) << "no popup menu after a right click on a row";
    probe::Screenshot(menu, L"main-window-popup-menu");
    ExpectTheCommandMenu(session, menu, "a right click on a row");

    // Blank space below the last row opens it too.
    const auto blank = session.BlankSpotBelowRows();
    ASSERT_TRUE(blank.has_value()) << "no blank space below the last row to click on";
    probe::RightClick(*blank);
    HWND blankMenu = nullptr;
    probe::WaitFor([&] { return (blankMenu = session.app().PopupMenu()) != nullptr; }, probe::kShortWait);
    ExpectTheCommandMenu(session, blankMenu, "a right click below the last row");
}

TEST(MainWindow, MenuKeyAndShiftF10OpenTheSameMenuUnderTheRow) {
    ProgramSession session(L"menu-keys");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const auto row = session.list().ItemRectOnScreen(session.list().Selected());
    ASSERT_TRUE(row.has_value());
    const auto expectUnderTheRow = [&](HWND menu, const char* how) {
        const RECT at = menu ? probe::WindowRect(menu) : RECT{};
        EXPECT_TRUE(std::abs(at.left - row->left) <= 3 && std::abs(at.top - row->bottom) <= 3)
            << how << ": the menu opens at " << at.left << "," << at.top << ", not under the row";
        ExpectTheCommandMenu(session, menu, how);
    };
    expectUnderTheRow(session.OpenMenuWithKeyboard(false), "the context-menu key");
    expectUnderTheRow(session.OpenMenuWithKeyboard(true), "Shift+F10");
    // 64-bit Windows may send both coordinates -1 with the upper half of the LPARAM clear.
    PostMessageW(session.main(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(session.list().hwnd()), MAKELPARAM(-1, -1));
    HWND menu = nullptr;
    probe::WaitFor([&] { return (menu = session.app().PopupMenu()) != nullptr; }, probe::kShortWait);
    expectUnderTheRow(menu, "WM_CONTEXTMENU with MAKELPARAM(-1, -1)");

    // The first row selected and scrolled out of view: the menu opens at the list's corner.
    ASSERT_TRUE(session.ClickRow(session.list().Text(0, 0)));
    SendMessageW(session.list().hwnd(), LVM_SCROLL, 0, 100000);
    ASSERT_FALSE(SelectedRowInView(session.list()));
    menu = session.OpenMenuWithKeyboard(true);
    const RECT list = probe::ClientRectOnScreen(session.list().hwnd());
    const RECT at = menu ? probe::WindowRect(menu) : RECT{};
    EXPECT_TRUE(PtInRect(&list, POINT{at.left, at.top})) << "the menu opens at " << at.left << "," << at.top << ", off the list";
    ExpectTheCommandMenu(session, menu, "Shift+F10 with the selected row out of view");
}

// What opens each type, in the tooltip over any cell of its row, and the types that point at
// something that is not there in grey. The user's choices and an App Paths entry lie outside
// HKEY_CLASSES_ROOT, and the programs are files: they are set up here, before the program starts.
TEST(MainWindow, RowsTellWhatOpensTheirTypeAndBrokenTypesAreGrey) {
    const std::wstring choices = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
    const auto setUserText = [](const std::wstring& key, const wchar_t* name, const std::wstring& text) {
        return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    };
    ASSERT_TRUE(setUserText(choices + L".ftchoice\\UserChoice", L"ProgId", L"FtTest.Chinese"));
    ASSERT_TRUE(setUserText(choices + L".ftchoicegone\\UserChoice", L"ProgId", L"FtTest.NoSuchChoice"));
    ASSERT_TRUE(setUserText(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ftapppath.exe", nullptr,
                            L"C:\\ftapps\\ftapppath.exe"));
    // More than 8 blanks in an unquoted path that exists.
    for (const std::filesystem::path file : {L"C:\\ftapps\\ftapppath.exe", L"C:\\Ft A B C D E F G H I\\ftblanks.exe"}) {
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(probe::WriteFileBytes(file, {'M', 'Z'}));
    }
    ProgramSession session(L"openers");
    ASSERT_TRUE(session.ready());
    auto list = session.list();
    const std::wstring alpha = L"打开方式：notepad.exe\r\n程序：C:\\windows\\system32\\notepad.exe\r\n默认动作：Open with Alpha";
    // Wine's system answer is the extension key's value: it honours no user's choice.
    const std::vector<std::tuple<const wchar_t*, std::wstring, bool>> rows = {  // (extension, tip, grey)
        {L"ftchoice", alpha + L"\r\n用户选择：FtTest.Chinese（系统未采用）", false},
        {L"ftchoicegone", alpha + L"\r\n用户选择：FtTest.NoSuchChoice（系统未采用）\r\n用户选择的类型不存在：FtTest.NoSuchChoice", true},
        {L"ftorphan", L"没有打开它的程序\r\n扩展名指向的类型不存在：FtTest.Missing", true},
        {L"ftgone", L"没有打开它的程序\r\n默认动作：open\r\n找不到程序：C:\\Program Files\\Ft Tools\\ftgone.exe", true},
        {L"ftapppath", L"打开方式：Ft 应用路径程序\r\n程序：C:\\ftapps\\ftapppath.exe\r\n默认动作：open", false},
        {L"ftblanks", L"打开方式：ftblanks.exe\r\n程序：C:\\Ft A B C D E F G H I\\ftblanks.exe\r\n默认动作：open", false},
        {L"ftpackaged", L"打开方式：Ft 打包应用\r\n默认动作：open", false},
    };
    for (const auto& [extension, tip, grey] : rows) {
        SCOPED_TRACE(probe::Utf8(extension));
        const int position = list.Find(extension);
        EXPECT_EQ(session.RowTip(position, 1, tip), tip);
        if (extension == std::wstring(L"ftgone")) probe::Screenshot(session.main(), L"main-window-row-tooltip");
        const Ink ink = session.RowInk(position);
        if (grey) {
            EXPECT_GE(ink.darkest, GrayTextSum() - 6) << "a broken type's row is not in the disabled text colour";
        } else {
            EXPECT_LT(ink.darkest, GrayTextSum()) << "a working type's row is drawn as light as a broken one";
        }
    }
}

}  // namespace
}  // namespace e2e
