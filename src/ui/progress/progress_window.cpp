#include "ui/progress/progress_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <climits>

#include "ui/common/window_ids.h"
#include "ui/res/resource.h"

namespace ft::ui {
namespace {

constexpr int kPictureSize = 480;  // twips: 32 x 32 pixels at 96 dpi

const std::array<ControlSpec, 5> kControls{{
    {kIdProgressPicture, L"STATIC", L"", SS_OWNERDRAW, 0, 240, 240, 615, 615},
    {kIdProgressLabel1, L"STATIC", L"查找本机注册表安装文件类型", SS_CENTER, 0, 960, 360, 2895, 375},
    {kIdProgressLabel2, L"STATIC", L"请稍后......", SS_CENTER, 0, 1560, 720, 2415, 375},
    {kIdProgressBar, PROGRESS_CLASSW, L"", 0, 0, 360, 1440, 3495, 375},
    {kIdProgressPercent, L"STATIC", L"0", SS_CENTER, 0, 3960, 1560, 375, 255},
}};
const auto kBlueLabels = std::span(kControls).subspan(1, 2);
const auto kPercentLabel = std::span(kControls).subspan(4, 1);
constexpr wchar_t kWidestPercent[] = L"100%";

int TextWidth(HDC dc, const LOGFONTW& shape, const wchar_t* text, TEXTMETRICW& metrics) {
    const UniqueFont font(CreateFontIndirectW(&shape));
    const UniqueSelection selection = Select(dc, font.get());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
    GetTextMetricsW(dc, &metrics);
    return extent.cx;
}

// The window's font narrowed until "100%" fits the percentage label whole: the label keeps
// its designed size beside the bar, which the font's digits would overflow. Glyphs are made
// narrower at the same height; a face that cannot be narrowed is made smaller instead.
UniqueFont PercentFont(HWND label, HFONT windowFont) {
    LOGFONTW fitted{};
    GetObjectW(windowFont, sizeof(fitted), &fitted);
    RECT box{};
    GetClientRect(label, &box);
    const int room = box.right - 2;  // a clear pixel on either side
    const UniqueWindowDc dc = WindowDc(label);
    int previousWidth = INT_MAX;
    for (int step = 0; step < 16; ++step) {
        TEXTMETRICW metrics{};
        const int width = TextWidth(dc.get(), fitted, kWidestPercent, metrics);
        if (width <= room || room <= 0) break;
        if (width < previousWidth) {
            fitted.lfWidth = std::max(1L, static_cast<LONG>(MulDiv(metrics.tmAveCharWidth, room, width)));
        } else {
            fitted.lfHeight = fitted.lfHeight * 9 / 10;
        }
        previousWidth = width;
    }
    return UniqueFont(CreateFontIndirectW(&fitted));
}

// No title bar, but a sizing frame; centred on the screen, not on the hidden main window.
// Nothing in it takes the focus, so it has no dialog keys.
const OwnedWindowDesign kDesign{
    kProgressClass, L"", WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN, 4425, 1875, kControls, false, 0, false,
};

}  // namespace

ProgressWindow::ProgressWindow(HWND owner) : OwnedWindow(owner, ClassIcons{}, kDesign) {}

void ProgressWindow::OnBuilt() {
    SendDlgItemMessageW(Handle(), kIdProgressBar, PBM_SETRANGE32, 0, 100);
    OnDpiApplied();
}

void ProgressWindow::OnDpiApplied() {
    // The old fonts and picture go only once the controls hold the new ones.
    const UniqueFont previousLabelFont = std::move(labelFont_);
    labelFont_ = CreateChineseFont(L"宋体", 105, Dpi());
    SetFontOf(Handle(), kBlueLabels, labelFont_.get());
    const UniqueFont previousPercentFont = std::move(percentFont_);
    percentFont_ = PercentFont(GetDlgItem(Handle(), kIdProgressPercent), Font());
    SetFontOf(Handle(), kPercentLabel, percentFont_.get());

    // The resource's own 32, 48 or 64 px picture at 100, 150 and 200 %, drawn unscaled.
    const int size = Px(kPictureSize, Dpi());
    const UniqueIcon previousPicture = std::move(picture_);
    picture_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRESS), IMAGE_ICON,
                                                 size, size, LR_DEFAULTCOLOR)));
    InvalidateRect(GetDlgItem(Handle(), kIdProgressPicture), nullptr, TRUE);
}

void ProgressWindow::Show() {
    ShowOwned();
    UpdateWindow(Handle());
}

void ProgressWindow::SetPercentText(const std::wstring& text) {
    // Past 600 file types every row writes the same 100%; repainting it again would only cost time.
    if (!Handle() || text == percentText_ || !textPacer_.ShowsNow(GetTickCount())) return;
    percentText_ = text;
    SetDlgItemTextW(Handle(), kIdProgressPercent, text.c_str());
}

void ProgressWindow::SetBarValue(int value) {
    if (!Handle() || value == barValue_ || !barPacer_.ShowsNow(GetTickCount())) return;
    barValue_ = value;
    SendDlgItemMessageW(Handle(), kIdProgressBar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void ProgressWindow::Close() {
    if (Handle()) DestroyWindow(Handle());
    picture_.reset();
    percentText_ = L"0";
    barValue_ = 0;
    textPacer_.Reset();
    barPacer_.Reset();
}

LRESULT ProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        const bool blue = id == kIdProgressLabel1 || id == kIdProgressLabel2;
        return ColoredLabel(wParam, blue ? RGB(0, 0, 255) : GetSysColor(COLOR_BTNTEXT));
    }
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        if (picture_) DrawIconEx(draw->hDC, 0, 0, picture_.get(), 0, 0, 0, nullptr, DI_NORMAL);
        return TRUE;
    }
    return OwnedWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ft::ui
