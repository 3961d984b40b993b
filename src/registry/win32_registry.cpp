#include "registry/win32_registry.h"

#include <windows.h>

#include "platform/unique_handle.h"

namespace ft {
namespace {

HKEY ToHkey(RegKey key) { return key == kClassesRoot ? HKEY_CLASSES_ROOT : reinterpret_cast<HKEY>(key); }

}  // namespace

RegStatus Win32Registry::OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) {
    HKEY handle = nullptr;
    const LSTATUS status = RegOpenKeyExW(ToHkey(parent), path, 0, KEY_READ, &handle);
    *opened = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(handle) : 0;
    return status;
}

RegStatus Win32Registry::EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) {
    // The class and the last-write time are not used, so they are not asked for.
    DWORD chars = *nameChars;
    const LSTATUS status = RegEnumKeyExW(ToHkey(key), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    *nameChars = chars;
    return status;
}

RegStatus Win32Registry::QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* dataBytes) {
    DWORD t = 0;
    DWORD bytes = *dataBytes;
    const LSTATUS status = RegQueryValueExW(ToHkey(key), valueName, nullptr, &t, data, &bytes);
    *type = t;
    *dataBytes = bytes;
    return status;
}

RegStatus Win32Registry::CloseKey(RegKey key) {
    if (key == kClassesRoot) return ERROR_SUCCESS;
    return CloseRegistryKey{}(ToHkey(key));
}

}  // namespace ft
