// The start-up sequence and the one-shot scan of HKEY_CLASSES_ROOT, over an in-memory registry
// with a fake shell, icon capture and windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fakes.h"

namespace ft {
namespace {

using namespace std::string_literals;
using fakes::CatalogueRig;

std::vector<std::wstring> Extensions(const fakes::FakeFileList& list) {
    std::vector<std::wstring> out;
    for (const auto& row : list.rows) out.push_back(row.extension);
    return out;
}

// The number after "progress.text " or "progress.bar ".
std::vector<std::wstring> Values(const std::vector<std::wstring>& events) {
    std::vector<std::wstring> out;
    for (const auto& e : events) out.push_back(e.substr(e.find(L' ') + 1));
    return out;
}

TEST(CatalogueScan, ListsOnlyKeysStartingWithADotAndEnumeratesTheRootToItsEnd) {
    CatalogueRig rig;
    // "*" and "-x" sort before every dot key: a scan that stopped at the first name without
    // a dot would list nothing. Subkeys of the listed keys are not file types.
    for (const wchar_t* key : {L"*", L"-x", L".bmp", L".txt\\ShellNew", L".zip", L"AllFilesystemObjects",
                               L"txtfile\\shell\\open", L"Zeta"}) {
        rig.registry.CreateKey(key);
    }
    rig.shell.Answer(L".bmp", L"Bitmap image", 4);
    rig.shell.Answer(L".txt", L"Text Document", 3);

    rig.catalogue.Load(L"D:\\Tools");
    rig.catalogue.Scan();

    EXPECT_EQ(Extensions(rig.list), (std::vector<std::wstring>{L"bmp", L"txt", L"zip"}));
    EXPECT_EQ(rig.log.With(L"list.add"),
              (std::vector<std::wstring>{L"list.add bmp|Bitmap image|100", L"list.add txt|Text Document|101",
                                         L"list.add zip||none"}));
    EXPECT_EQ(rig.shell.queries, (std::vector<std::wstring>{L".bmp", L".txt", L".zip"}));  // one query each
    EXPECT_EQ(rig.catalogue.lTypeCount, 3);
    EXPECT_EQ(rig.catalogue.lKeyIndex, 8);  // every root key visited; the 9th call found no more
    EXPECT_EQ(rig.main.caption, L"本机文件类型数量：3个");
    EXPECT_EQ(rig.catalogue.sCaption, rig.main.caption);
    EXPECT_EQ(rig.registry.OpenCount(), 0u);  // the root is enumerated without opening anything
}

TEST(CatalogueScan, StartUpAndScanTalkToTheWindowsInOrder) {
    CatalogueRig rig;
    for (const wchar_t* key : {L"*", L".a", L".c", L"b", L"Z"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A file", 1);

    rig.catalogue.Load(L"C:\\");
    EXPECT_EQ(rig.catalogue.sCurDir, L"C:\\");
    EXPECT_EQ(rig.catalogue.sQuote, L"\"");
    rig.catalogue.Scan();

    // The label before the bar; a yield after every row but none for other keys; the main
    // window visible before the progress window closes; the pointer restored last.
    EXPECT_EQ(rig.log.All(), (std::vector<std::wstring>{
                                 L"main.visible 0", L"progress.show", L"main.yield",
                                 L"main.busy 1", L"progress.bar 0", L"main.yield",
                                 L"progress.text 0%", L"progress.bar 0", L"list.add a|A file|100", L"main.yield",
                                 L"progress.text 0%", L"progress.bar 0", L"list.add c||none", L"main.yield",
                                 L"list.sort", L"main.caption 本机文件类型数量：2个", L"main.visible 1", L"progress.close",
                                 L"main.busy 0", L"main.yield"}));
}

TEST(CatalogueScan, WithoutExtensionKeysTheListStaysEmptyAndTheProgressUntouched) {
    for (const bool emptyRoot : {true, false}) {
        SCOPED_TRACE(emptyRoot ? "empty root" : "root without dot keys");
        CatalogueRig rig;
        if (!emptyRoot) {
            for (const wchar_t* key : {L"*", L"txtfile\\shell", L"Zeta"}) rig.registry.CreateKey(key);
        }
        rig.catalogue.Scan();

        EXPECT_TRUE(rig.list.rows.empty());
        EXPECT_TRUE(rig.log.With(L"progress.text").empty());  // the label keeps its "0"
        EXPECT_EQ(rig.log.With(L"progress.bar"), std::vector<std::wstring>{L"progress.bar 0"});
        EXPECT_EQ(rig.main.caption, L"本机文件类型数量：0个");
        EXPECT_TRUE(rig.shell.queries.empty());
        EXPECT_EQ(rig.catalogue.lKeyIndex, emptyRoot ? 0 : 3);
        EXPECT_LT(rig.log.IndexOf(L"main.visible 1"), rig.log.IndexOf(L"progress.close"));
    }
}

TEST(CatalogueScan, PercentageTakes600TypesAsAFullBarRoundingHalfToEven) {
    CatalogueRig rig;
    for (int i = 1; i <= 601; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L".e%04d", i);  // zero-padded: enumeration order is numeric order
        rig.registry.CreateKey(name);
    }
    rig.catalogue.Scan();

    const auto texts = Values(rig.log.With(L"progress.text"));
    const auto bars = Values(rig.log.With(L"progress.bar"));
    ASSERT_EQ(texts.size(), 601u);
    ASSERT_EQ(bars.size(), 602u);  // the reset to 0, then one per file type
    EXPECT_EQ(bars[0], L"0");
    const std::vector<std::pair<int, std::wstring>> expected = {
        {1, L"0"}, {3, L"0"}, {6, L"1"}, {9, L"2"}, {27, L"4"}, {300, L"50"}, {600, L"100"}, {601, L"100"}};
    for (const auto& [nth, percent] : expected) {
        SCOPED_TRACE(nth);
        EXPECT_EQ(texts[nth - 1], percent + L"%");
        EXPECT_EQ(bars[nth], percent);
    }
    EXPECT_EQ(rig.main.caption, L"本机文件类型数量：601个");
}

TEST(CatalogueScan, KeyNamedDotGivesAnEmptyRowTextAndTheImageKeyOfTwoHashes) {
    CatalogueRig rig;
    rig.registry.CreateKey(L".");
    rig.registry.CreateKey(L".a");
    rig.shell.Answer(L".", L"File", 9);
    rig.shell.Answer(L".a", L"A file", 2);
    rig.catalogue.Scan();

    ASSERT_EQ(rig.list.rows.size(), 2u);
    EXPECT_EQ(rig.list.rows[0].extension, L"");
    EXPECT_EQ(rig.list.rows[0].typeName, L"File");
    EXPECT_EQ(rig.shell.queries.front(), L".");
    ASSERT_TRUE(rig.catalogue.Icons().Lookup(L"##").has_value());
    EXPECT_EQ(rig.list.rows[0].iconSlot, rig.catalogue.Icons().Lookup(L"##"));
    EXPECT_NE(rig.list.rows[1].iconSlot, rig.list.rows[0].iconSlot);
}

TEST(CatalogueScan, LeftoversOfLongerNamesInTheBufferAreIgnored) {
    CatalogueRig rig;
    for (const wchar_t* key : {L"*abcdefgh", L".abcdef", L".b"}) rig.registry.CreateKey(key);
    rig.catalogue.Scan();

    // The buffer really held leftovers: ".b", its NUL, then the tail of ".abcdef".
    EXPECT_EQ(std::wstring(rig.catalogue.Reader().sKeyName.data(), 7), L".b\0cdef"s);
    EXPECT_EQ(Extensions(rig.list), (std::vector<std::wstring>{L"abcdef", L"b"}));
    EXPECT_EQ(rig.shell.queries, (std::vector<std::wstring>{L".abcdef", L".b"}));
    EXPECT_EQ(rig.catalogue.sImageKey, L"#b#");
}

TEST(CatalogueScan, AfterTheScanTheCurrentFileTypeIsTheLastRow) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".Zed", L"zfile"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A file", 1);
    rig.shell.Answer(L".Zed", L"Zed file", 2);
    rig.catalogue.Scan();
    EXPECT_EQ(rig.catalogue.sFileExt, L"Zed");
    EXPECT_EQ(rig.catalogue.sTypeName, L"Zed file");
    EXPECT_EQ(rig.catalogue.sImageKey, L"#Zed#");

    // A last row whose query failed leaves an empty type name, not the row before's.
    CatalogueRig failing;
    for (const wchar_t* key : {L".a", L".b"}) failing.registry.CreateKey(key);
    failing.shell.Answer(L".a", L"A file", 1);
    failing.catalogue.Scan();
    EXPECT_EQ(failing.catalogue.sFileExt, L"b");
    EXPECT_EQ(failing.catalogue.sTypeName, L"");
}

TEST(CatalogueScan, TypeNameIsCutAtItsFirstNulAndAt79Characters) {
    CatalogueRig rig;
    const std::wstring exact(79, L'e');
    const std::wstring longer(100, L'l');
    const std::wstring nulLate = std::wstring(85, L'n') + L'\0' + L"junk";
    for (const wchar_t* key : {L".exact", L".long", L".nul", L".nullate"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".exact", exact, 1);
    rig.shell.Answer(L".long", longer, 1);
    rig.shell.Answer(L".nul", L"Text\0Leftover of a longer name"s, 1);
    rig.shell.Answer(L".nullate", nulLate, 1);
    rig.catalogue.Scan();

    ASSERT_EQ(rig.list.rows.size(), 4u);
    EXPECT_EQ(rig.list.rows[0].typeName, exact);
    EXPECT_EQ(rig.list.rows[1].typeName, std::wstring(79, L'l'));
    EXPECT_EQ(rig.list.rows[2].typeName, L"Text");
    EXPECT_EQ(rig.list.rows[3].typeName, std::wstring(79, L'n'));
}

TEST(CatalogueScan, AFailedQueryGivesNoNameAndNoIconRatherThanThePreviousOnes) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b", L".c"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A file", 5);
    rig.shell.answers[L".c"] = ShellTypeInfo{true, L"C file", -1};  // a name but no icon
    rig.catalogue.Scan();

