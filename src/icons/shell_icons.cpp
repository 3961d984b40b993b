#include "icons/shell_icons.h"

#include <shellapi.h>

namespace ft {
namespace {

// A snapshot of one system icon drawn on the window colour, so the picture is opaque and
// looks the same wherever it is shown.
HBITMAP Snapshot(HIMAGELIST list, int index, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!bitmap || !dc) {
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return bitmap;
}

HIMAGELIST PictureListLike(HIMAGELIST system, int fallbackSize) {
    int width = fallbackSize;
    int height = fallbackSize;
    if (system) ImageList_GetIconSize(system, &width, &height);
    return ImageList_Create(width, height, ILC_COLOR32, 64, 64);
}

HIMAGELIST SystemList(UINT sizeFlag) {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L".txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                                       SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | sizeFlag));
}

}  // namespace

ShellIcons::ShellIcons()
    : systemSmall_(SystemList(SHGFI_SMALLICON)),
      systemLarge_(SystemList(SHGFI_LARGEICON)),
      smallPictures_(PictureListLike(systemSmall_, GetSystemMetrics(SM_CXSMICON))),
      largePictures_(PictureListLike(systemLarge_, GetSystemMetrics(SM_CXICON))) {}

ShellIcons::~ShellIcons() {
    // The system lists belong to the shell; only our own are destroyed.
    if (smallPictures_) ImageList_Destroy(smallPictures_);
    if (largePictures_) ImageList_Destroy(largePictures_);
}

ShellTypeInfo ShellIcons::Query(const std::wstring& fileName) {
    // One query gives both the type name and the icon index; the index is the same in the
    // small and the large system list, which are fetched once.
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
    if (!systemSmall_ || !systemLarge_ || !smallPictures_ || !largePictures_) return std::nullopt;
    int smallW = 0, smallH = 0, largeW = 0, largeH = 0;
    ImageList_GetIconSize(smallPictures_, &smallW, &smallH);
    ImageList_GetIconSize(largePictures_, &largeW, &largeH);
    HBITMAP small = Snapshot(systemSmall_, systemIconIndex, smallW, smallH);
    HBITMAP large = Snapshot(systemLarge_, systemIconIndex, largeW, largeH);
    std::optional<int> slot;
    if (small && large) {
        const int smallSlot = ImageList_Add(smallPictures_, small, nullptr);
        const int largeSlot = smallSlot >= 0 ? ImageList_Add(largePictures_, large, nullptr) : -1;
        // Both lists grow together, so one slot names both pictures.
        if (smallSlot >= 0 && largeSlot == smallSlot) slot = smallSlot;
        else if (smallSlot >= 0 && largeSlot < 0) ImageList_Remove(smallPictures_, smallSlot);
    }
    if (small) DeleteObject(small);
    if (large) DeleteObject(large);
    return slot;
}

}  // namespace ft
