#pragma once
// The real registry through advapi32, read-only and only under HKEY_CLASSES_ROOT.
#include "registry/registry.h"

namespace ft {

class Win32Registry : public Registry {
public:
    RegStatus OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) override;
    RegStatus EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) override;
    RegStatus QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* dataBytes) override;
    RegStatus CloseKey(RegKey key) override;
};

}  // namespace ft