    EXPECT_EQ(rig.log.With(L"list.add"), (std::vector<std::wstring>{L"list.add a|A file|100", L"list.add b||none",
                                                                     L"list.add c|C file|none"}));
    EXPECT_EQ(rig.capture.captured, std::vector<int>{5});
    EXPECT_FALSE(rig.catalogue.Icons().Lookup(L"#b#").has_value());
}

TEST(CatalogueScan, ExtensionsSharingASystemIconShareOneCapture) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b", L".c", L".d"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A", 5);
    rig.shell.Answer(L".b", L"B", 5);
    rig.shell.Answer(L".c", L"C", 7);
    rig.shell.Answer(L".d", L"D", 5);
    rig.catalogue.Scan();

    EXPECT_EQ(rig.capture.captured, (std::vector<int>{5, 7}));
    ASSERT_EQ(rig.list.rows.size(), 4u);
    ASSERT_TRUE(rig.list.rows[0].iconSlot.has_value());
    EXPECT_EQ(rig.list.rows[1].iconSlot, rig.list.rows[0].iconSlot);
    EXPECT_EQ(rig.list.rows[3].iconSlot, rig.list.rows[0].iconSlot);
    EXPECT_NE(rig.list.rows[2].iconSlot, rig.list.rows[0].iconSlot);
    for (const wchar_t* key : {L"#a#", L"#b#", L"#c#", L"#d#"}) EXPECT_TRUE(rig.catalogue.Icons().Lookup(key)) << key;
}

