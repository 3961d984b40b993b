#include "platform/association_lookups.h"

#include <winver.h>

#include <vector>

#include "platform/platform_services.h"

namespace ft {
namespace {

// A text the system allocated, read no further than its block: Wine at least hands back a value
// stored without its NUL as it is.
std::wstring TextInBlock(const wchar_t* text) {
    UniqueCom<IMalloc> allocator;
    if (SUCCEEDED(CoGetMalloc(1, allocator.put())) && allocator) {
        const SIZE_T bytes = allocator.get()->GetSize(const_cast<wchar_t*>(text));
        if (bytes != static_cast<SIZE_T>(-1)) return std::wstring(text, wcsnlen(text, bytes / sizeof(wchar_t)));
    }
    return std::wstring(text);
}

}  // namespace

std::optional<std::wstring> Win32AssociationLookups::CurrentDefault(const std::wstring& extension) {
    if (!registrationTried_) {
        registrationTried_ = true;
        CoCreateInstance(CLSID_ApplicationAssociationRegistration, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IApplicationAssociationRegistration, reinterpret_cast<void**>(registration_.put()));
    }
    if (!registration_) return std::nullopt;
    UniqueCoTaskText progId;
    if (FAILED(registration_.get()->QueryCurrentDefault(extension.c_str(), AT_FILEEXTENSION, AL_EFFECTIVE,
                                                        progId.put())) ||
        !progId) {
        return std::nullopt;
    }
    std::wstring answer = TextInBlock(progId.get());
    if (answer.empty()) return std::nullopt;
    return answer;
}

std::optional<std::wstring> Win32AssociationLookups::UserChoice(const std::wstring& extension) {
    auto progId = ReadTextValue(
        HKEY_CURRENT_USER,
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + extension + L"\\UserChoice", L"ProgId");
    if (progId && progId->empty()) return std::nullopt;
    return progId;
}

std::optional<std::wstring> Win32AssociationLookups::FileDescription(const std::wstring& path) {
    // The strings from the file's language resources (MUI) where it has them.
    constexpr DWORD kFlags = FILE_VER_GET_LOCALISED;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeExW(kFlags, path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<std::byte> block(size);
    if (!GetFileVersionInfoExW(kFlags, path.c_str(), 0, size, block.data())) return std::nullopt;

    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* table = nullptr;
    UINT tableBytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &tableBytes) || !table) return std::nullopt;
    const auto* translations = static_cast<const Translation*>(table);
    const std::size_t count = tableBytes / sizeof(Translation);
    // The user's own language first, then its other variants, then the file's first language.
    const LANGID user = GetUserDefaultUILanguage();
    std::vector<Translation> tried;
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < count; ++i) {
            const Translation& t = translations[i];
            const bool wanted = pass == 0 ? t.language == user
                              : pass == 1 ? PRIMARYLANGID(t.language) == PRIMARYLANGID(user) && t.language != user
                                          : PRIMARYLANGID(t.language) != PRIMARYLANGID(user);
            if (wanted) tried.push_back(t);
        }
    }
    for (const Translation& t : tried) {
        wchar_t name[64];
        swprintf(name, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", t.language, t.codePage);
        void* text = nullptr;
        UINT chars = 0;
        if (!VerQueryValueW(block.data(), name, &text, &chars) || !text || chars == 0) continue;
        std::wstring description(static_cast<const wchar_t*>(text), chars);
        description.resize(wcsnlen(description.c_str(), description.size()));
        if (!description.empty()) return description;
    }
    return std::nullopt;
}

}  // namespace ft
