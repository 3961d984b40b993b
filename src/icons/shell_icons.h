#pragma once
// The shell's type name and icon for a file name, and the capture of system icons into the
// program's own picture lists: small pictures for the main list, large ones for the
// properties window, a slot holding both.
#include <windows.h>
#include <commctrl.h>

#include "catalogue/views.h"

namespace ft {

class ShellIcons : public ShellInfoSource, public IconCapture {
public:
    // Fetches the system icon lists once and creates the program's picture lists to match.
    ShellIcons();
    ~ShellIcons() override;
    ShellIcons(const ShellIcons&) = delete;
    ShellIcons& operator=(const ShellIcons&) = delete;

    ShellTypeInfo Query(const std::wstring& fileName) override;
    std::optional<int> Capture(int systemIconIndex) override;

    HIMAGELIST SmallPictures() const { return smallPictures_; }
    HIMAGELIST LargePictures() const { return largePictures_; }

private:

    HIMAGELIST systemSmall_ = nullptr;
    HIMAGELIST systemLarge_ = nullptr;
    HIMAGELIST smallPictures_ = nullptr;
    HIMAGELIST largePictures_ = nullptr;
};

}  // namespace ft
