// The properties lookup of one file type: what it reads from the registry and writes into the
// properties window, in which order, and that it leaves no key open.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/program_lookup.h"
#include "fakes.h"

namespace ft {
namespace {

using fakes::CatalogueRig;
using Verb = fakes::FakeProperties::Verb;

constexpr const char* kTypes = R"reg(
[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\txtfile]
@="Text Document"

[HKEY_CLASSES_ROOT\txtfile\DefaultIcon]
@=hex(2):25,00,31,00,2c,00,2d,00,31,00,30,00,32,00,00,00

[HKEY_CLASSES_ROOT\txtfile\shell]
@="open"

[HKEY_CLASSES_ROOT\txtfile\shell\open]

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="notepad.exe %1"

[HKEY_CLASSES_ROOT\txtfile\shell\print]
@="&Print"

[HKEY_CLASSES_ROOT\txtfile\shell\print\command]
@="notepad.exe /p %1"

[HKEY_CLASSES_ROOT\txtfile\shell\printto]
@="Print to"

[HKEY_CLASSES_ROOT\.cfg]
"Content Type"=hex:74,00,65,00,78,00,74,00,00,00

[HKEY_CLASSES_ROOT\.cfg\DefaultIcon]
@="cfg.dll,1"

[HKEY_CLASSES_ROOT\.cfg\shell]

[HKEY_CLASSES_ROOT\.cfg\shell\edit\command]
@="edit.exe \"%1\""

[HKEY_CLASSES_ROOT\cfgfile\shell\open\command]
@="must not be read"
)reg";

void ExpectEveryKeyClosed(const MemoryRegistry& registry) {
    EXPECT_GT(registry.OpenCount(), 0u);
    EXPECT_EQ(registry.OpenCount(), registry.CloseCount());
    EXPECT_EQ(registry.LiveHandles(), 0u);
}

void Request(CatalogueRig& rig, const std::wstring& ext, const std::wstring& typeName) {
    rig.catalogue.SelectRow(ext, typeName);
    rig.log.Clear();
    rig.catalogue.ShowTypeProperties();
}

TEST(CatalogueProperties, ReadsTheTypeKeyThatTheExtensionNamesAndFillsTheWindowBeforeShowingIt) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    Request(rig, L"txt", L"Text Document");

    // A verb without a default value shows its name; one without a command key an empty command.
    EXPECT_EQ(rig.log.All(), (std::vector<std::wstring>{
                                 L"props.text1 .txt", L"props.text2 txtfile", L"props.text3 text/plain",
                                 L"props.text4 %1,-102", L"props.widths 80 520", L"props.clear", L"props.text5 open",
                                 L"props.verb open|notepad.exe %1", L"props.verb &Print|notepad.exe /p %1",
                                 L"props.verb Print to|", L"props.icons none", L"props.text6 Text Document",
                                 L"props.show", L"main.repaint"}));
    EXPECT_EQ(rig.catalogue.sFileExt, L"txt");
    EXPECT_EQ(rig.catalogue.sTypeName, L"Text Document");
    ExpectEveryKeyClosed(rig.registry);
}

TEST(CatalogueProperties, WithoutAUsableDefaultValueTheExtensionKeyIsItsOwnTypeKey) {
    // No default value, an empty one, and one of a type the reader does not read as text.
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"no default value", ""},
        {"empty default value", "@=\"\"\n"},
        {"number as default value", "@=dword:00000001\n"},
    };
    for (const auto& [what, defaultValue] : cases) {
        SCOPED_TRACE(what);
        CatalogueRig rig;
        fakes::LoadReg(rig.registry, kTypes);
        fakes::LoadReg(rig.registry, "[HKEY_CLASSES_ROOT\\.cfg]\n" + defaultValue);
        Request(rig, L"cfg", L"Config");

        EXPECT_EQ(rig.properties.Text(1), L".cfg");
        EXPECT_EQ(rig.properties.Text(2), L"");
        EXPECT_EQ(rig.properties.Text(3), L"");  // "Content Type" is binary here
        EXPECT_EQ(rig.properties.Text(4), L"cfg.dll,1");
        EXPECT_EQ(rig.properties.Text(5), L"");  // shell key without default value
        EXPECT_EQ(rig.properties.verbs, (std::vector<Verb>{{L"edit", L"edit.exe \"%1\""}}));
        EXPECT_EQ(rig.properties.Text(6), L"Config");
        ExpectEveryKeyClosed(rig.registry);
    }
}

