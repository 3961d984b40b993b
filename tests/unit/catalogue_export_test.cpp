// The export of one file type's keys: which files are deleted, which command lines are started
// (and what arguments the tool receives from them), and what the result window shows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes.h"

namespace ft {
namespace {

using fakes::CatalogueRig;
using fakes::SplitCommandLine;
using Args = std::vector<std::wstring>;

const std::wstring kRunning = L"正在导出……";
const std::wstring kDone = L"此文件类型已从注册表导出";

void Export(CatalogueRig& rig, const std::wstring& startDir, const std::wstring& ext) {
    rig.catalogue.Load(startDir);
    rig.catalogue.SelectRow(ext, L"");
    rig.log.Clear();
    rig.catalogue.ExportTypeKeys();
}

// Ends tool run `run`; a run that ends well writes its file unless told otherwise.
void Finish(CatalogueRig& rig, std::size_t run, std::uint32_t exitCode, const std::wstring& output = L"",
            bool writesFile = true) {
    auto& tool = *rig.launcher.tools.at(run);
    tool.exitCode = exitCode;
    tool.output = output;
    if (exitCode == 0 && writesFile) rig.files.existing.insert(SplitCommandLine(tool.commandLine).at(3));
}

Args ExportArgs(const std::wstring& key, const std::wstring& file) {
    return {L"reg.exe", L"export", L"HKEY_CLASSES_ROOT\\" + key, file, L"/y"};
}

TEST(CatalogueExport, ExportsTheExtensionKeyThenTheTypeKeyAfterDeletingBothFiles) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    rig.registry.CreateKey(L"txtfile");
    Export(rig, L"D:\\Tools", L"txt");

    EXPECT_EQ(rig.log.All(),
              (std::vector<std::wstring>{
                  L"remove D:\\Tools\\TXT#1.reg", L"remove D:\\Tools\\TXT#2.reg",
                  L"launch(hidden) reg.exe export \"HKEY_CLASSES_ROOT\\.txt\" \"D:\\Tools\\TXT#1.reg\" /y",
                  L"launch(hidden) reg.exe export \"HKEY_CLASSES_ROOT\\txtfile\" \"D:\\Tools\\TXT#2.reg\" /y",
                  L"export.paths D:\\Tools\\TXT#1.reg|D:\\Tools\\TXT#2.reg", L"export.watch", L"export.show",
                  L"main.repaint"}));
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[0]), ExportArgs(L".txt", L"D:\\Tools\\TXT#1.reg"));
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[1]), ExportArgs(L"txtfile", L"D:\\Tools\\TXT#2.reg"));
    EXPECT_EQ(rig.catalogue.sFileExt, L"txt");
    EXPECT_EQ(rig.registry.OpenCount(), 1u);
    EXPECT_EQ(rig.registry.LiveHandles(), 0u);
}

TEST(CatalogueExport, OnlyTheExtensionKeyIsExportedWhenItNamesNoOtherTypeKey) {
    const std::vector<std::pair<const char*, std::wstring>> defaults = {
        {"no default value", L"<none>"}, {"empty default value", L""}, {"default equal to the key", L".txt"},
        {"no extension key", L"<no key>"}};
    for (const auto& [what, value] : defaults) {
        SCOPED_TRACE(what);
        CatalogueRig rig;
        rig.registry.CreateKey(L"txtfile");
        if (value == L"<none>") {
            rig.registry.CreateKey(L".txt");
        } else if (value != L"<no key>") {
            rig.registry.SetString(L".txt", L"", value);
        }
        Export(rig, L"D:\\Tools", L"txt");

        // The old second file goes too, so no stale export is left beside the new one.
        EXPECT_EQ(rig.log.With(L"remove"),
                  (std::vector<std::wstring>{L"remove D:\\Tools\\TXT#1.reg", L"remove D:\\Tools\\TXT#2.reg"}));
        ASSERT_EQ(rig.launcher.started.size(), 1u);
        EXPECT_EQ(SplitCommandLine(rig.launcher.started[0]), ExportArgs(L".txt", L"D:\\Tools\\TXT#1.reg"));
        EXPECT_EQ(rig.exportView.extPath, L"D:\\Tools\\TXT#1.reg");
        EXPECT_EQ(rig.exportView.typePath, L"");
        EXPECT_EQ(rig.log.With(L"export.show").size(), 1u);
        EXPECT_EQ(rig.registry.LiveHandles(), 0u);
        EXPECT_EQ(rig.exportView.Status(), kRunning);
        Finish(rig, 0, 0);
        EXPECT_EQ(rig.exportView.Status(), kDone);
    }
}

