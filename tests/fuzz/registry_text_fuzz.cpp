// Fuzz target: registry bytes turned into the program's text. The input builds a small
// HKEY_CLASSES_ROOT (an extension key, the type key it names, its icon entry, shell key and
// verbs) whose values have any type and any length, odd or without a terminating NUL. Each
// value is read through QueryValueEx, ValueToText and TrimNull and compared with an
// independent decoding of its bytes; then the scan and the properties lookup run over the
// tree, with one key removed or the extension's default value rewritten at a point of the
// lookup that the input chooses.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "unit/fakes.h"

namespace {

using namespace ft;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fault: %s\n", what);
    std::abort();
}

#define CHECK(condition) \
    do {                 \
        if (!(condition)) Fault(#condition); \
    } while (0)

struct RawValue {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

RawValue ConsumeValue(FuzzedDataProvider& in) {
    static constexpr std::uint32_t kTypes[] = {kRegSz, kRegExpandSz, kRegSz,    kRegBinary,
                                               kRegDword, kRegMultiSz, kRegQword, kRegNone};
    RawValue value;
    const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
    value.type = pick < 240 ? kTypes[pick % 8] : in.ConsumeIntegral<std::uint32_t>();
    value.data = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    return value;
}

// A key name: 1 to 12 UTF-16 units, no backslash (a path separator) and no NUL.
std::wstring ConsumeName(FuzzedDataProvider& in) {
    std::u16string units;
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, 12);
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
        char16_t unit = in.ConsumeIntegral<std::uint8_t>() < 200 ? static_cast<char16_t>(u'a' + in.ConsumeIntegralInRange<int>(0, 25))
                                                                 : in.ConsumeIntegral<char16_t>();
        if (unit == u'\\' || unit == 0) unit = u'_';
        units.push_back(unit);
    }
    if (units.empty()) units = u"k";
    return WideFromUtf16(units);
}

// What the text of a value must be: REG_SZ and REG_EXPAND_SZ data as UTF-16LE units (an odd
// last byte, half a unit, dropped), cut at the first NUL unit; nothing for other types.
std::u16string ExpectedText(const RawValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz) return {};
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

void CheckReader(MemoryRegistry& registry, const std::wstring& keyPath, const wchar_t* name, const RawValue& raw) {
    RegistryReader reader(registry);
    RegKey key = 0;
    CHECK(reader.OpenKey(keyPath, &key) == kRegSuccess);
    const RegStatus status = reader.QueryValueEx(key, name, reader.vRegValue);
    const bool text = raw.type == kRegSz || raw.type == kRegExpandSz;
    CHECK((status == kRegSuccess) == text);
    CHECK(reader.vRegValue.has_value() == text);
    if (!text) CHECK(status == kRegUnreadType);
    CHECK(reader.lRegType == static_cast<std::int32_t>(raw.type));
    CHECK(reader.lRegSize == static_cast<std::int32_t>(raw.data.size()));
    const ValueSlot slot = reader.vRegValue;
    reader.ValueToText();
    CHECK(!HasNul(reader.sRegText));
    CHECK(Utf16FromWide(reader.sRegText) == ExpectedText(raw));
    if (slot) {
        CHECK(slot->compare(0, reader.sRegText.size(), reader.sRegText) == 0);
        CHECK(TrimNull(*slot) == reader.sRegText);
        CHECK(TrimNull(slot->data(), slot->size()) == reader.sRegText);
    }
    CHECK(reader.CloseKey(key) == kRegSuccess);
}

