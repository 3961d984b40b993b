// Start-up: the progress window during the scan, then the main window with one row per
// extension key of HKEY_CLASSES_ROOT, its shell type name and icon.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "program_session.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

std::vector<std::wstring> WithoutDots(const std::vector<std::wstring>& keys) {
    std::vector<std::wstring> out;
    for (const auto& k : keys) out.push_back(k.substr(1));
    return out;
}

TEST(StartupAndList, TitleCountsExtensionKeysAndListHoldsExactlyThem) {
    const auto keys = probe::ExtensionKeys();
    ASSERT_FALSE(probe::ProgramPath().empty()) << "FT_EXE is not set";
    ProgramSession session(L"startup");
    ASSERT_TRUE(session.started()) << "could not start " << probe::ProgramPath();
    ASSERT_TRUE(session.ready()) << "the main window never showed its title";
    probe::Screenshot(session.main(), L"main-window-after-scan");

    wchar_t title[256] = {};
    GetWindowTextW(session.main(), title, 256);
    EXPECT_EQ(std::wstring(title), kTitlePrefix + std::to_wstring(keys.size()) + L"个");

    auto listed = session.list().Column(0);
    // Before any click: the natural order (the registry's is qn1, qn10, qn2), the arrow on column 1.
    const auto at = [&](const wchar_t* ext) { return std::find(listed.begin(), listed.end(), ext) - listed.begin(); };
    EXPECT_LT(at(L"ftqn1"), at(L"ftqn2"));
    EXPECT_LT(at(L"ftqn2"), at(L"ftqn10"));
    std::vector<int> arrows;
    for (const int format : session.list().HeaderFormats()) arrows.push_back(format & (HDF_SORTUP | HDF_SORTDOWN));
    EXPECT_EQ(arrows, (std::vector<int>{HDF_SORTUP, 0}));
    auto expected = WithoutDots(keys);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    // The fixtures' keys must be among them, or the comparison above proves little: odd values
    // and the longest key name are listed like any other.
    for (const std::wstring ext : {L"ftalpha", L"ftnodefault", L"ftchinese", L"FtMixed", L"ftquote", L"ftbare",
                                   L"ftoddbinary", L"ftoddmulti", L"ftoddqword", L"ftoddnone", L"ftoddempty",
                                   L"ftoddodd", L"ftoddnonul", L"ftoddlarge", kLongestExtension.c_str()})
        EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), ext)) << "missing row " << probe::Utf8(ext);

    EXPECT_EQ(session.list().HeaderTexts(), (std::vector<std::wstring>{L"文件后缀名", L"文件类型"}));
}

TEST(StartupAndList, RowsShowTheShellTypeNameAndAnIcon) {
    ProgramSession session(L"typenames");
    ASSERT_TRUE(session.ready());
    const auto rows = session.list().Rows();
    ASSERT_FALSE(rows.empty());

    // A registered type key with a default value: the shell names the type by that value.
    const std::map<std::wstring, std::wstring> named = {
        {L"ftalpha", L"Ft Alpha Document"},
        {L"ftchinese", L"飞特测试文档"},
        {L"FtMixed", L"Ft Mixed Case Type"},
        {L"ftquote", L"Ft Quote Type"},
    };
    for (const auto& [ext, typeName] : named) {
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const probe::ListRow& r) { return r.text == ext; });
        ASSERT_NE(it, rows.end()) << "missing row " << ext;
        EXPECT_EQ(it->sub, typeName) << "type name of " << ext;
    }
    for (const auto& row : rows) {
        EXPECT_GE(row.image, 0) << "row " << row.text << " has no small icon";
        EXPECT_LE(row.sub.size(), 79u) << "type name of " << row.text;
    }
}

TEST(StartupAndList, ListFillsTheMainWindowsClientAreaAndItsColumnsFillTheList) {
    ProgramSession session(L"fill");
    ASSERT_TRUE(session.ready());
    const RECT client = probe::ClientRectOnScreen(session.main());
    const RECT list = probe::WindowRect(session.list().hwnd());
    EXPECT_EQ(list.left, client.left);
    EXPECT_EQ(list.top, client.top);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, client.bottom);

    // The columns take 0.2 and 0.8 of the width beside the vertical scroll bar: nothing to
    // scroll sideways.
    const HWND lv = session.list().hwnd();
    const LONG style = GetWindowLongW(lv, GWL_STYLE);
    ASSERT_TRUE(style & WS_VSCROLL) << "too few rows for a vertical scroll bar";
    EXPECT_FALSE(style & WS_HSCROLL) << "a horizontal scroll bar from the start";
    RECT inside{};
    GetClientRect(lv, &inside);
    const int extension = session.list().ColumnWidth(0);
    const int type = session.list().ColumnWidth(1);
    EXPECT_EQ(extension + type, inside.right);
    EXPECT_EQ(extension, MulDiv(inside.right, 1, 5));
}

