#include "registry/registry_reader.h"

namespace ft {

RegStatus RegistryReader::OpenKey(const std::wstring& path, RegKey* opened) {
    return registry_.OpenKey(kClassesRoot, path.c_str(), opened);
}

RegStatus RegistryReader::EnumKey(RegKey key, std::int32_t index) {
    std::uint32_t capacity = kKeyNameChars;
    return registry_.EnumKey(key, static_cast<std::uint32_t>(index), sKeyName.data(), &capacity);
}

RegStatus RegistryReader::QueryValueEx(RegKey lhKey, const wchar_t* szValueName, ValueSlot& vValue) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const RegStatus first = registry_.QueryValue(lhKey, szValueName, &type, nullptr, &size);
    lRegType = static_cast<std::int32_t>(type);
    lRegSize = static_cast<std::int32_t>(size);
    if (first != kRegSuccess) {
        vValue.reset();
        return first;
    }
    if (type != kRegSz && type != kRegExpandSz) {
        vValue.reset();
        return kRegUnreadType;
    }
    dataBuffer_.assign(size, 0);
    const RegStatus second = registry_.QueryValue(lhKey, szValueName, &type,
                                                  dataBuffer_.empty() ? nullptr : dataBuffer_.data(), &size);
    lRegType = static_cast<std::int32_t>(type);
    lRegSize = static_cast<std::int32_t>(size);
    if (second != kRegSuccess || size > dataBuffer_.size()) {
        vValue.reset();
        return second != kRegSuccess ? second : kRegMoreData;
    }
    // Another program may have rewritten the value between the two reads: data that are no
    // longer text must not be shown as text.
    if (type != kRegSz && type != kRegExpandSz) {
        vValue.reset();
        return kRegUnreadType;
    }
    // The text keeps the value's terminating NUL; ValueToText cuts it off.
    sRegText = WideFromUtf16Le(dataBuffer_.data(), size);
    vValue = sRegText;
    return kRegSuccess;
}

void RegistryReader::ValueToText() {
    sRegText = vRegValue ? TrimNull(*vRegValue) : std::wstring();
}

RegStatus RegistryReader::CloseKey(RegKey key) { return registry_.CloseKey(key); }

RegistryReader::OpenedKey RegistryReader::Open(const std::wstring& path) {
    RegKey key = 0;
    if (OpenKey(path, &key) != kRegSuccess) return OpenedKey();
    return OpenedKey(key, CloseKeyWith<RegistryReader>{this});
}

std::wstring RegistryReader::ReadValueText(RegKey key, const wchar_t* valueName) {
    QueryValueEx(key, valueName, vRegValue);
    ValueToText();
    return sRegText;
}

bool RegistryReader::HasValue(RegKey key, const wchar_t* valueName) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const RegStatus status = registry_.QueryValue(key, valueName, &type, nullptr, &size);
    return status == kRegSuccess || status == kRegMoreData;
}

std::wstring RegistryReader::ReadDefaultValue(const std::wstring& path, bool* opened) {
    const OpenedKey key = Open(path);
    if (opened) *opened = static_cast<bool>(key);
    if (!key) return std::wstring();
    return ReadValueText(key.get(), nullptr);
}

}  // namespace ft
