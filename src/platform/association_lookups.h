#pragma once
// Which program opens an extension, over the Win32 API: the shell's association registration,
// the user's choice in HKEY_CURRENT_USER and the program file's version resource. Only read.
#include <windows.h>
#include <shobjidl.h>

#include <optional>
#include <string>

#include "platform/services.h"
#include "platform/unique_handle.h"

namespace ft {

class Win32AssociationLookups : public AssociationLookups {
public:
    // COM must be initialised on the calling thread (the UI thread's apartment).
    std::optional<std::wstring> CurrentDefault(const std::wstring& extension) override;
    std::optional<std::wstring> UserChoice(const std::wstring& extension) override;
    std::optional<std::wstring> FileDescription(const std::wstring& path) override;

private:
    UniqueCom<IApplicationAssociationRegistration> registration_;
    bool registrationTried_ = false;  // made once; a system without it gives no answers
};

}  // namespace ft