TEST(CatalogueExport, TheTypeKeyIsComparedWithTheExtensionKeyCaseForCase) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L".TXT");
    Export(rig, L"D:\\Tools", L"txt");
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[1]), ExportArgs(L".TXT", L"D:\\Tools\\TXT#2.reg"));
}

TEST(CatalogueExport, FileNamesAreUpperCasedWhileKeyPathsKeepTheirCase) {
    CatalogueRig rig;
    rig.registry.SetString(L".aBc", L"", L"aBcFile");
    Export(rig, L"D:\\Tools", L"aBc");
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[0]), ExportArgs(L".aBc", L"D:\\Tools\\ABC#1.reg"));
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[1]), ExportArgs(L"aBcFile", L"D:\\Tools\\ABC#2.reg"));
}

TEST(CatalogueExport, ADriveRootKeepsItsBackslashAndTheToolStillGetsThePathExactly) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    Export(rig, L"C:\\", L"txt");

    EXPECT_EQ(rig.exportView.extPath, L"C:\\\\TXT#1.reg");
    EXPECT_EQ(rig.exportView.typePath, L"C:\\\\TXT#2.reg");
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[0]), ExportArgs(L".txt", L"C:\\\\TXT#1.reg"));
}

TEST(CatalogueExport, ACraftedKeyNameStaysOneArgumentAndCannotLeaveTheStartUpDirectory) {
    CatalogueRig rig;
    // A quote followed by a switch would inject options if pasted between quotes unescaped.
    const std::wstring ext = L"a/b:c*d\" /s x<y>|z?";
    const std::wstring type = L"evil\" import \"C:\\x.reg";
    rig.registry.SetString(L"." + ext, L"", type);
    Export(rig, L"D:\\Tools", ext);

    const std::wstring stem = L"D:\\Tools\\A_B_C_D_ _S X_Y__Z_";
    EXPECT_EQ(rig.log.With(L"remove"), (std::vector<std::wstring>{L"remove " + stem + L"#1.reg",
                                                                   L"remove " + stem + L"#2.reg"}));
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[0]), ExportArgs(L"." + ext, stem + L"#1.reg"));
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[1]), ExportArgs(type, stem + L"#2.reg"));
}

TEST(CatalogueExport, ExportFileStemReplacesWhatWindowsForbidsInFileNames) {
    EXPECT_EQ(ExportFileStem(L"txt"), L"TXT");
    EXPECT_EQ(ExportFileStem(L"..\\..\\Windows\\evil"), L".._.._WINDOWS_EVIL");
    EXPECT_EQ(ExportFileStem(L"c:stream"), L"C_STREAM");
    EXPECT_EQ(ExportFileStem(L"<>:\"/\\|?*"), L"_________");
    EXPECT_EQ(ExportFileStem(std::wstring(L"a\tb\x01\x1f") + L'\0' + L"c"), L"A_B___C");
    EXPECT_EQ(ExportFileStem(L"ä中文-x_1.#"), L"Ä中文-X_1.#");  // anything else is kept
    EXPECT_EQ(ExportFileStem(L""), L"");
    // The longest key name (255 characters, 254 without the dot) still gives a file name of
    // at most 255 characters with "#1.reg".
    EXPECT_EQ(ExportFileStem(std::wstring(254, L'x')), std::wstring(249, L'X'));
    EXPECT_EQ(ExportFileStem(std::wstring(249, L'y')), std::wstring(249, L'Y'));
}