TEST(CatalogueProperties, TextOfAnOddSizeOrWithoutItsNulShowsNoInventedCharacter) {
    // "odd" holds "ab" and half a character (5 bytes); "nonul" names the type without the
    // NUL that should end it, and its content type is an unterminated REG_EXPAND_SZ.
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, R"reg(
[HKEY_CLASSES_ROOT\.odd]
@=hex(1):61,00,62,00,63
"Content Type"=hex(1):

[HKEY_CLASSES_ROOT\.nonul]
@=hex(1):74,00,66,00
"Content Type"=hex(2):74,00,2f,00,78,00

[HKEY_CLASSES_ROOT\tf\shell\open\command]
@=hex(1):6e,00,2e,00,65,00,78,00,65,00,21
)reg");
    Request(rig, L"odd", L"");
    EXPECT_EQ(rig.properties.Text(2), L"ab");
    EXPECT_EQ(rig.properties.Text(3), L"");
    Request(rig, L"nonul", L"");
    EXPECT_EQ(rig.properties.Text(2), L"tf");
    EXPECT_EQ(rig.properties.Text(3), L"t/x");
    EXPECT_EQ(rig.properties.verbs, (std::vector<Verb>{{L"open", L"n.exe"}}));
}

TEST(CatalogueProperties, MissingKeysGiveEmptyTextsAndNoVerbs) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    fakes::LoadReg(rig.registry, R"reg(
[HKEY_CLASSES_ROOT\.orphan]
@="nosuchfile"

[HKEY_CLASSES_ROOT\.plain]
@="plainfile"

[HKEY_CLASSES_ROOT\plainfile\DefaultIcon]
@="plain.dll,3"
)reg");

    Request(rig, L"gone", L"");  // no extension key at all
    EXPECT_EQ(rig.log.All(), (std::vector<std::wstring>{
                                 L"props.text1 .gone", L"props.text2 ", L"props.text3 ", L"props.text4 ",
                                 L"props.widths 80 520", L"props.clear", L"props.text5 ", L"props.icons none",
                                 L"props.text6 ", L"props.show", L"main.repaint"}));

    Request(rig, L"orphan", L"Orphan");  // names a type key that does not exist
    EXPECT_EQ(rig.properties.Text(2), L"nosuchfile");
    EXPECT_EQ(rig.properties.Text(4), L"");
    EXPECT_EQ(rig.properties.Text(5), L"");
    EXPECT_TRUE(rig.properties.verbs.empty());

    Request(rig, L"plain", L"Plain");  // type key without a shell key
    EXPECT_EQ(rig.properties.Text(4), L"plain.dll,3");
    EXPECT_EQ(rig.properties.Text(5), L"");
    EXPECT_TRUE(rig.properties.verbs.empty());
    EXPECT_EQ(rig.registry.OpenCount(), rig.registry.CloseCount());
    EXPECT_EQ(rig.registry.LiveHandles(), 0u);
}

TEST(CatalogueProperties, VerbsKeepTheRegistrysEnumerationOrder) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, R"reg(
[HKEY_CLASSES_ROOT\.v]
@="vfile"

[HKEY_CLASSES_ROOT\vfile\shell\zz]
@="Mike"

[HKEY_CLASSES_ROOT\vfile\shell\Mm]
@="alpha"

[HKEY_CLASSES_ROOT\vfile\shell\aa]
@="Zulu"
)reg");
    RegKey shell = 0;
    ASSERT_EQ(rig.registry.OpenKey(kClassesRoot, L"vfile\\shell", &shell), kRegSuccess);
    std::vector<std::wstring> enumerated;
    wchar_t name[260];
    for (std::uint32_t i = 0;; ++i) {
        std::uint32_t chars = 260;
        if (rig.registry.EnumKey(shell, i, name, &chars) != kRegSuccess) break;
        enumerated.emplace_back(name, chars);
    }
    rig.registry.CloseKey(shell);
    const std::map<std::wstring, std::wstring> actionOf = {{L"zz", L"Mike"}, {L"Mm", L"alpha"}, {L"aa", L"Zulu"}};
    std::vector<Verb> expected;
    for (const auto& verb : enumerated) expected.push_back({actionOf.at(verb), L""});
    ASSERT_EQ(expected.size(), 3u);

    Request(rig, L"v", L"");
    EXPECT_EQ(rig.properties.verbs, expected);
}

