// The program at the screen's DPI. The e2e_wine_dpi144 and e2e_wine_dpi192 runs set LogPixels
// in the test prefix (150 % and 200 %) and save their screenshots apart; at 96 dpi the same
// checks hold the windows to their design sizes.
#include <gtest/gtest.h>

#include <set>

#include "program_session.h"
#include "ui/res/resource.h"

namespace e2e {
namespace {

// Every edit box of the window is at least as tall as a line of the system's message font,
// the font the program gives its boxes.
::testing::AssertionResult NoBoxClipsItsText(HWND window) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW line{};
    GetTextMetricsW(screen, &line);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);

    int boxes = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(probe::ClassOf(child).c_str(), L"Edit") != 0) continue;
        ++boxes;
        RECT client{};
        GetClientRect(child, &client);
        if (client.bottom < line.tmHeight)
            return ::testing::AssertionFailure() << "box " << GetDlgCtrlID(child) << " is " << client.bottom
                                                 << " px tall inside, its text " << line.tmHeight << " px";
    }
    if (boxes == 0) return ::testing::AssertionFailure() << "no edit boxes found";
    return ::testing::AssertionSuccess();
}

TEST(Dpi, EveryWindowGrowsWithTheScreenAndNoBoxClipsItsText) {
    ProgramSession session(L"dpi");
    ASSERT_TRUE(session.ready());
    // The smallest outer size holds as well; where the frame does not grow with the DPI (as
    // under Wine) it leaves a little more than the designed client area.
    const RECT outer = probe::WindowRect(session.main());
    RECT client{};
    GetClientRect(session.main(), &client);
    const SIZE smallest = MinimumWindowSize();
    const SIZE smallestClient{smallest.cx - (outer.right - outer.left - client.right),
                              smallest.cy - (outer.bottom - outer.top - client.bottom)};
    EXPECT_TRUE(ClientAreaScaled(session.main(), {486, 326}, smallestClient)) << "main window";
    probe::Screenshot(session.main(), L"dpi-main-window");
    // A broken type's row is grey and its tooltip tells why.
    const int gone = session.list().Find(L"ftgone");
    const std::wstring why = L"没有打开它的程序\r\n默认动作：open\r\n找不到程序：C:\\Program Files\\Ft Tools\\ftgone.exe";
    EXPECT_EQ(session.RowTip(gone, 0, why), why);
    probe::Screenshot(session.main(), L"dpi-main-window-row-tooltip");
    EXPECT_GE(session.RowInk(gone).darkest, GrayTextSum() - 6) << "the broken type's row is not grey";

    ASSERT_TRUE(session.ClickRow(L"ftalpha"));
    const HWND properties = session.RunMenuEntry(kMenuProperties, kPropertiesClass);
    ASSERT_NE(properties, nullptr);
    EXPECT_TRUE(ClientAreaScaled(properties, {474, 286})) << "properties window";
    EXPECT_TRUE(NoBoxClipsItsText(properties)) << "properties window";
    // The picture boxes stay the size of the pictures: 32 and 16 px at 96 dpi.
    EXPECT_TRUE(ClientAreaScaled(probe::ChildById(properties, kIdPropLargeIcon), {32, 32})) << "large picture";
    EXPECT_TRUE(ClientAreaScaled(probe::ChildById(properties, kIdPropSmallIcon), {16, 16})) << "small picture";
    probe::Screenshot(properties, L"dpi-properties-window");
    PostMessageW(properties, WM_CLOSE, 0, 0);
    ASSERT_TRUE(session.app().WaitGone(kPropertiesClass));

    const HWND exportWindow = session.RunMenuEntry(kMenuExport, kExportClass);
    ASSERT_NE(exportWindow, nullptr);
    EXPECT_TRUE(ClientAreaScaled(exportWindow, {413, 132})) << "export window";
    EXPECT_TRUE(NoBoxClipsItsText(exportWindow)) << "export window";
    probe::Screenshot(exportWindow, L"dpi-export-window");
}

