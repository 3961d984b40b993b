#include "ui/splash/splash_window.h"

#include <commctrl.h>

#include <array>

#include "ui/common/window_ids.h"
#include "ui/res/resource.h"

namespace ft::ui {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr int kClientWidth = 4425;
constexpr int kClientHeight = 1875;
constexpr int kPictureLeft = 240, kPictureTop = 240, kPictureSize = 480;  // drawn at 32 x 32 pixels at 96 dpi

const std::array<ControlSpec, 5> kControls{{
    {kIdSplashPicture, L"STATIC", L"", SS_OWNERDRAW, 0, kPictureLeft, kPictureTop, 615, 615},
    {kIdSplashLabel1, L"STATIC", L"查找本机注册表安装文件类型", SS_CENTER, 0, 960, 360, 2895, 375},
    {kIdSplashLabel2, L"STATIC", L"请稍后......", SS_CENTER, 0, 1560, 720, 2415, 375},
    {kIdSplashBar, PROGRESS_CLASSW, L"", 0, 0, 360, 1440, 3495, 375},
    {kIdSplashPercent, L"STATIC", L"0", SS_CENTER, 0, 3960, 1560, 375, 255},
}};

}  // namespace

void SplashWindow::Build() {
    RegisterClassOnce(kSplashClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    dpi_ = SystemDpi();
    const SIZE outer = OuterSizeForClient(kClientWidth, kClientHeight, kStyle, 0, false, dpi_);
    if (!CreateWindowFor(kSplashClass, L"", kStyle, 0, owner_, outer.cx, outer.cy)) return;
    picture_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SPLASH), IMAGE_ICON, 32,
                                             32, LR_DEFAULTCOLOR));
    ApplyDpi(DpiOf(Handle()));
    CreateControls(Handle(), kControls, dpi_, defaultFont_.get());
    SetFontOf(Handle(), std::span(kControls).subspan(1, 2), labelFont_.get());
    SendDlgItemMessageW(Handle(), kIdSplashBar, PBM_SETRANGE32, 0, 100);
    CenterWindow(Handle(), nullptr);
}

void SplashWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    defaultFont_ = CreateMessageFont(dpi);
    labelFont_ = CreateChineseFont(L"宋体", 105, dpi);
    if (GetDlgItem(Handle(), kIdSplashBar)) {
        PlaceControls(Handle(), kControls, dpi);
        SetFontOf(Handle(), kControls, defaultFont_.get());
        SetFontOf(Handle(), std::span(kControls).subspan(1, 2), labelFont_.get());
    }
}

void SplashWindow::Show() {
    if (!Handle()) Build();
    ShowWindow(Handle(), SW_SHOW);
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
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetTextColor(dc, (id == kIdSplashLabel1 || id == kIdSplashLabel2) ? RGB(0, 0, 255)
                                                                           : GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        const int size = Px(kPictureSize, dpi_);
        if (picture_) DrawIconEx(draw->hDC, 0, 0, picture_, size, size, 0, nullptr, DI_NORMAL);
        return TRUE;
    }
    case WM_DPICHANGED:
        ApplyDpi(HIWORD(wParam));
        ApplySuggestedRect(Handle(), lParam);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ft::ui
