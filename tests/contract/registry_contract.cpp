#include "contract/registry_contract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/registry_reader.h"

namespace ft {
namespace {

using namespace std::string_literals;

class ReaderContract : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = MakeContractRegistry();
        ASSERT_NE(registry_, nullptr);
        reader_ = std::make_unique<RegistryReader>(*registry_);
    }

    void TearDown() override {
        for (RegKey key : opened_) EXPECT_EQ(reader_->CloseKey(key), kRegSuccess);
    }

    RegKey Open(const std::wstring& path) {
        RegKey key = 0;
        EXPECT_EQ(reader_->OpenKey(path, &key), kRegSuccess) << "is the fixture imported?";
        if (key != 0) opened_.push_back(key);
        return key;
    }

    // As every caller reads a value: QueryValueEx into vRegValue, then ValueToText.
    RegStatus Read(RegKey key, const wchar_t* name) {
        const RegStatus status = reader_->QueryValueEx(key, name, reader_->vRegValue);
        reader_->ValueToText();
        return status;
    }

    std::vector<std::wstring> SubkeyNames(RegKey key) {
        std::vector<std::wstring> names;
        std::int32_t index = 0;
        while (reader_->EnumKey(key, index) == kRegSuccess) {
            names.push_back(reader_->KeyName());
            ++index;
        }
        return names;
    }

    std::unique_ptr<Registry> registry_;
    std::unique_ptr<RegistryReader> reader_;
    std::vector<RegKey> opened_;
};

TEST_F(ReaderContract, EmptyDefaultValueReadsAsEmptyTextInBothStoredForms) {
    ASSERT_EQ(Read(Open(L".ftcempty"), nullptr), kRegSuccess);
    EXPECT_EQ(reader_->lRegType, 1);
    EXPECT_EQ(reader_->lRegSize, 0);
    EXPECT_EQ(reader_->vRegValue, std::optional<std::wstring>(L""));
    EXPECT_EQ(reader_->sRegText, L"");

    ASSERT_EQ(Read(Open(L".ftcnul"), nullptr), kRegSuccess);
    EXPECT_EQ(reader_->lRegSize, 2);
    EXPECT_EQ(reader_->vRegValue, std::optional<std::wstring>(L"\0"s));
    EXPECT_EQ(reader_->sRegText, L"");
}

TEST_F(ReaderContract, TextIsKeptWithItsNulsAndCutAtTheFirst) {
    ASSERT_EQ(Read(Open(L"FtContract\\Values"), L"Embedded"), kRegSuccess);
    EXPECT_EQ(reader_->vRegValue, std::optional<std::wstring>(L"ab\0cd\0"s));
    EXPECT_EQ(reader_->sRegText, L"ab");
}

TEST_F(ReaderContract, ExpandStringComesBackUnexpanded) {
    ASSERT_EQ(Read(Open(L"FtContract\\Values"), L"Expand"), kRegSuccess);
    EXPECT_EQ(reader_->lRegType, 2);
    EXPECT_EQ(reader_->sRegText, L"%SystemRoot%\\system32\\ftcontract.dll");
}

TEST_F(ReaderContract, OtherTypesEmptyTheSlotAndGiveMinusOne) {
    const RegKey values = Open(L"FtContract\\Values");
    for (const wchar_t* name : {L"Number", L"Binary", L"Lines"}) {
        Read(values, L"Content Type");  // a text left in the slot must not survive
        ASSERT_EQ(reader_->sRegText, L"text/x-ftcontract");
        EXPECT_EQ(Read(values, name), kRegUnreadType) << name;
        EXPECT_FALSE(reader_->vRegValue.has_value()) << name;
        EXPECT_EQ(reader_->sRegText, L"") << name;
    }
    Read(values, L"Number");
    EXPECT_EQ(reader_->lRegType, 4);
    EXPECT_EQ(reader_->lRegSize, 4);
}

TEST_F(ReaderContract, ValueNamesMatchWithoutRegardToCase) {
    const RegKey ext = Open(L".FTCONTRACT");
    EXPECT_EQ(reader_->ReadValueText(ext, L"content type"), L"application/x-ftcontract");
    EXPECT_EQ(reader_->ReadValueText(ext, L"CONTENT TYPE"), L"application/x-ftcontract");
    EXPECT_EQ(reader_->ReadValueText(ext, nullptr), L"FtContract.Document");
    EXPECT_EQ(reader_->ReadValueText(ext, L""), L"FtContract.Document");
}

