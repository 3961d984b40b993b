// "文件类型备份 (.reg)": the extension key and the type key exported to .reg files in the
// start-up directory, the result window, and its buttons that open the files in Notepad.
#include <gtest/gtest.h>

#include <set>

#include "program_session.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const std::wstring kExporting = L"正在导出……";
const std::wstring kExported = L"此文件类型已从注册表导出";

// Reads the status line until the export has ended; every text it showed is added to `seen`.
std::wstring WaitForOutcome(HWND window, std::set<std::wstring>& seen) {
    const HWND label = probe::ChildById(window, kIdExportLabel);
    std::wstring text;
    probe::WaitFor([&] {
        text = probe::TextOf(label);
        seen.insert(text);
        return text != kExporting;
    });
    return text;
}

RECT ChildRect(HWND window, int id) {
    RECT r = probe::WindowRect(probe::ChildById(window, id));
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The box shows the end of its path: it has scrolled, and the last character lies inside it.
::testing::AssertionResult ShowsTheFileName(HWND box) {
    const int length = static_cast<int>(probe::TextOf(box).size());
    const auto firstVisible = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    const auto last = SendMessageW(box, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1), 0);
    RECT client{};
    GetClientRect(box, &client);
    const int x = static_cast<short>(LOWORD(last));
    if (firstVisible > 0 && x >= 0 && x < client.right) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "first visible character " << firstVisible << ", last character at x "
                                         << x << " of " << client.right;
}

HWND RequestExport(ProgramSession& session) {
    const HWND window = session.RunMenuEntry(kMenuExport, kExportClass);
    if (window) session.MoveAside(window);
    return window;
}

// Waits until `file` holds what the registry editor writes for `key` in the fixture.
void ExpectExportOf(const std::filesystem::path& file, const std::wstring& key) {
    std::wstring fixtureError;
    const auto expected = DumpOfFixtureKey(key, &fixtureError);
    ASSERT_TRUE(expected.has_value()) << "fixture unreadable: " << fixtureError;
    ASSERT_NE(expected->find(L"[" + key + L"]"), std::wstring::npos) << "the fixture has no key " << key;
    std::optional<std::wstring> actual;
    std::wstring error;
    probe::WaitFor([&] { return probe::FileComplete(file) && (actual = DumpOfRegFile(file, &error)) == expected; });
    ASSERT_TRUE(std::filesystem::exists(file)) << "no export file " << file.wstring();
    ASSERT_TRUE(actual.has_value()) << file.wstring() << " does not load: " << error;
    EXPECT_EQ(*actual, *expected) << file.wstring() << " is not the export of " << key;
}

// Clicks `button` and waits for a new Notepad window whose text holds `expectedLine`;
// closes it again. True when it appeared with that text.
::testing::AssertionResult ButtonOpensInNotepad(HWND button, const std::wstring& expectedLine,
                                                const std::wstring& screenshotName) {
    const auto before = probe::TopLevelWindowsOfClass(0, L"Notepad");
    const std::set<HWND> old(before.begin(), before.end());
    probe::LeftClick(probe::Center(probe::WindowRect(button)));
    HWND notepad = nullptr;
    std::wstring text;
    const bool found = probe::WaitFor([&] {
        for (HWND hwnd : probe::TopLevelWindowsOfClass(0, L"Notepad")) {
            if (old.count(hwnd)) continue;
            notepad = hwnd;
            const HWND edit = FindWindowExW(hwnd, nullptr, L"Edit", nullptr);
            text = edit ? probe::TextOf(edit) : L"";
            if (text.find(expectedLine) != std::wstring::npos) return true;
        }
        return false;
    });
    if (notepad) {
        if (found) probe::Screenshot(notepad, screenshotName);
        DWORD pid = 0;
        GetWindowThreadProcessId(notepad, &pid);
        PostMessageW(notepad, WM_CLOSE, 0, 0);
        if (!probe::WaitFor([&] { return !IsWindow(notepad); }, probe::kShortWait)) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
        }
    }
    if (!notepad) return ::testing::AssertionFailure() << "no Notepad window appeared";
    if (!found) {
        std::string shown(text.begin(), text.end());
        return ::testing::AssertionFailure() << "Notepad does not show the export file; its text begins: "
                                             << shown.substr(0, 200);
    }
    return ::testing::AssertionSuccess();
}