TEST(CatalogueProperties, ASecondRequestReplacesEverythingAndReadsTheRegistryAgain) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    Request(rig, L"txt", L"Text Document");
    Request(rig, L"cfg", L"Config");

    for (int box = 1; box <= 6; ++box) EXPECT_EQ(rig.log.With(L"props.text" + std::to_wstring(box)).size(), 1u);
    EXPECT_EQ(rig.properties.Text(2), L"");
    EXPECT_EQ(rig.properties.Text(6), L"Config");
    EXPECT_EQ(rig.properties.verbs, (std::vector<Verb>{{L"edit", L"edit.exe \"%1\""}}));

    // Nothing is cached: a changed registry shows at the next request.
    rig.registry.SetString(L".txt", L"Content Type", L"text/x-changed");
    rig.registry.DeleteKey(L"txtfile\\shell\\print");
    Request(rig, L"txt", L"Text Document");
    EXPECT_EQ(rig.properties.Text(3), L"text/x-changed");
    EXPECT_EQ(rig.properties.verbs, (std::vector<Verb>{{L"open", L"notepad.exe %1"}, {L"Print to", L""}}));
    ExpectEveryKeyClosed(rig.registry);
}

// Another program (an installer) changes the registry while the lookup reads it. Each case
// removes or rewrites one key or value just before the named registry call; the window then
// shows what was still there, never the type looked up before (cfg) and never a crash.
TEST(CatalogueProperties, KeysThatVanishDuringTheLookupLeaveASaneWindow) {
    struct Case {
        const char* what;
        std::wstring call;  // the change happens just before the `nth` registry call `call`
        int nth;
        std::function<void(MemoryRegistry&)> change;
        std::wstring text2, text4, text5;
        std::vector<Verb> verbs;
    };
    const std::vector<Case> cases = {
        {"a verb enumerated and gone when opened", L"open txtfile\\shell\\print", 1,
         [](MemoryRegistry& r) { r.DeleteKey(L"txtfile\\shell\\print"); }, L"txtfile", L"%1,-102", L"open",
         {{L"open", L"notepad.exe %1"}, {L"print", L""}}},
        {"the type key removed between the extension's read and the verbs'", L"close .txt", 1,
         [](MemoryRegistry& r) { r.DeleteKey(L"txtfile"); }, L"txtfile", L"", L"", {}},
        {"a verb removed in the middle of the verb enumeration", L"enum txtfile\\shell #1", 1,
         [](MemoryRegistry& r) { r.DeleteKey(L"txtfile\\shell\\open"); }, L"txtfile", L"%1,-102", L"open",
         {{L"open", L"notepad.exe %1"}, {L"Print to", L""}}},
        {"the shell key removed in the middle of the verb enumeration", L"enum txtfile\\shell #1", 1,
         [](MemoryRegistry& r) { r.DeleteKey(L"txtfile\\shell"); }, L"txtfile", L"%1,-102", L"open",
         {{L"open", L"notepad.exe %1"}}},
        // Between the read of its size and the read of its data the value becomes binary: its
        // bytes ("AB") must not be taken for the type key's name.
        {"the default value rewritten as binary between its two reads", L"query .txt @", 2,
         [](MemoryRegistry& r) { r.SetValue(L".txt", L"", kRegBinary, {'A', 0, 'B', 0, 0, 0}); }, L"", L"", L"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CatalogueRig rig;
        fakes::LoadReg(rig.registry, kTypes);
        Request(rig, L"cfg", L"Config");
        int seen = 0;
        rig.changing.beforeCall = [&](const std::wstring& call) {
            if (call == c.call && ++seen == c.nth) c.change(rig.registry);
        };
        Request(rig, L"txt", L"Text Document");

        ASSERT_GE(seen, c.nth) << "no such call: " << testing::PrintToString(c.call);
        EXPECT_EQ(rig.properties.Text(1), L".txt");
        EXPECT_EQ(rig.properties.Text(2), c.text2);
        EXPECT_EQ(rig.properties.Text(4), c.text4);
        EXPECT_EQ(rig.properties.Text(5), c.text5);
        EXPECT_EQ(rig.properties.verbs, c.verbs);
        EXPECT_EQ(rig.properties.Text(6), L"Text Document");
        EXPECT_EQ(rig.registry.LiveHandles(), 0u);
    }
}

TEST(CatalogueProperties, ColumnWidthsFollowTheVerbListWidthOnEveryRequest) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    rig.properties.listWidth = 1000;
    Request(rig, L"txt", L"");
    // The Command column is wider than the list itself, on purpose.
    EXPECT_EQ(rig.log.With(L"props.widths"), std::vector<std::wstring>{L"props.widths 200 1300"});
    rig.properties.listWidth = 250;
    Request(rig, L"txt", L"");
    EXPECT_EQ(rig.log.With(L"props.widths"), std::vector<std::wstring>{L"props.widths 50 325"});
}