TEST_F(ReaderContract, MissingValuesAndKeysReadAsEmpty) {
    const RegKey leaf = Open(L"FtContract\\Leaf");
    Read(leaf, L"Note");
    ASSERT_EQ(reader_->sRegText, L"no subkeys");
    EXPECT_EQ(Read(leaf, nullptr), kRegFileNotFound);  // the key has no default value
    EXPECT_FALSE(reader_->vRegValue.has_value());
    EXPECT_EQ(reader_->sRegText, L"");
    EXPECT_EQ(Read(leaf, L"No Such Value"), kRegFileNotFound);
    EXPECT_EQ(reader_->sRegText, L"");

    RegKey missing = 0;
    EXPECT_EQ(reader_->OpenKey(L"FtContract\\NoSuchKey", &missing), kRegFileNotFound);
    bool opened = true;
    EXPECT_EQ(reader_->ReadDefaultValue(L".ftcnosuchext", &opened), L"");
    EXPECT_FALSE(opened);
    EXPECT_EQ(reader_->ReadDefaultValue(L".ftcontract", &opened), L"FtContract.Document");
    EXPECT_TRUE(opened);
}

TEST_F(ReaderContract, EnumerationOfAKeyWithoutSubkeysEndsAtOnce) {
    EXPECT_EQ(reader_->EnumKey(Open(L"FtContract\\Leaf"), 0), kRegNoMoreItems);
}

TEST_F(ReaderContract, SubkeysEnumerateInCaseInsensitiveOrder) {
    const RegKey ordered = Open(L"FtContract\\Ordered");
    EXPECT_EQ(SubkeyNames(ordered), (std::vector<std::wstring>{L"Alpha", L"b", L"Bravo", L"charlie", L"delta"}));
    EXPECT_EQ(reader_->EnumKey(ordered, 5), kRegNoMoreItems);
    EXPECT_EQ(SubkeyNames(Open(L"FtContract")),
              (std::vector<std::wstring>{L"Leaf", L"Ordered", L"Values", L"文件类型"}));
}

TEST_F(ReaderContract, ShorterNameLeavesTheRestOfTheNameBuffer) {
    const RegKey ordered = Open(L"FtContract\\Ordered");
    ASSERT_EQ(reader_->EnumKey(ordered, 0), kRegSuccess);  // "Alpha"
    ASSERT_EQ(reader_->EnumKey(ordered, 1), kRegSuccess);  // "b"
    EXPECT_EQ(reader_->KeyName(), L"b");
    EXPECT_EQ(std::wstring(reader_->sKeyName.data(), 6), L"b\0pha\0"s);
}

TEST_F(ReaderContract, RootEnumerationReachesTheExtensionKeys) {
    std::vector<std::wstring> ours;
    for (const std::wstring& name : SubkeyNames(kClassesRoot)) {
        if (name.rfind(L".ftc", 0) == 0) ours.push_back(name);
    }
    EXPECT_EQ(ours, (std::vector<std::wstring>{L".ftcempty", L".ftcnul", L".ftcontract"}));
}

TEST_F(ReaderContract, ChineseNamesAndTextRoundTrip) {
    EXPECT_EQ(reader_->ReadDefaultValue(L"FtContract\\文件类型"), L"图标文件");
    EXPECT_EQ(reader_->ReadValueText(Open(L"FtContract\\Values"), L"中文名称"), L"中文文本：文件类型");
}

TEST(TrimNullContract, CutsAtTheFirstNulOnly) {
    EXPECT_EQ(TrimNull(L""s), L"");
    EXPECT_EQ(TrimNull(L"\0abc"s), L"");
    EXPECT_EQ(TrimNull(L"abc"s), L"abc");
    EXPECT_EQ(TrimNull(L"ab\0c\0"s), L"ab");
    EXPECT_EQ(TrimNull(std::wstring(255, L' ')), std::wstring(255, L' '));
}

}  // namespace
}  // namespace ft