void CheckViews(const fakes::CatalogueRig& rig) {
    for (const auto& [box, text] : rig.properties.texts) CHECK(!HasNul(text));
    for (const auto& verb : rig.properties.verbs) CHECK(!HasNul(verb.action) && !HasNul(verb.command) && !verb.action.empty());
    for (const auto& row : rig.list.rows) CHECK(!HasNul(row.extension) && !HasNul(row.typeName));
    CHECK(rig.registry.LiveHandles() == 0);
    CHECK(rig.registry.OpenCount() == rig.registry.CloseCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fakes::CatalogueRig rig;
    MemoryRegistry& registry = rig.registry;

    const std::wstring extKey = L".f";
    registry.CreateKey(extKey);
    std::wstring typeKey = extKey;
    if (in.ConsumeBool()) {
        typeKey = ConsumeName(in);
        registry.SetString(extKey, L"", typeKey);
    }
    std::vector<std::pair<std::wstring, const wchar_t*>> readBack;  // key path, value name
    std::vector<RawValue> raws;
    auto setValue = [&](const std::wstring& path, const wchar_t* name) {
        RawValue value = ConsumeValue(in);
        registry.SetValue(path, name ? name : L"", value.type, value.data);
        readBack.emplace_back(path, name);
        raws.push_back(std::move(value));
    };
    if (typeKey == extKey) setValue(extKey, nullptr);
    // The text the extension's default value must show, when nothing changes it.
    const std::u16string extDefaultText = typeKey == extKey ? ExpectedText(raws.front()) : Utf16FromWide(typeKey);
    if (in.ConsumeBool()) setValue(extKey, L"Content Type");
    if (in.ConsumeBool()) setValue(typeKey + L"\\DefaultIcon", nullptr);
    registry.CreateKey(typeKey + L"\\shell");
    if (in.ConsumeBool()) setValue(typeKey + L"\\shell", nullptr);
    const int verbs = in.ConsumeIntegralInRange<int>(0, 6);
    std::vector<std::wstring> verbPaths;
    for (int i = 0; i < verbs; ++i) {
        const std::wstring verb = typeKey + L"\\shell\\" + ConsumeName(in);
        registry.CreateKey(verb);
        verbPaths.push_back(verb);
        if (in.ConsumeBool()) setValue(verb, nullptr);
        if (in.ConsumeBool()) setValue(verb + L"\\command", nullptr);
    }
    for (int i = in.ConsumeIntegralInRange<int>(0, 3); i > 0; --i) registry.CreateKey(ConsumeName(in));

    // Values written later under the same name replace earlier ones; only the last counts.
    for (std::size_t i = 0; i < readBack.size(); ++i) {
        bool replaced = false;
        for (std::size_t j = i + 1; j < readBack.size(); ++j) {
            const bool sameName = (readBack[i].second == nullptr) == (readBack[j].second == nullptr);
            replaced |= sameName && SameNameIgnoringCase(readBack[i].first, readBack[j].first);
        }
        if (!replaced) CheckReader(registry, readBack[i].first, readBack[i].second, raws[i]);
    }

    rig.catalogue.Scan();
    rig.catalogue.SelectRow(L"f", L"F file");

    // Another program may change the registry in the middle of the lookup: before the n-th
    // registry call, one key vanishes, or the extension's default value is rewritten with
    // another type and other bytes.
    const int change = in.ConsumeIntegralInRange<int>(0, 2);
    const std::size_t changeAt = in.ConsumeIntegralInRange<std::size_t>(0, 40);
    const int victim = in.ConsumeIntegralInRange<int>(0, 3 + static_cast<int>(verbPaths.size()));
    const RawValue replacement = ConsumeValue(in);
    std::wstring doomed;
    switch (victim) {
    case 0: doomed = extKey; break;
    case 1: doomed = typeKey; break;
    case 2: doomed = typeKey + L"\\shell"; break;
    default: doomed = verbPaths.empty() ? extKey : verbPaths[static_cast<std::size_t>(victim - 3) % verbPaths.size()]; break;
    }
    std::size_t calls = 0;
    rig.changing.beforeCall = [&](const std::wstring&) {
        if (calls++ != changeAt) return;
        if (change == 1) registry.DeleteKey(doomed);
        if (change == 2) registry.SetValue(extKey, L"", replacement.type, replacement.data);
    };
    rig.catalogue.ShowTypeProperties();
    CheckViews(rig);
    CHECK(Utf16FromWide(rig.properties.Text(1)) == u".f");
    CHECK(rig.properties.verbs.size() <= verbPaths.size());
    // The default value shows as it was, or (once changed) as nothing or as its new text:
    // never bytes that are not text, and never text from elsewhere.
    const std::u16string shown = Utf16FromWide(rig.properties.Text(2));
    const bool changed = change != 0 && calls > changeAt;
    if (!changed) CHECK(shown == extDefaultText);
    if (changed) CHECK(shown.empty() || shown == extDefaultText || (change == 2 && shown == ExpectedText(replacement)));

    rig.changing.beforeCall = nullptr;
    rig.catalogue.ShowTypeProperties();  // again, over what is left
    CheckViews(rig);
    return 0;
}