TEST(CatalogueExport, RepeatedExportsDeleteTheOldPairBeforeStartingAgain) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    Export(rig, L"D:\\Tools", L"txt");
    const auto first = rig.log.All();
    Finish(rig, 0, 0);
    Finish(rig, 1, 0);
    rig.log.Clear();
    rig.catalogue.ExportTypeKeys();
    EXPECT_EQ(rig.log.All(), first);
}

TEST(CatalogueExport, WithoutARowClickItExportsTheLastRowOfTheScan) {
    CatalogueRig rig;
    rig.registry.SetString(L".bmp", L"", L"bmpfile");
    rig.registry.SetString(L".txt", L"", L"txtfile");
    rig.catalogue.Load(L"D:\\Tools");
    rig.catalogue.Scan();
    rig.catalogue.ExportTypeKeys();
    ASSERT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(SplitCommandLine(rig.launcher.started[1]), ExportArgs(L"txtfile", L"D:\\Tools\\TXT#2.reg"));
}

TEST(CatalogueExportStatus, SaysExportingUntilBothRunsHaveEndedAndTheirFilesExist) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    rig.files.existing = {L"D:\\Tools\\TXT#1.reg", L"D:\\Tools\\TXT#2.reg"};  // an earlier export's
    Export(rig, L"D:\\Tools", L"txt");
    EXPECT_TRUE(rig.files.existing.empty());
    EXPECT_EQ(rig.exportView.Status(), kRunning);
    Finish(rig, 1, 0);
    EXPECT_EQ(rig.exportView.Status(), kRunning);
    EXPECT_TRUE(rig.launcher.tools[1]->released) << "an ended run is let go at once";
    Finish(rig, 0, 0);
    EXPECT_EQ(rig.exportView.Status(), kDone);
    EXPECT_FALSE(rig.exportView.job->Failed());
}

