#pragma once
// The program's only way into the registry. Like the rest of the catalogue state, the
// working values are shared members: QueryValueEx fills vRegValue, ValueToText turns it into
// sRegText, and the caller takes sRegText before it starts the next read.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "registry/registry.h"
#include "registry/text.h"

namespace ft {

inline constexpr std::uint32_t kKeyNameChars = 260;

// Either empty or a text; an empty slot reads as "".
using ValueSlot = std::optional<std::wstring>;

class RegistryReader {
public:
    explicit RegistryReader(Registry& registry) : registry_(registry) {}

    RegStatus OpenKey(const std::wstring& path, RegKey* opened);
    // Enumerates into sKeyName; the capacity is passed afresh with every call.
    RegStatus EnumKey(RegKey key, std::int32_t index);
    // valueName null reads the default value. Leaves vValue empty on any failure.
    RegStatus QueryValueEx(RegKey lhKey, const wchar_t* szValueName, ValueSlot& vValue);
    void ValueToText();
    RegStatus CloseKey(RegKey key);

    // A key opened through the reader, closed through it when the owner goes.
    using OpenedKey = Unique<RegKey, CloseKeyWith<RegistryReader>>;
    // OpenKey whose key closes itself; empty when the key cannot be opened.
    OpenedKey Open(const std::wstring& path);

    // OpenKey + QueryValueEx + ValueToText + CloseKey, as every caller reads a key's
    // default value: "" when the key cannot be opened or the value cannot be read.
    // `opened` tells whether the key itself could be opened.
    std::wstring ReadDefaultValue(const std::wstring& path, bool* opened = nullptr);
    // QueryValueEx + ValueToText on an open key.
    std::wstring ReadValueText(RegKey key, const wchar_t* valueName);
    // Whether an open key has the value, of whatever type.
    bool HasValue(RegKey key, const wchar_t* valueName);

    // The current name in sKeyName, cut at its first NUL.
    std::wstring KeyName() const { return TrimNull(sKeyName.data(), sKeyName.size()); }

    ValueSlot vRegValue;
    std::wstring sRegText;
    std::int32_t lRegType = 0;
    std::int32_t lRegSize = 0;
    // Reused by every enumeration of every caller; holds leftovers of longer earlier names.
    std::array<wchar_t, kKeyNameChars> sKeyName{};

private:
    Registry& registry_;
    std::vector<std::uint8_t> dataBuffer_;
};

}  // namespace ft