TEST(Export, WritesTheExtensionKeyAndTheTypeKeyAndOpensThemInNotepad) {
    ProgramSession session(L"export");
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const HWND window = RequestExport(session);
    ASSERT_NE(window, nullptr) << "no export window";

    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    EXPECT_EQ(std::wstring(caption), L"文件类型备份");
    const auto first = session.workDir() / L"FTALPHA#1.reg";
    const auto second = session.workDir() / L"FTALPHA#2.reg";
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText1)), first.wstring());
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText2)), second.wstring());
    const HWND close = probe::ChildById(window, kIdExportClose);
    EXPECT_EQ(probe::TextOf(close), L"关闭");
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportBrowse1)), L"...");
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportBrowse2)), L"...");
    EXPECT_TRUE(probe::WaitFor([&] { return FocusOf(window) == close; }, probe::kShortWait))
        << "the focus does not start on 关闭";
    probe::Screenshot(window, L"export-window-ftalpha");

    // The success text comes only once both files are there, in the status line's designed place.
    std::set<std::wstring> seen;
    EXPECT_EQ(WaitForOutcome(window, seen), kExported);
    EXPECT_TRUE(std::filesystem::exists(first) && std::filesystem::exists(second));
    const RECT label = ChildRect(window, kIdExportLabel);
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    EXPECT_EQ(label.top, MulDiv(1440, dpi, 1440));
    EXPECT_EQ(label.bottom - label.top, MulDiv(255, dpi, 1440));
    ExpectExportOf(first, L".ftalpha");
    ExpectExportOf(second, L"FtTest.Alpha");

    EXPECT_TRUE(ButtonOpensInNotepad(probe::ChildById(window, kIdExportBrowse1), L"[HKEY_CLASSES_ROOT\\.ftalpha]",
                                     L"export-file-1-in-notepad"));
    EXPECT_TRUE(ButtonOpensInNotepad(probe::ChildById(window, kIdExportBrowse2), L"[HKEY_CLASSES_ROOT\\FtTest.Alpha]",
                                     L"export-file-2-in-notepad"));

    // Without Notepad (an optional feature of Windows), the button says why nothing opens.
    const std::filesystem::path notepad = probe::Env(L"SystemRoot") + L"\\system32\\notepad.exe", moved = notepad.wstring() + L"~";
    std::error_code error;
    std::filesystem::rename(notepad, moved, error);
    probe::LeftClick(probe::Center(probe::WindowRect(probe::ChildById(window, kIdExportBrowse1))));
    const HWND box = WaitShown(session.app(), L"#32770");
    std::filesystem::rename(moved, notepad, error);
    ASSERT_TRUE(box && GetWindow(box, GW_OWNER) == window) << "no message box owned by the export window";
    std::wstring said;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) said += probe::TextOf(child);
    EXPECT_TRUE(said.find(L"无法启动 notepad.exe：") != said.npos && said.find(L"（错误代码 2）") != said.npos) << probe::Utf8(said);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(probe::WaitFor([&] { return !IsWindow(box); }, probe::kShortWait));

    probe::LeftClick(probe::Center(probe::WindowRect(close)));
    EXPECT_TRUE(session.app().WaitGone(kExportClass)) << "关闭 did not destroy the export window";
}

std::wstring FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    const auto text = [](const std::vector<std::uint8_t>& bytes) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    };
    const std::wstring x = text(a), y = text(b);
    std::size_t i = 0;
    while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
    const std::size_t start = x.rfind(L'\n', i) == std::wstring::npos ? 0 : x.rfind(L'\n', i) + 1;
    return L"before: \"" + x.substr(start, 120) + L"\"\nafter:  \"" + y.substr(start, 120) + L"\"";
}

TEST(Export, ATypeKeyNamedWithAQuoteIsExportedExactlyAndTheRegistryStaysAsItWas) {
    ProgramSession session(L"export-quote");
    ASSERT_TRUE(session.ready());
    probe::TempDir scratch(L"hkcr");
    const auto before = scratch.path() / L"before.reg";
    const auto after = scratch.path() / L"after.reg";
    ASSERT_TRUE(session.ClickRow(L"ftquote"));
    ASSERT_TRUE(probe::RegExport(L"HKEY_CLASSES_ROOT", before));

    const HWND window = RequestExport(session);
    ASSERT_NE(window, nullptr) << "no export window";
    const auto first = session.workDir() / L"FTQUOTE#1.reg";
    const auto second = session.workDir() / L"FTQUOTE#2.reg";
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText1)), first.wstring());
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText2)), second.wstring());
    ExpectExportOf(first, L".ftquote");
    ExpectExportOf(second, L"Ft\"Quote");

    ASSERT_TRUE(probe::RegExport(L"HKEY_CLASSES_ROOT", after));
    const auto a = probe::ReadFileBytes(before), b = probe::ReadFileBytes(after);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(*a == *b) << "HKEY_CLASSES_ROOT changed during the export:\n" << FirstDifference(*a, *b);
    // Only the two export files came into being in the start-up directory.
    std::set<std::wstring> files;
    for (const auto& entry : std::filesystem::directory_iterator(session.workDir()))
        files.insert(entry.path().filename().wstring());
    EXPECT_EQ(files, (std::set<std::wstring>{L"FTQUOTE#1.reg", L"FTQUOTE#2.reg"}));
}