TEST(CatalogueProperties, AfterTheScanItShowsTheLastRowWithItsIconsAndAllItsVerbs) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    rig.registry.CreateKey(L".aaa");
    rig.shell.Answer(L".aaa", L"Triple A", 4);
    rig.shell.Answer(L".cfg", L"Config", 6);
    rig.shell.Answer(L".txt", L"Text Document", 5);
    rig.catalogue.Load(L"D:\\Tools");
    rig.catalogue.Scan();
    const auto txtIcons = rig.catalogue.Icons().Lookup(L"#txt#");
    ASSERT_TRUE(txtIcons.has_value());

    // No row clicked: the last row the scan added. The scan's enumeration index must not
    // leak into the verb enumeration.
    rig.log.Clear();
    rig.catalogue.ShowTypeProperties();
    EXPECT_EQ(rig.properties.Text(1), L".txt");
    EXPECT_EQ(rig.properties.Text(6), L"Text Document");
    EXPECT_EQ(rig.properties.icons, txtIcons);
    EXPECT_EQ(rig.properties.verbs.size(), 3u);
    EXPECT_EQ(rig.catalogue.sImageKey, L"#txt#");

    Request(rig, L"cfg", L"Config");
    EXPECT_EQ(rig.properties.icons, rig.catalogue.Icons().Lookup(L"#cfg#"));
    EXPECT_NE(rig.properties.icons, txtIcons);
    EXPECT_EQ(rig.catalogue.sFileExt, L"cfg");
}

TEST(CatalogueProperties, ATypeWithoutPicturesShowsNoIconsRatherThanAnotherTypes) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    rig.shell.Answer(L".cfg", L"Config", 6);  // the query for .txt fails: no pictures stored
    rig.catalogue.Scan();
    ASSERT_TRUE(rig.catalogue.Icons().Lookup(L"#cfg#").has_value());
    ASSERT_FALSE(rig.catalogue.Icons().Lookup(L"#txt#").has_value());

    Request(rig, L"cfg", L"Config");
    Request(rig, L"txt", L"");
    EXPECT_EQ(rig.properties.icons, std::nullopt);
}

TEST(CatalogueProperties, MenuIndexTwoExportsAndEveryOtherIndexShowsProperties) {
    for (const int index : {0, 1, 2, 3}) {
        SCOPED_TRACE(index);
        CatalogueRig rig;
        fakes::LoadReg(rig.registry, kTypes);
        rig.catalogue.Load(L"D:\\Tools");
        rig.catalogue.SelectRow(L"txt", L"Text Document");
        rig.log.Clear();
        rig.catalogue.RunCommand(index);
        EXPECT_EQ(rig.log.With(L"props.show").size(), index == 2 ? 0u : 1u);
        EXPECT_EQ(rig.log.With(L"export.show").size(), index == 2 ? 1u : 0u);
    }
}

