#include "icons/shell_icons.h"

#include <commoncontrols.h>
#include <shellapi.h>

#include "platform/dpi.h"

namespace ft {
namespace {

constexpr int kSmallAt96Dpi = 16;
constexpr int kLargeAt96Dpi = 32;
constexpr std::array<int, 4> kSystemListKinds{SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE, SHIL_JUMBO};

// Takes back an image that ImageList_Add put at `added` (-1: it added none).
void Undo(HIMAGELIST list, int added) {
    if (added >= 0) ImageList_Remove(list, added);
}

}  // namespace

ShellIcons::ShellIcons() {
    for (std::size_t i = 0; i < kSystemListKinds.size(); ++i) {
        SystemList& system = systemLists_[i];
        if (FAILED(SHGetImageList(kSystemListKinds[i], IID_PPV_ARGS(system.reference.put())))) system.reference.reset();
        if (!system.reference) continue;
        int width = 0, height = 0;
        ImageList_GetIconSize(system.list(), &width, &height);
        system.size = width;
    }
    SetDpi(SystemDpi());
}

ShellTypeInfo ShellIcons::Query(const std::wstring& fileName) {
    // One query gives both the type name and the icon index; the index is the same in every
    // system list, which are fetched once.
    SHFILEINFOW info{};
    const DWORD_PTR result =
        SHGetFileInfoW(fileName.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    ShellTypeInfo answer;
    if (result == 0) return answer;
    answer.ok = true;
    answer.typeName.assign(info.szTypeName, info.szTypeName + sizeof(info.szTypeName) / sizeof(wchar_t));
    answer.iconIndex = info.iIcon;
    return answer;
}

std::optional<int> ShellIcons::Capture(int systemIconIndex) {
    if (!smallPictures_.source || !largePictures_.source) return std::nullopt;
    const int slot = static_cast<int>(capturedIcons_.size());
    if (!Append(systemIconIndex, slot)) return std::nullopt;
    capturedIcons_.push_back(systemIconIndex);
    return slot;
}

bool ShellIcons::SetDpi(UINT dpi) {
    const int smallSize = MulDiv(kSmallAt96Dpi, static_cast<int>(dpi), 96);
    const int largeSize = MulDiv(kLargeAt96Dpi, static_cast<int>(dpi), 96);
    if (smallPictures_.pictures && smallSize == smallPictures_.size && largeSize == largePictures_.size) return false;
    Resize(smallPictures_, smallSize);
    Resize(largePictures_, largeSize);
    // The stores name pictures by slot, so every slot is filled again in order; a picture
    // that cannot be drawn again is left empty rather than letting the later ones move up.
    for (std::size_t slot = 0; slot < capturedIcons_.size(); ++slot) {
        const int at = static_cast<int>(slot);
        if (!Append(capturedIcons_[slot], at) && !Append(-1, at)) break;
    }
    return true;
}

void ShellIcons::Resize(PictureList& list, int size) const {
    // The system list of that size, else the nearest larger one, else the largest there is.
    const SystemList* larger = nullptr;
    const SystemList* largest = nullptr;
    for (const SystemList& system : systemLists_) {
        if (!system.reference) continue;
        if (system.size >= size && (!larger || system.size < larger->size)) larger = &system;
        if (!largest || system.size > largest->size) largest = &system;
    }
    const SystemList* source = larger ? larger : largest;
    list.source = source ? source->list() : nullptr;
    list.sourceSize = source ? source->size : 0;
    list.size = size;
    // Changing the size empties the list but keeps its handle, which the list view holds.
    if (list.pictures) ImageList_SetIconSize(list.pictures.get(), size, size);
    else list.pictures.reset(ImageList_Create(size, size, ILC_COLOR32, 64, 64));

    list.surface.reset();
    list.surfaceDc.reset();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueWindowDc screen = WindowDc(nullptr);
    list.surface = UniqueBitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    list.surfaceDc = UniqueMemoryDc(CreateCompatibleDC(screen.get()));
}

bool ShellIcons::Draw(const PictureList& list, int systemIconIndex) {
    // The icon drawn on the window colour, so the picture is opaque and looks the same
    // wherever it is shown. An index of -1 gives the bare background. The surface is
    // selected only while it is drawn on: a bitmap can be selected into one DC at a time,
    // and the picture list takes it from there.
    if (!list.surface || !list.surfaceDc) return false;
    HDC dc = list.surfaceDc.get();
    const UniqueSelection selection = Select(dc, list.surface.get());
    if (!selection) return false;
    RECT all{0, 0, list.size, list.size};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    if (systemIconIndex >= 0 && list.sourceSize == list.size) {
        ImageList_Draw(list.source, systemIconIndex, dc, 0, 0, ILD_TRANSPARENT);
    } else if (systemIconIndex >= 0) {
        if (const UniqueIcon icon{ImageList_GetIcon(list.source, systemIconIndex, ILD_TRANSPARENT)}) {
            DrawIconEx(dc, 0, 0, icon.get(), list.size, list.size, 0, nullptr, DI_NORMAL);
        }
    }
    return true;
}

bool ShellIcons::Append(int systemIconIndex, int slot) {
    bool drawn = false;
    {
        const ScanStepSpan capture(stepTimer_, ScanStep::Capture);
        drawn = Draw(smallPictures_, systemIconIndex) && Draw(largePictures_, systemIconIndex);
    }
    if (!drawn) return false;
    const ScanStepSpan add(stepTimer_, ScanStep::StoreAdd);
    // Both lists grow together, so one slot names both pictures. The lists copy the surfaces.
    const int smallSlot = ImageList_Add(smallPictures_.pictures.get(), smallPictures_.surface.get(), nullptr);
    const int largeSlot =
        smallSlot == slot ? ImageList_Add(largePictures_.pictures.get(), largePictures_.surface.get(), nullptr) : -1;
    const bool appended = smallSlot == slot && largeSlot == slot;
    if (!appended) {
        Undo(smallPictures_.pictures.get(), smallSlot);
        Undo(largePictures_.pictures.get(), largeSlot);
    }
    return appended;
}

}  // namespace ft
