#pragma once
// The shell's type name and icon for a file name, and the capture of system icons into the
// program's own picture lists: small pictures for the main list, large ones for the
// properties window, a slot holding both, each at the size the main window's DPI calls for.
#include <windows.h>
#include <commctrl.h>
#include <commoncontrols.h>

#include <array>
#include <vector>

#include "catalogue/scan_steps.h"
#include "catalogue/views.h"
#include "platform/unique_handle.h"

namespace ft {

class ShellIcons : public ShellInfoSource, public IconCapture {
public:
    // Fetches the system icon lists once and creates empty picture lists for the system DPI.
    ShellIcons();
    ShellIcons(const ShellIcons&) = delete;
    ShellIcons& operator=(const ShellIcons&) = delete;

    ShellTypeInfo Query(const std::wstring& fileName) override;
    std::optional<int> Capture(int systemIconIndex) override;

    // Pictures for a window at `dpi`: 16 and 32 px at 96 dpi, growing with the DPI. Pictures
    // already captured are captured again at the new size into the same lists and slots.
    // False when the sizes stay as they were.
    bool SetDpi(UINT dpi);

    // Times the captures for the start-up benchmark's row-timing build.
    void SetStepTimer(ScanStepTimer* timer) { stepTimer_ = timer; }

    HIMAGELIST SmallPictures() const { return smallPictures_.pictures.get(); }
    HIMAGELIST LargePictures() const { return largePictures_.pictures.get(); }

private:
    // One of the program's picture lists and the system list its pictures are drawn from:
    // the one of their size, or else the nearest larger one, whose icons are scaled down.
    // Every picture of the list is drawn on the same surface, made when its size is set.
    struct PictureList {
        UniqueImageList pictures;
        HIMAGELIST source = nullptr;  // a system list's, not ours
        int size = 0;
        int sourceSize = 0;
        UniqueMemoryDc surfaceDc;
        UniqueBitmap surface;
    };
    void Resize(PictureList& list, int size) const;
    // Draws the icon on the list's surface; false when there is no surface to draw on.
    static bool Draw(const PictureList& list, int systemIconIndex);
    // Adds the icon's small and large picture as `slot` of both lists; false, with neither
    // list changed, when that slot cannot be filled.
    bool Append(int systemIconIndex, int slot);

    // The system lists belong to the shell; only our references to them are ours to release.
    struct SystemList {
        UniqueCom<IImageList> reference;
        int size = 0;
        // The interface pointer serves as the list's handle.
        HIMAGELIST list() const { return reinterpret_cast<HIMAGELIST>(reference.get()); }
    };
    std::array<SystemList, 4> systemLists_{};  // small, large, extra large, jumbo
    PictureList smallPictures_;
    PictureList largePictures_;
    std::vector<int> capturedIcons_;  // the system icon index of every slot, in slot order
    ScanStepTimer* stepTimer_ = nullptr;
};

}  // namespace ft
