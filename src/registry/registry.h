#pragma once
// The registry as the program sees it: read-only, handles and status codes shaped
// like advapi32's so that the in-memory backend and the Win32 backend are interchangeable.
#include <cstddef>
#include <cstdint>

namespace ft {

using RegStatus = std::int32_t;      // 0 = success, otherwise a platform error code
using RegKey = std::uintptr_t;       // opaque key handle

inline constexpr RegStatus kRegSuccess = 0;
inline constexpr RegStatus kRegFileNotFound = 2;
inline constexpr RegStatus kRegInvalidHandle = 6;
inline constexpr RegStatus kRegInvalidParameter = 87;
inline constexpr RegStatus kRegMoreData = 234;
inline constexpr RegStatus kRegNoMoreItems = 259;
inline constexpr RegStatus kRegUnreadType = -1;  // the reader's own code: a value type it does not read

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// The predefined root; it needs no opening and must never be closed.
inline constexpr RegKey kClassesRoot = 0x80000000u;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens `path` (backslash-separated, relative to `parent`) for reading.
    virtual RegStatus OpenKey(RegKey parent, const wchar_t* path, RegKey* opened) = 0;

    // Writes the name of the subkey at `index` and a NUL into `name`, leaving the rest of
    // the buffer untouched. `nameChars` holds the capacity on entry and the name's length on return.
    virtual RegStatus EnumKey(RegKey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameChars) = 0;

    // RegQueryValueExW semantics: `valueName` null or empty names the default value; with
    // `data` null only the type and the size in bytes are reported; a buffer smaller than the
    // data gives kRegMoreData. Text data are UTF-16LE bytes, as the platform stores them.
    virtual RegStatus QueryValue(RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* dataBytes) = 0;

    virtual RegStatus CloseKey(RegKey key) = 0;
};

}  // namespace ft
