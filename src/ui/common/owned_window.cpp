#include "ui/common/owned_window.h"

namespace ft::ui {
namespace {

bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

void OwnedWindow::EnsureBuilt() {
    if (Handle()) return;
    RegisterClassOnce(design_.className, GetSysColorBrush(COLOR_BTNFACE), icons_);
    // Sized at the DPI of the monitor it will be shown on (centred over the owner, or on the
    // owner's screen), and created on that monitor so that it takes that DPI from the start.
    const HMONITOR monitor = MonitorUnder(owner_);
    const SIZE outer =
        OuterSizeForClient(design_.clientWidth, design_.clientHeight, design_.style, 0, false, MonitorDpi(monitor));
    MONITORINFO screen{sizeof(screen)};
    GetMonitorInfoW(monitor, &screen);
    const POINT origin{screen.rcWork.left, screen.rcWork.top};
    if (!CreateWindowFor(design_.className, design_.caption, design_.style, 0, owner_, outer.cx, outer.cy, origin)) {
        return;
    }
    dpi_ = DpiOf(Handle());
    font_ = CreateMessageFont(dpi_);
    CreateControls(Handle(), design_.controls, dpi_, font_.get());
    shownSinceBuilt_ = false;
    lastFocus_ = nullptr;
    OnBuilt();
}

void OwnedWindow::ShowOwned(int showCommand) {
    EnsureBuilt();
    if (!Handle()) return;
    const bool first = !shownSinceBuilt_;
    if (first) {
        CenterWindow(Handle(), design_.centreOnOwner ? owner_ : nullptr);
        shownSinceBuilt_ = true;
    }
    ShowWindow(Handle(), showCommand);
    // Asked for again while open, it comes to the front and is activated, but stays where it is.
    if (!first) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (first && design_.initialFocusId != 0) SetFocus(GetDlgItem(Handle(), design_.initialFocusId));
}

void OwnedWindow::OnDestroyed() {
    shownSinceBuilt_ = false;
    lastFocus_ = nullptr;
}

HWND OwnedWindow::FocusToRestore() const {
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_)) return lastFocus_;
    return design_.initialFocusId != 0 ? GetDlgItem(Handle(), design_.initialFocusId) : nullptr;
}


void OwnedWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    const UniqueFont previous = std::move(font_);  // deleted once no control uses it any more
    font_ = CreateMessageFont(dpi);
    PlaceControls(Handle(), design_.controls, dpi);
    SetFontOf(Handle(), design_.controls, font_.get());
    OnDpiApplied();
}

LRESULT OwnedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED:
        ApplyDpi(HIWORD(wParam));
        ApplySuggestedRect(Handle(), lParam);
        return 0;
    case WM_COMMAND:
        PressFocusedButtonOnEnter(Handle(), wParam);
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: keep the focused control while another window is active. On
        // activation the default handling focuses the frame, which hands on (WM_SETFOCUS).
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        }
        return Window::HandleMessage(message, wParam, lParam);
    case WM_SETFOCUS:
        if (const HWND control = FocusToRestore()) SetFocus(control);
        return 0;
    case WM_SYSCOLORCHANGE:
        FollowColorChange(Handle());
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) FollowColorChange(Handle());
        return Window::HandleMessage(message, wParam, lParam);
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

LRESULT ColoredLabel(WPARAM dc, COLORREF color) {
    HDC hdc = reinterpret_cast<HDC>(dc);
    SetTextColor(hdc, HighContrastOn() ? GetSysColor(COLOR_BTNTEXT) : color);
    SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace ft::ui