TEST(Dpi, ADpiChangeCapturesTheListsPicturesAgainAtTheNewSize) {
    ProgramSession session(L"dpi-change");
    ASSERT_TRUE(session.ready());
    const auto rowsBefore = session.list().Rows();

    // What the system sends when the window is moved to a screen of twice the DPI; the
    // suggested rectangle is the window's own, so only the DPI changes.
    const int dpi = ScreenDpi() * 2;
    const RECT suggested = probe::WindowRect(session.main());
    probe::RemoteBuffer rect(session.app().process(), sizeof(RECT));
    ASSERT_TRUE(rect.ok() && rect.Write(0, &suggested, sizeof(suggested)));
    SendMessageW(session.main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(rect.address()));

    const auto row = session.list().ItemRectOnScreen(0);
    ASSERT_TRUE(row.has_value());
    EXPECT_GE(row->bottom - row->top, MulDiv(16, dpi, 96)) << "the rows are lower than the small pictures at " << dpi
                                                           << " dpi";
    const auto rowsAfter = session.list().Rows();
    ASSERT_EQ(rowsAfter.size(), rowsBefore.size());
    for (std::size_t i = 0; i < rowsAfter.size(); ++i)
        EXPECT_EQ(rowsAfter[i].image, rowsBefore[i].image) << "row " << rowsAfter[i].text << " changed its picture";
    probe::Screenshot(session.main(), L"dpi-main-window-after-dpi-doubled");
}

// The sizes of an icon group in the program's resources, and whether each image's top left
// corner lets the background show when the system draws it at that size.
struct IconImage {
    int size;
    int bitCount;
    bool cornerTransparent;
};

std::vector<IconImage> IconImages(HMODULE module, int groupId) {
    std::vector<IconImage> images;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(groupId), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    const auto* group = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    if (!group) return images;
    const int count = group[4] | (group[5] << 8);
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i;  // GRPICONDIRENTRY, packed
        const int size = entry[0] == 0 ? 256 : entry[0];
        const int bitCount = entry[6] | (entry[7] << 8);

        const COLORREF magenta = RGB(255, 0, 255);
        HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(groupId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ previous = SelectObject(dc, canvas);
        HBRUSH brush = CreateSolidBrush(magenta);
        RECT all{0, 0, size, size};
        FillRect(dc, &all, brush);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        const bool clear = icon && GetPixel(dc, 0, 0) == magenta && GetPixel(dc, size / 2, size / 2) != magenta;
        images.push_back({size, bitCount, clear});
        SelectObject(dc, previous);
        DeleteObject(brush);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        if (icon) DestroyIcon(icon);
    }
    return images;
}

TEST(Dpi, TheIconsComeInEverySizeWithTheirBackgroundsClear) {
    ASSERT_FALSE(probe::ProgramPath().empty()) << "FT_EXE is not set";
    HMODULE exe = LoadLibraryExW(probe::ProgramPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    std::set<int> appSizes;
    for (const IconImage& image : IconImages(exe, IDI_APP)) {
        appSizes.insert(image.size);
        EXPECT_EQ(image.bitCount, 32) << "application icon at " << image.size << " px";
        EXPECT_TRUE(image.cornerTransparent) << "application icon at " << image.size << " px";
    }
    EXPECT_EQ(appSizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));

    // The progress picture: at 96 dpi the designed 16-colour image, whose background shows
    // the button face through; larger for higher DPIs.
    std::set<int> progressSizes;
    for (const IconImage& image : IconImages(exe, IDI_PROGRESS)) {
        progressSizes.insert(image.size);
        EXPECT_EQ(image.bitCount, image.size == 32 ? 4 : 32) << "progress picture at " << image.size << " px";
        EXPECT_TRUE(image.cornerTransparent) << "progress picture at " << image.size << " px";
    }
    EXPECT_EQ(progressSizes, (std::set<int>{32, 48, 64}));
    FreeLibrary(exe);
}

}  // namespace
}  // namespace e2e