TEST(Export, OneExportWithoutATypeKeyThenAMixedCaseExtensionInTheSameWindow) {
    ProgramSession session(L"export-single");
    ASSERT_TRUE(session.ready());
    // Files of an earlier export: the first is replaced, the second deleted.
    const auto first = session.workDir() / L"FTNODEFAULT#1.reg";
    const auto second = session.workDir() / L"FTNODEFAULT#2.reg";
    const std::vector<std::uint8_t> stale = {'s', 't', 'a', 'l', 'e'};
    ASSERT_TRUE(probe::WriteFileBytes(first, stale));
    ASSERT_TRUE(probe::WriteFileBytes(second, stale));

    ASSERT_TRUE(session.ClickRow(L"ftnodefault"));
    const HWND window = RequestExport(session);
    ASSERT_NE(window, nullptr) << "no export window";
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText1)), first.wstring());
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText2)), L"");
    EXPECT_FALSE(std::filesystem::exists(second)) << "the old second file of this extension is still there";
    ExpectExportOf(first, L".ftnodefault");
    EXPECT_FALSE(std::filesystem::exists(second));

    // The open window takes the next export's paths and comes to the front over the properties
    // window opened meanwhile, where it stood; the file name is upper-cased, the key is not.
    ASSERT_TRUE(session.ClickRow(L"FtMixed"));
    const HWND properties = session.RunMenuEntry(kMenuProperties, kPropertiesClass);
    ASSERT_NE(properties, nullptr);
    session.MoveAside(properties);
    ASSERT_TRUE(probe::WaitFor([&] { return Above(properties, window); }, probe::kShortWait));
    const RECT placed = probe::WindowRect(window);
    ASSERT_EQ(session.RunMenuEntry(kMenuExport, kExportClass), window)
        << "a second export window instead of the open one";
    EXPECT_TRUE(probe::WaitFor([&] { return GetForegroundWindow() == window && Above(window, properties); },
                               probe::kShortWait))
        << "the export window asked for again does not come to the front";
    const RECT now = probe::WindowRect(window);
    EXPECT_TRUE(EqualRect(&placed, &now)) << "the export window moved when asked for again";
    const auto mixedFirst = session.workDir() / L"FTMIXED#1.reg";
    const auto mixedSecond = session.workDir() / L"FTMIXED#2.reg";
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText1)), mixedFirst.wstring());
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText2)), mixedSecond.wstring());
    ExpectExportOf(mixedFirst, L".FtMixed");
    ExpectExportOf(mixedSecond, L"FtTest.Mixed");
    const auto text = probe::ReadFileBytes(mixedFirst);
    ASSERT_TRUE(text.has_value());
    const std::wstring wide(reinterpret_cast<const wchar_t*>(text->data()), text->size() / sizeof(wchar_t));
    EXPECT_NE(wide.find(L"[HKEY_CLASSES_ROOT\\.FtMixed]"), std::wstring::npos) << "the key's case was not kept";
}

TEST(Export, FailuresAreReportedWithTheirKeyAndReasonAndNeverAsSuccess) {
    // A long start-up folder, so that the paths overflow their boxes.
    ProgramSession session(L"export-failures-" + std::wstring(40, L'x'));
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(session.ClickRow(L"ftorphan"));
    const HWND window = RequestExport(session);
    ASSERT_NE(window, nullptr) << "no export window";
    const auto first = session.workDir() / L"FTORPHAN#1.reg";
    const auto second = session.workDir() / L"FTORPHAN#2.reg";
    EXPECT_EQ(probe::TextOf(probe::ChildById(window, kIdExportText2)), second.wstring());
    EXPECT_TRUE(ShowsTheFileName(probe::ChildById(window, kIdExportText1)));
    EXPECT_TRUE(ShowsTheFileName(probe::ChildById(window, kIdExportText2)));

    // The extension names a type key that does not exist: the second export fails, the first is written.
    std::set<std::wstring> seen;
    std::wstring status = WaitForOutcome(window, seen);
    EXPECT_NE(status.find(L"HKEY_CLASSES_ROOT\\FtTest.Missing 导出失败：reg.exe 的退出代码为 1："), std::wstring::npos)
        << "status: " << std::string(status.begin(), status.end());
    EXPECT_EQ(status.find(L".ftorphan"), std::wstring::npos);
    ExpectExportOf(first, L".ftorphan");
    EXPECT_FALSE(std::filesystem::exists(second));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_LE(ChildRect(window, kIdExportLabel).bottom, client.bottom) << "the report does not fit the window";
    probe::Screenshot(window, L"export-failure-missing-type-key");

    // A folder holds the first file's name: it can be neither deleted nor written.
    ASSERT_TRUE(std::filesystem::create_directory(session.workDir() / L"FTBARE#1.reg"));
    ASSERT_TRUE(session.ClickRow(L"ftbare"));
    ASSERT_EQ(RequestExport(session), window);
    status = WaitForOutcome(window, seen);
    EXPECT_NE(status.find(L"无法删除旧文件 FTBARE#1.reg："), std::wstring::npos);
    EXPECT_NE(status.find(L"HKEY_CLASSES_ROOT\\.ftbare 导出失败："), std::wstring::npos);
    GetClientRect(window, &client);
    EXPECT_LE(ChildRect(window, kIdExportLabel).bottom, client.bottom) << "the report does not fit the window";
    probe::Screenshot(window, L"export-failure-blocked-by-folder");
    EXPECT_EQ(seen.count(kExported), 0u) << "a failed export was reported as a success";
}

