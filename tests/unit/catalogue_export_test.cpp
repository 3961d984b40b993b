// The export of one file type's keys: which files are deleted, which command lines are started
// (and what arguments the tool receives from them), and what the result window shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

namespace ft {
namespace {

using fakes::CatalogueRig;
using fakes::SplitCommandLine;
using Args = std::vector<std::wstring>;

void Export(CatalogueRig& rig, const std::wstring& startDir, const std::wstring& ext) {
    rig.catalogue.Load(startDir);
    rig.catalogue.SelectRow(ext, L"");
    rig.log.Clear();
    rig.catalogue.ExportTypeKeys();
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
                  L"backup.paths D:\\Tools\\TXT#1.reg|D:\\Tools\\TXT#2.reg", L"backup.show", L"main.repaint"}));
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
        EXPECT_EQ(rig.backup.extPath, L"D:\\Tools\\TXT#1.reg");
        EXPECT_EQ(rig.backup.typePath, L"");
        EXPECT_EQ(rig.log.With(L"backup.show").size(), 1u);
        EXPECT_EQ(rig.registry.LiveHandles(), 0u);
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

    EXPECT_EQ(rig.backup.extPath, L"C:\\\\TXT#1.reg");
    EXPECT_EQ(rig.backup.typePath, L"C:\\\\TXT#2.reg");
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
    rig.log.Clear();
    rig.catalogue.ExportTypeKeys();
    EXPECT_EQ(rig.log.All(), first);
}

TEST(CatalogueExport, PathsAreShownEvenWhenTheToolCannotBeStarted) {
    CatalogueRig rig;
    rig.registry.SetString(L".txt", L"", L"txtfile");
    rig.launcher.succeed = false;
    Export(rig, L"D:\\Tools", L"txt");
    EXPECT_EQ(rig.launcher.started.size(), 2u);
    EXPECT_EQ(rig.backup.typePath, L"D:\\Tools\\TXT#2.reg");
    EXPECT_EQ(rig.log.With(L"backup.show").size(), 1u);
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

}  // namespace
}  // namespace ft
