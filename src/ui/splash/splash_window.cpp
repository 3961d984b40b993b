#include "ui/splash/splash_window.h"

#include <commctrl.h>

#include <array>

#include "ui/common/window_ids.h"
#include "ui/res/resource.h"

namespace ft::ui {
namespace {

constexpr int kPictureSize = 480;  // twips: 32 x 32 pixels at 96 dpi

const std::array<ControlSpec, 5> kControls{{
    {kIdSplashPicture, L"STATIC", L"", SS_OWNERDRAW, 0, 240, 240, 615, 615},
    {kIdSplashLabel1, L"STATIC", L"查找本机注册表安装文件类型", SS_CENTER, 0, 960, 360, 2895, 375},
    {kIdSplashLabel2, L"STATIC", L"请稍后......", SS_CENTER, 0, 1560, 720, 2415, 375},
    {kIdSplashBar, PROGRESS_CLASSW, L"", 0, 0, 360, 1440, 3495, 375},
    {kIdSplashPercent, L"STATIC", L"0", SS_CENTER, 0, 3960, 1560, 375, 255},
}};
const auto kBlueLabels = std::span(kControls).subspan(1, 2);

// No title bar, but a sizing frame; centred on the screen, not on the hidden main window.
// Nothing in it takes the focus, so it has no dialog keys.
const OwnedWindowDesign kDesign{
    kSplashClass, L"", WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN, 4425, 1875, kControls, false, 0, false,
};

}  // namespace

SplashWindow::SplashWindow(HWND owner) : OwnedWindow(owner, nullptr, kDesign) {}

void SplashWindow::OnBuilt() {
    picture_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SPLASH), IMAGE_ICON, 32,
                                             32, LR_DEFAULTCOLOR));
    SendDlgItemMessageW(Handle(), kIdSplashBar, PBM_SETRANGE32, 0, 100);
    OnDpiApplied();
}

void SplashWindow::OnDpiApplied() {
    labelFont_ = CreateChineseFont(L"宋体", 105, Dpi());
    SetFontOf(Handle(), kBlueLabels, labelFont_.get());
}

void SplashWindow::Show() {
    ShowOwned();
    UpdateWindow(Handle());
}

void SplashWindow::SetPercentText(const std::wstring& text) {
    // Past 600 file types every row writes the same 100%; repainting it again would only cost time.
    if (!Handle() || text == percentText_) return;
    percentText_ = text;
    SetDlgItemTextW(Handle(), kIdSplashPercent, text.c_str());
}

void SplashWindow::SetBarValue(int value) {
    if (!Handle() || value == barValue_) return;
    barValue_ = value;
    SendDlgItemMessageW(Handle(), kIdSplashBar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void SplashWindow::Close() {
    if (Handle()) DestroyWindow(Handle());
    if (picture_) DestroyIcon(picture_);
    picture_ = nullptr;
    percentText_ = L"0";
    barValue_ = 0;
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        const bool blue = id == kIdSplashLabel1 || id == kIdSplashLabel2;
        return ColoredLabel(wParam, blue ? RGB(0, 0, 255) : GetSysColor(COLOR_BTNTEXT));
    }
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        const int size = Px(kPictureSize, Dpi());
        if (picture_) DrawIconEx(draw->hDC, 0, 0, picture_, size, size, 0, nullptr, DI_NORMAL);
        return TRUE;
    }
    return OwnedWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ft::ui