// The odd-values fixture: values of every type and shape, a 255-character key name, a type
// with 500 verbs and a 1 MB command line. Each export file holds the key exactly as the
// registry tool itself exports it from the registry.
TEST(Export, OddValuesAndLargeTypesAreWrittenAsTheRegistryHoldsThem) {
    ProgramSession session(L"export-odd");
    ASSERT_TRUE(session.ready());
    probe::TempDir reference(L"export-odd-reference");
    const auto expectLikeRegExe = [&](const std::filesystem::path& file, const std::wstring& key) {
        const auto direct = reference.path() / L"direct.reg";
        ASSERT_TRUE(probe::RegExport(key, direct)) << "reg export of " << probe::Utf8(key);
        std::wstring error;
        const auto expected = DumpOfRegFile(direct, &error);
        ASSERT_TRUE(expected.has_value()) << probe::Utf8(error);
        std::optional<std::wstring> actual;
        probe::WaitFor([&] { return probe::FileComplete(file) && (actual = DumpOfRegFile(file, &error)) == expected; });
        ASSERT_TRUE(actual.has_value()) << file.wstring() << " missing or unreadable: " << error;
        EXPECT_TRUE(*actual == *expected) << file.wstring() << " is not the export of the key";
    };
    // Asked for while the large type's export still runs, the row above it waits for that one,
    // and closing its window meanwhile must not leave it waiting for good.
    ASSERT_TRUE(session.ClickRow(L"ftoddlarge"));
    PostMessageW(session.main(), WM_COMMAND, kIdMenuExport, 0);
    PostMessageW(probe::ChildById(session.main(), kIdFileList), WM_KEYDOWN, VK_UP, 0);
    PostMessageW(session.main(), WM_COMMAND, kIdMenuExport, 0);
    const auto waiting = session.workDir() / L"FTODDEMPTY#1.reg";
    const HWND closed = WaitShown(session.app(), kExportClass);
    ASSERT_TRUE(probe::WaitFor([&] { return probe::TextOf(probe::ChildById(closed, kIdExportText1)) == waiting.wstring(); }));
    PostMessageW(closed, WM_CLOSE, 0, 0);
    expectLikeRegExe(waiting, L"HKEY_CLASSES_ROOT\\.ftoddempty");
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"ftoddbinary", L""},          {L"ftoddmulti", L""}, {L"ftoddqword", L"FtOdd.Type"},
        {L"ftoddnone", L""},            {L"ftoddempty", L""}, {L"ftoddodd", L"F"},
        {L"ftoddnonul", L"FtOdd.Type"}, {kLongestExtension, L"FtOdd.Type"}, {L"ftoddlarge", L"FtOdd.Large"},
    };
    std::wstring previous;
    for (const auto& [ext, typeKey] : cases) {
        SCOPED_TRACE(probe::Utf8(ext));
        ASSERT_TRUE(session.ClickRow(ext));
        const HWND window = RequestExport(session);
        ASSERT_NE(window, nullptr) << "no export window";
        // The window stays open from one export to the next: wait for this export's paths.
        std::wstring shown;
        ASSERT_TRUE(probe::WaitFor([&] { return (shown = probe::TextOf(probe::ChildById(window, kIdExportText1))) != previous; },
                                   probe::kShortWait));
        previous = shown;
        const std::filesystem::path first = shown;
        ASSERT_EQ(first.parent_path(), session.workDir());
        expectLikeRegExe(first, L"HKEY_CLASSES_ROOT\\." + ext);
        const std::filesystem::path second = probe::TextOf(probe::ChildById(window, kIdExportText2));
        // "F" names no key: the registry tool has nothing to write for it.
        if (typeKey.empty() || typeKey == L"F") continue;
        expectLikeRegExe(second, L"HKEY_CLASSES_ROOT\\" + typeKey);
    }
}

}  // namespace
}  // namespace e2e