TEST(CatalogueScan, AFailedCaptureStillAddsTheRowWithItsNameAndNoIcon) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A file", 5);
    rig.shell.Answer(L".b", L"B file", 6);
    rig.capture.failing = {5};
    rig.catalogue.Scan();

    EXPECT_EQ(rig.log.With(L"list.add"),
              (std::vector<std::wstring>{L"list.add a|A file|none", L"list.add b|B file|100"}));
}

TEST(CatalogueScan, AKeyEnumeratedTwiceKeepsTheFirstPicture) {
    // The registry changes during a yield: a key inserted before the current index makes the
    // enumeration return the current key once more, by then with another icon.
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b", L".c"}) rig.registry.CreateKey(key);
    rig.shell.Answer(L".a", L"A", 1);
    rig.shell.Answer(L".b", L"B", 2);
    rig.shell.Answer(L".c", L"C", 3);
    rig.main.onYield = [&] {
        if (rig.list.rows.size() == 2 && rig.list.rows.back().extension == L"b") {
            rig.registry.CreateKey(L".aa");
            rig.shell.Answer(L".b", L"B", 8);
        }
    };
    rig.catalogue.Scan();

    ASSERT_EQ(Extensions(rig.list), (std::vector<std::wstring>{L"a", L"b", L"b", L"c"}));
    EXPECT_EQ(rig.list.rows[2].iconSlot, rig.list.rows[1].iconSlot);
    EXPECT_EQ(rig.capture.captured, (std::vector<int>{1, 2, 3}));  // the refused picture is not drawn
    EXPECT_EQ(rig.main.caption, L"本机文件类型数量：4个");
}