// Besides the registry's texts, each verb row tells the shell's default verb and a missing program.
TEST(CatalogueProperties, VerbRowsTellTheDefaultVerbAndWhetherTheirProgramCanBeFound) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, R"reg(
[HKEY_CLASSES_ROOT\.v]
@="vfile"
[HKEY_CLASSES_ROOT\vfile\shell]
@="Play, EDIT"
[HKEY_CLASSES_ROOT\vfile\shell\open\command]
@="\"%1\" %*"
[HKEY_CLASSES_ROOT\vfile\shell\edit]
"MUIVerb"="@app.dll,-1"
[HKEY_CLASSES_ROOT\vfile\shell\edit\command]
@="C:\\Program Files\\App\\app.exe /e %1"
[HKEY_CLASSES_ROOT\vfile\shell\tool\command]
@="tool /x"
[HKEY_CLASSES_ROOT\vfile\shell\gone\command]
@="%Tools%\\gone.exe %1"
[HKEY_CLASSES_ROOT\vfile\shell\zip\command]
@="C:\\missing.exe"
"DelegateExecute"="{0}"
)reg");
    rig.lookups.indirect[L"@app.dll,-1"] = L"&Edit && Go";
    rig.lookups.variables = {{L"ProgramFiles", L"C:\\Program Files"}, {L"Tools", L"C:\\Tools"}};
    rig.lookups.appPaths[L"tool.exe"] = L"\"%ProgramFiles%\\Tool\\tool.exe\"";
    rig.files.existing = {L"C:\\Program Files\\App\\app.exe", L"C:\\Program Files\\Tool\\tool.exe"};
    Request(rig, L"v", L"V");

    std::vector<std::wstring> marks;  // "Play" is no verb, and names match in any case
    for (const VerbRow& row : rig.properties.rows)
        marks.push_back(row.action + (row.isDefault ? L" default" : L"") + (row.programMissing ? L" missing" : L""));
    EXPECT_EQ(marks, (std::vector<std::wstring>{L"edit default", L"gone missing", L"open", L"tool", L"zip"}));
    EXPECT_EQ(rig.properties.rows[0].explanation, L"菜单中显示为：Edit & Go（默认动作）\r\n命令行：C:\\Program Files\\App\\app.exe /e %1");
    ExpectEveryKeyClosed(rig.registry);
    EXPECT_EQ(DefaultVerbIndex(L"Play", {L"print", L"Open"}), 1u);  // no listed verb exists: open,
    EXPECT_EQ(DefaultVerbIndex(L"", {L"print", L"edit"}), 0u);       // else the first verb
}

// An unquoted path is tried at each of its blanks, as the system starts it; a drive that is not
// a fixed local one is never looked at, and what is not looked at is never called missing.
TEST(CatalogueProperties, AProgramIsLookedForAtEveryBlankAndOnlyOnFixedDrives) {
    using Outcome = ProgramLookup::Outcome;
    fakes::EventLog log;
    fakes::FakeFiles files{log};
    fakes::FakeLookups lookups;
    const std::wstring viewer = L"C:\\Program Files (x86)\\Acme Corp\\Acme Image Viewer Pro 2 SE\\viewer.exe";
    files.existing = {viewer, L"C:\\Tools\\run.exe"};
    files.otherDrives = {L"E:\\", L"N:\\"};
    lookups.appPaths[L"netapp.exe"] = L"N:\\Apps\\netapp.exe";
    std::wstring manyBlanks = L"C:\\Tools\\run";
    for (int i = 0; i < 80; ++i) manyBlanks += L" arg";
    const auto find = [&](const std::wstring& line) {
        const ProgramLookup found = FindProgram(line, lookups, files);
        return std::pair(found.outcome, found.path);
    };
    EXPECT_EQ(find(viewer + L" %1"), std::pair(Outcome::Found, viewer));
    EXPECT_EQ(find(L"C:\\Tools\\run /x"), std::pair(Outcome::Found, std::wstring(L"C:\\Tools\\run.exe")));
    EXPECT_EQ(find(L"C:\\Program Files\\Gone App\\gone.exe %1"),
              std::pair(Outcome::Missing, std::wstring(L"C:\\Program Files\\Gone App\\gone.exe")));
    EXPECT_EQ(find(L"E:\\Portable Tools\\tool.exe %1"),
              std::pair(Outcome::NotJudged, std::wstring(L"E:\\Portable Tools\\tool.exe")));
    EXPECT_EQ(find(L"netapp %1"), std::pair(Outcome::NotJudged, std::wstring(L"N:\\Apps\\netapp.exe")));
    EXPECT_EQ(find(L"\\\\server\\share\\app.exe %1").first, Outcome::NotJudged);
    // More blanks than are tried: not known, though nothing was found.
    EXPECT_EQ(find(L"C:\\Missing Tools\\run" + manyBlanks.substr(12)).first, Outcome::NotJudged);
    EXPECT_EQ(find(manyBlanks).first, Outcome::Found);  // found at its first blank
    for (const std::wstring& path : files.checked) EXPECT_TRUE(path.starts_with(L"C:")) << "looked at " << path;
}

}  // namespace
}  // namespace ft