// Extension keys added for one test only; they are removed again by a deletion import,
// so that later tests scan the fixture prefix as it was.
class BulkExtensions {
public:
    BulkExtensions(const probe::TempDir& dir, int count) : dir_(dir) {
        std::vector<std::wstring> add{L"Windows Registry Editor Version 5.00", L""};
        std::vector<std::wstring> remove = add;
        for (int i = 0; i < count; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"HKEY_CLASSES_ROOT\\.ftbulk%05d", i);
            add.push_back(std::wstring(L"[") + name + L"]");
            add.push_back(L"");
            remove.push_back(std::wstring(L"[-") + name + L"]");
            remove.push_back(L"");
        }
        removeFile_ = dir_.path() / L"bulk-remove.reg";
        probe::WriteFileBytes(removeFile_, probe::RegFileBytes(remove));
        const auto addFile = dir_.path() / L"bulk-add.reg";
        probe::WriteFileBytes(addFile, probe::RegFileBytes(add));
        imported_ = probe::RegImport(addFile);
    }
    ~BulkExtensions() { probe::RegImport(removeFile_); }
    bool imported() const { return imported_; }

private:
    const probe::TempDir& dir_;
    std::filesystem::path removeFile_;
    bool imported_ = false;
};

// The progress window's thread held still: the scan cannot go on, nor close the window, while
// the test looks at it. Only what needs no message from the window may be asked meanwhile.
class ProgramPaused {
public:
    explicit ProgramPaused(HWND window) {
        thread_ = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
        if (thread_ && SuspendThread(thread_) == static_cast<DWORD>(-1)) {
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }
    ~ProgramPaused() {
        if (!thread_) return;
        ResumeThread(thread_);
        CloseHandle(thread_);
    }
    ProgramPaused(const ProgramPaused&) = delete;
    ProgramPaused& operator=(const ProgramPaused&) = delete;
    explicit operator bool() const { return thread_ != nullptr; }

private:
    HANDLE thread_ = nullptr;
};

// A window's text as the system keeps it, without a message to its paused thread.
std::wstring StoredText(HWND window) {
    wchar_t text[64] = {};
    return std::wstring(text, static_cast<std::size_t>(std::max(0, InternalGetWindowText(window, text, 64))));
}

// The progress window once its label reads "100%", looked at while the program is paused: its
// size at the screen's DPI, the label's text whole (no ink in the label's outermost columns,
// which clipped text would run into) and the picture's background showing the button face.
struct FullProgress {
    bool seen = false;
    ::testing::AssertionResult sized = ::testing::AssertionFailure();
    bool percentWhole = false;
    bool pictureClear = false;
};

FullProgress LookAtFullProgress(HWND progress) {
    FullProgress look;
    look.seen = true;
    look.sized = ClientAreaScaled(progress, {295, 125});
    const std::uint32_t face = probe::PixelOf(GetSysColor(COLOR_BTNFACE));
    if (const auto label = probe::Capture(probe::ChildById(progress, kIdProgressPercent))) {
        look.percentWhole = true;
        for (int y = 0; y < label->height; ++y)
            if (label->at(0, y) != face || label->at(label->width - 1, y) != face) look.percentWhole = false;
    }
    if (const auto picture = probe::Capture(probe::ChildById(progress, kIdProgressPicture)))
        look.pictureClear = picture->at(0, 0) == face && picture->at(picture->width - 1, 0) == face;
    return look;
}

int PercentOf(const std::wstring& label) {
    if (label == L"0") return 0;
    if (label.size() < 2 || label.back() != L'%') return -1;
    for (std::size_t i = 0; i + 1 < label.size(); ++i)
        if (!std::iswdigit(label[i])) return -1;
    return std::stoi(label.substr(0, label.size() - 1));
}

TEST(StartupAndList, ProgressWindowStandsDuringTheScanAndGoesOnceTheListIsReady) {
    ASSERT_FALSE(probe::ProgramPath().empty()) << "FT_EXE is not set";
    probe::TempDir scratch(L"bulk");
    {
        BulkExtensions bulk(scratch, 3000);
        ASSERT_TRUE(bulk.imported()) << "reg import of the extra extension keys failed";
        const std::size_t expectedCount = probe::ExtensionKeys().size();

        probe::TempDir workDir(L"progress");
        auto app = probe::App::Launch(probe::ProgramPath(), workDir.path());
        ASSERT_TRUE(app);

        bool progressSeen = false, screenshotTaken = false, progressHasCaption = false;
        bool mainShownBeforeTitle = false, progressGoneBeforeMainShown = false, progressOwnedByMain = true;
        std::wstring label1, label2, lastTitle;
        std::vector<std::wstring> percents;  // distinct successive texts of the percentage label
        FullProgress full;
        HWND main = nullptr;
        const bool finished = probe::WaitFor(
            [&] {
                if (!app->Running()) return true;
                main = app->Find(kMainClass);
                const HWND progress = app->Find(kProgressClass);
                wchar_t title[256] = {};
                if (main) GetWindowTextW(main, title, 256);
                lastTitle = title;
                const bool titled = lastTitle.starts_with(kTitlePrefix);
                const bool mainShown = main && IsWindowVisible(main);
                if (mainShown && !titled) mainShownBeforeTitle = true;
                if (progress) {
                    progressSeen = true;
                    if (label1.empty()) label1 = probe::TextOf(probe::ChildById(progress, kIdProgressLabel1));
                    if (label2.empty()) label2 = probe::TextOf(probe::ChildById(progress, kIdProgressLabel2));
                    std::wstring percent;
                    bool lookedAtFull = false;
                    if (const ProgramPaused paused{progress}; paused && IsWindowVisible(progress)) {
                        if ((GetWindowLongW(progress, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) progressHasCaption = true;
                        if (main && GetWindow(progress, GW_OWNER) != main) progressOwnedByMain = false;
                        percent = StoredText(probe::ChildById(progress, kIdProgressPercent));
                        lookedAtFull = !full.seen && percent == L"100%";
                        if (lookedAtFull) full = LookAtFullProgress(progress);
                    }
                    if (!percent.empty() && (percents.empty() || percents.back() != percent)) percents.push_back(percent);
                    // Pictures for the eye only: taken once the program runs on, as painting needs it.
                    if (lookedAtFull) probe::Screenshot(progress, L"progress-window-at-100");
                    if (!screenshotTaken && PercentOf(percent) > 0 && percent != L"100%") {
                        screenshotTaken = probe::Screenshot(progress, L"progress-window-mid-scan").has_value();
                    }
                    return false;
                }
                if (progressSeen && !mainShown) progressGoneBeforeMainShown = true;
                return progressSeen && titled && mainShown;
            },
            5min, 10ms);

        ASSERT_TRUE(app->Running()) << "the program ended during the scan";
        ASSERT_TRUE(finished) << "the scan did not end; last title: " << lastTitle;
        ASSERT_TRUE(progressSeen) << "no progress window during a scan of " << expectedCount << " extension keys";
        EXPECT_EQ(label1, L"查找本机注册表安装文件类型");
        EXPECT_EQ(label2, L"请稍后......");
        EXPECT_FALSE(progressHasCaption) << "the progress window has a title bar";
        EXPECT_TRUE(progressOwnedByMain) << "the progress window is not owned by the main window";
        EXPECT_FALSE(mainShownBeforeTitle) << "the main window was visible before the scan had ended";
        EXPECT_FALSE(progressGoneBeforeMainShown) << "the progress window went before the main window was shown";
        EXPECT_EQ(lastTitle, kTitlePrefix + std::to_wstring(expectedCount) + L"个");

        // The percentage advances: every text is "0" or "N%", the numbers never go back,
        // and the scan of several thousand keys shows more than one of them.
        std::vector<int> numbers;
        for (const auto& p : percents) {
            numbers.push_back(PercentOf(p));
            EXPECT_GE(numbers.back(), 0) << "percentage label reads \"" << p << "\"";
            EXPECT_LE(numbers.back(), 100) << "percentage label reads \"" << p << "\"";
        }
        EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
        ASSERT_TRUE(full.seen) << "the percentage never read 100%";
        EXPECT_TRUE(full.sized) << "progress window";
        EXPECT_TRUE(full.percentWhole) << "\"100%\" does not fit its label";
        EXPECT_TRUE(full.pictureClear) << "the picture does not show the button face around it";
        EXPECT_GE(numbers.size(), 2u) << "the percentage never changed while the progress window was seen";
        EXPECT_TRUE(app->WaitGone(kProgressClass)) << "the progress window stays after the scan";
        EXPECT_EQ(probe::RemoteListView(probe::ChildById(main, kIdFileList), app->process()).Count(),
                  static_cast<int>(expectedCount));
    }
    for (const auto& key : probe::ExtensionKeys())
        ASSERT_FALSE(key.starts_with(L".ftbulk")) << "the extra keys were not removed again";
}

}  // namespace
}  // namespace e2e