TEST(CatalogueScan, AnEnumerationErrorEndsTheScanWithWhatWasFound) {
    // A name longer than the 260-character buffer makes the enumeration fail at that index.
    CatalogueRig rig;
    rig.registry.CreateKey(L".a");
    rig.registry.CreateKey(L".b" + std::wstring(300, L'x'));
    rig.registry.CreateKey(L".c");
    rig.catalogue.Scan();

    EXPECT_EQ(Extensions(rig.list), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(rig.main.caption, L"本机文件类型数量：1个");
    EXPECT_LT(rig.log.IndexOf(L"main.visible 1"), rig.log.IndexOf(L"progress.close"));
}

TEST(CatalogueScan, ARowThatThrowsIsSkippedAndTheScanStillShowsTheMainWindow) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b", L".c", L".d"}) rig.registry.CreateKey(key);
    rig.shell.throwing.insert(L".b");
    rig.shell.throwingOther.insert(L".c");

    rig.catalogue.Load(L"D:\\Tools");
    rig.catalogue.Scan();

    EXPECT_EQ(Extensions(rig.list), (std::vector<std::wstring>{L"a", L"d"}));
    EXPECT_EQ(rig.catalogue.lSkippedRows, 2);
    EXPECT_EQ(rig.shell.queries.size(), 4u);
    EXPECT_GE(rig.log.IndexOf(L"main.visible 1"), 0);
    EXPECT_GE(rig.log.IndexOf(L"progress.close"), 0);
}

TEST(CatalogueScan, StopsAtTheNextRowWhenTheWindowIsGoneOrTheProgramQuits) {
    CatalogueRig rig;
    for (const wchar_t* key : {L".a", L".b", L"c", L".d"}) rig.registry.CreateKey(key);
    rig.main.onYield = [&] { rig.main.ending = rig.list.rows.size() == 1; };
    rig.catalogue.Scan();
    EXPECT_EQ(Extensions(rig.list), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(rig.changing.calls, std::vector<std::wstring>{L"enum  #0"}) << "the scan walked on";
    EXPECT_EQ(rig.log.IndexOf(L"main.visible 1"), -1);
    EXPECT_EQ(rig.log.All().back(), L"main.busy 0");
}

TEST(CatalogueScan, RunsOnlyOnce) {
    CatalogueRig rig;
    rig.registry.CreateKey(L".a");
    rig.catalogue.Scan();
    rig.registry.CreateKey(L".b");
    rig.log.Clear();
    rig.catalogue.Scan();

    EXPECT_TRUE(rig.log.All().empty());
    EXPECT_EQ(Extensions(rig.list), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(rig.shell.queries.size(), 1u);
}

}  // namespace
}  // namespace ft
