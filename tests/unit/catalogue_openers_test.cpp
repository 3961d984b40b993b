// What opens each listed type: the type the system uses beside the user's choice, its default
// verb's program by the name users know it by, and the broken types, worked out only for rows
// the list shows.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes.h"

namespace ft {
namespace {

using fakes::CatalogueRig;

constexpr const char* kTypes = R"reg(
[HKEY_CLASSES_ROOT\.chosen]
@="Old.Type"
[HKEY_CLASSES_ROOT\.stale]
@="Old.Type"
[HKEY_CLASSES_ROOT\.orphan]
@="Gone.Type"
[HKEY_CLASSES_ROOT\.gone]
@="Gone.Program"
[HKEY_CLASSES_ROOT\.app]
@="AppX.Viewer"
[HKEY_CLASSES_ROOT\.bare]
[HKEY_CLASSES_ROOT\.doc2]
@="Old.Type"
[HKEY_CLASSES_ROOT\Old.Type\shell\open\command]
@="\"C:\\Old\\old.exe\" \"%1\""
[HKEY_CLASSES_ROOT\New.Type\shell\open]
@="&View"
[HKEY_CLASSES_ROOT\New.Type\shell\open\command]
@="newapp \"%1\""
[HKEY_CLASSES_ROOT\Gone.Program\shell\edit\command]
@="C:\\Program Files\\Gone\\gone.exe %1"
[HKEY_CLASSES_ROOT\AppX.Viewer\Application]
"ApplicationName"="@{Viewer_1.0?ms-resource://Viewer/Name}"
[HKEY_CLASSES_ROOT\AppX.Viewer\shell\open]
[HKEY_CLASSES_ROOT\Applications\newapp.exe]
"FriendlyAppName"="New App"
)reg";

// A row's notes, and whether it is dimmed.
std::pair<std::wstring, bool> RowOf(CatalogueRig& rig, const std::wstring& extension) {
    FileTypeRows& rows = rig.catalogue.Rows();
    for (std::size_t i = 0; i < rows.RowCount(); ++i)
        if (rows.Text(i, 0) == extension) return {rows.Notes(i, 1), rows.Look(i).dimmed};
    return {L"<no row>", false};
}

TEST(CatalogueOpeners, EachRowTellsWhatOpensItsTypeAndWhyItIsBroken) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    // The system honours the user's choice of .chosen; for .stale it keeps the extension's type,
    // and the type the user chose is gone.
    rig.associations.system = {{L".chosen", L"New.Type"}, {L".stale", L"Old.Type"}};
    rig.associations.choices = {{L".chosen", L"new.type"}, {L".stale", L"Removed.Type"}};
    rig.associations.descriptions[L"C:\\Old\\old.exe"] = L" Old Editor ";
    rig.lookups.searchPath[L"newapp"] = L"C:\\Apps\\newapp.exe";
    rig.lookups.indirect[L"@{Viewer_1.0?ms-resource://Viewer/Name}"] = L"照片查看器";
    rig.files.existing = {L"C:\\Old\\old.exe"};
    rig.catalogue.Scan();
    // The scan asks nothing of what opens a type: that waits until a row is shown.
    EXPECT_TRUE(rig.associations.described.empty());
    EXPECT_TRUE(rig.files.checked.empty());

    const std::wstring stale = L"打开方式：Old Editor\r\n程序：C:\\Old\\old.exe\r\n默认动作：open\r\n"
                               L"用户选择：Removed.Type（系统未采用）\r\n用户选择的类型不存在：Removed.Type";
    const std::vector<std::tuple<const wchar_t*, std::wstring, bool>> rows = {  // (extension, notes, dimmed)
        {L"chosen", L"打开方式：New App\r\n程序：C:\\Apps\\newapp.exe\r\n默认动作：View\r\n用户选择：new.type（系统采用）", false},
        {L"stale", stale, true},
        {L"orphan", L"没有打开它的程序\r\n扩展名指向的类型不存在：Gone.Type", true},
        {L"gone", L"没有打开它的程序\r\n默认动作：edit\r\n找不到程序：C:\\Program Files\\Gone\\gone.exe", true},
        // A packaged app's type starts no program: its application's name tells what opens it.
        {L"app", L"打开方式：照片查看器\r\n默认动作：open", false},
        // Nothing opens a type without verbs, but nothing is missing either.
        {L"bare", L"没有打开它的程序", false},
    };
    for (const auto& [extension, notes, dimmed] : rows) EXPECT_EQ(RowOf(rig, extension), std::pair(notes, dimmed));

    // What rows share is worked out once: the program's description, and nothing again for a row
    // already shown.
    const std::size_t reads = rig.changing.calls.size();
    EXPECT_EQ(RowOf(rig, L"stale").first, stale);
    EXPECT_EQ(rig.changing.calls.size(), reads);
    EXPECT_EQ(RowOf(rig, L"doc2").first, L"打开方式：Old Editor\r\n程序：C:\\Old\\old.exe\r\n默认动作：open");
    EXPECT_EQ(rig.associations.described, std::vector<std::wstring>{L"C:\\Old\\old.exe"});
}

// The properties window's Text2 holds the extension key's value; its tooltip names the type
// that opens files when that is another one.
TEST(CatalogueOpeners, ThePropertiesSayWhichTypeOpensFilesWhenItIsNotTheOneTheExtensionNames) {
    CatalogueRig rig;
    fakes::LoadReg(rig.registry, kTypes);
    rig.associations.system = {{L".chosen", L"New.Type"}, {L".gone", L"Other.Type"}};
    rig.associations.choices = {{L".chosen", L"New.Type"}};
    const auto noteOf = [&](const wchar_t* extension) {
        rig.catalogue.SelectRow(extension, L"");
        rig.catalogue.ShowTypeProperties();
        return rig.properties.typeKeyNote;
    };
    EXPECT_EQ(noteOf(L"chosen"), L"打开文件用的类型：New.Type\r\n原因：系统采用用户的选择");
    EXPECT_EQ(noteOf(L"gone"), L"打开文件用的类型：Other.Type\r\n原因：系统的默认程序设置");
    EXPECT_EQ(noteOf(L"bare"), L"打开文件用的类型：.bare\r\n原因：扩展名键没有指定类型，用它自己的动作");
    EXPECT_EQ(noteOf(L"orphan"), L"");  // the system gives no answer: the extension's value it is
}

}  // namespace
}  // namespace ft