TEST(CatalogueExportStatus, EachFailureNamesItsKeyAndWhy) {
    const std::wstring ext = L"HKEY_CLASSES_ROOT\\.txt 导出失败：";
    const std::wstring type = L"HKEY_CLASSES_ROOT\\txtfile 导出失败：";
    struct Case {
        const char* what;
        std::function<void(CatalogueRig&)> arrange;  // before the export
        std::function<void(CatalogueRig&)> finish;   // after it
        std::wstring status;
    };
    const std::vector<Case> cases = {
        {"the second run fails", nullptr,
         [](CatalogueRig& rig) {
             Finish(rig, 0, 0);
             Finish(rig, 1, 1, L"错误: 系统找不到指定的注册表项或值。\r\n\r\n");
         },
         type + L"reg.exe 的退出代码为 1：错误: 系统找不到指定的注册表项或值。"},
        {"a run fails without a word", nullptr,
         [](CatalogueRig& rig) {
             Finish(rig, 0, 0xC0000005u);
             Finish(rig, 1, 0);
         },
         ext + L"reg.exe 的退出代码为 0xC0000005。"},
        {"the tool cannot be started",
         [](CatalogueRig& rig) { rig.launcher.refusal = SystemError{2, L"系统找不到指定的文件。\r\n"}; }, nullptr,
         ext + L"无法启动 reg.exe：系统找不到指定的文件。（错误代码 2）\r\n" + type +
             L"无法启动 reg.exe：系统找不到指定的文件。（错误代码 2）"},
        {"no system folder", [](CatalogueRig& rig) { rig.launcher.refusal = SystemError{0, L""}; }, nullptr,
         ext + L"找不到系统文件夹，没有启动 reg.exe。\r\n" + type + L"找不到系统文件夹，没有启动 reg.exe。"},
        {"a run ends well but writes no file", nullptr,
         [](CatalogueRig& rig) {
             Finish(rig, 0, 0, L"", false);
             Finish(rig, 1, 0);
         },
         ext + L"reg.exe 已正常结束，但文件 TXT#1.reg 不存在。"},
        {"a run does not end in time", nullptr,
         [](CatalogueRig& rig) {
             Finish(rig, 1, 0);
             rig.clock.now += kToolTimeLimit - std::chrono::milliseconds(1);
             EXPECT_TRUE(rig.exportView.Status() == kRunning && !rig.launcher.tools[0]->stopped) << "ended early";
             rig.clock.now += std::chrono::milliseconds(1);
             EXPECT_TRUE(rig.exportView.Status() == kRunning && rig.launcher.tools[0]->stopped) << "the hung run was not ended";
             Finish(rig, 0, 1460);  // as it ends, stopped
         },
         ext + L"reg.exe 在 60 秒内没有结束，已将它终止。"},
        {"an old file cannot be deleted",
         [](CatalogueRig& rig) { rig.files.undeletable[L"D:\\Tools\\TXT#2.reg"] = SystemError{5, L"拒绝访问。"}; },
         [](CatalogueRig& rig) {
             Finish(rig, 0, 0);
             Finish(rig, 1, 0);
         },
         L"无法删除旧文件 TXT#2.reg：拒绝访问。（错误代码 5）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CatalogueRig rig;
        rig.registry.SetString(L".txt", L"", L"txtfile");
        if (c.arrange) c.arrange(rig);
        Export(rig, L"D:\\Tools", L"txt");
        // The paths are shown whatever becomes of the runs.
        EXPECT_EQ(rig.exportView.typePath, L"D:\\Tools\\TXT#2.reg");
        EXPECT_EQ(rig.launcher.started.size(), 2u);
        if (c.finish) c.finish(rig);
        EXPECT_EQ(rig.exportView.Status(), c.status);
        EXPECT_TRUE(rig.exportView.job->Failed());
    }
}

TEST(CatalogueExportStatus, ANewerExportWaitsForTheOlderRunsAndNeverCountsTheirFilesAsItsOwn) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    Export(rig, L"D:\\Tools", L"txt");
    rig.catalogue.ExportTypeKeys();
    EXPECT_EQ(rig.log.With(L"remove").size(), 2u) << "deleted while the older runs could still write";
    EXPECT_EQ(rig.exportView.Status(), kRunning);
    Finish(rig, 0, 0);  // the older run writes TXT#1.reg, then its partner fails
    Finish(rig, 1, 1, L"错误");
    EXPECT_EQ(rig.exportView.Status(), kRunning);
    ASSERT_EQ(rig.launcher.tools.size(), 4u);
    Finish(rig, 2, 0, L"", false);
    Finish(rig, 3, 0);
    EXPECT_EQ(rig.exportView.Status(), L"HKEY_CLASSES_ROOT\\.txt 导出失败：reg.exe 已正常结束，但文件 TXT#1.reg 不存在。");
}

TEST(CatalogueExportStatus, AnExportWaitsOnlyForOlderRunsOnItsOwnFilesAndNoneIsDropped) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    Export(rig, L"D:\\Tools", L"txt");  // runs 0 and 1
    rig.catalogue.SelectRow(L"bmp", L"");
    rig.catalogue.ExportTypeKeys();
    EXPECT_EQ(rig.launcher.tools.size(), 3u) << "an export waited for the runs of other files";
    rig.catalogue.SelectRow(L"txt", L"");
    rig.catalogue.ExportTypeKeys();  // waits for runs 0 and 1
    EXPECT_EQ(rig.launcher.tools.size(), 3u);
    Finish(rig, 2, 1, L"错误");  // the bmp export fails once the window shows another
    Finish(rig, 0, 0);
    Finish(rig, 1, 0);
    EXPECT_EQ(rig.exportView.Status(), kRunning);
    ASSERT_EQ(rig.launcher.tools.size(), 5u);
    Finish(rig, 3, 0);
    Finish(rig, 4, 0);
    EXPECT_EQ(rig.exportView.Status(), kDone + L"\r\nHKEY_CLASSES_ROOT\\.bmp 导出失败：reg.exe 的退出代码为 1：错误");
}

}  // namespace
}  // namespace ft
