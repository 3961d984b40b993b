#include "ui/backup/backup_window.h"

#include <array>
#include <string>

#include "catalogue/command_line.h"
#include "ui/common/window_ids.h"

namespace ft::ui {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr int kClientWidth = 6195;
constexpr int kClientHeight = 1980;
constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

// Table order is the Tab order: Close first, then the two boxes and their buttons.
const std::array<ControlSpec, 6> kControls{{
    {kIdBackupClose, L"BUTTON", L"关闭", kButton, 0, 4080, 1440, 1215, 375},
    {kIdBackupText1, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 280, 5295, 285},
    {kIdBackupText2, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 880, 5295, 285},
    {kIdBackupBrowse1, L"BUTTON", L"...", kButton, 0, 5520, 240, 375, 375},
    {kIdBackupBrowse2, L"BUTTON", L"...", kButton, 0, 5520, 840, 375, 375},
    {kIdBackupLabel, L"STATIC", L"此文件类型已从注册表导出", SS_LEFT, 0, 120, 1440, 3255, 255},
}};

}  // namespace

void BackupWindow::EnsureBuilt() {
    if (Handle()) return;
    RegisterClassOnce(kBackupClass, GetSysColorBrush(COLOR_BTNFACE), icon_);
    const UINT dpi = DpiOf(owner_);
    const SIZE outer = OuterSizeForClient(kClientWidth, kClientHeight, kStyle, 0, false, dpi);
    if (!CreateWindowFor(kBackupClass, L"文件类型备份", kStyle, 0, owner_, outer.cx, outer.cy)) return;
    font_ = CreateMessageFont(DpiOf(Handle()));
    CreateControls(Handle(), kControls, DpiOf(Handle()), font_.get());
    HWND tooltips = CreateTooltips(Handle());
    AddTooltip(tooltips, Handle(), kIdBackupBrowse1, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupBrowse2, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupClose, L"Exit");
    shownSinceBuilt_ = false;
}

void BackupWindow::ApplyDpi(UINT dpi) {
    font_ = CreateMessageFont(dpi);
    PlaceControls(Handle(), kControls, dpi);
    SetFontOf(Handle(), kControls, font_.get());
}

void BackupWindow::SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) {
    EnsureBuilt();
    SetDlgItemTextW(Handle(), kIdBackupText1, extRegPath.c_str());
    SetDlgItemTextW(Handle(), kIdBackupText2, typeRegPath.c_str());
}

void BackupWindow::Show() {
    EnsureBuilt();
    if (!shownSinceBuilt_) {
        CenterWindow(Handle(), owner_);
        shownSinceBuilt_ = true;
        ShowWindow(Handle(), SW_SHOW);
        SetFocus(GetDlgItem(Handle(), kIdBackupClose));
    } else {
        ShowWindow(Handle(), SW_SHOW);
    }
}

void BackupWindow::OpenInEditor(int boxId) {
    HWND box = GetDlgItem(Handle(), boxId);
    std::wstring path(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    path.resize(static_cast<std::size_t>(GetWindowTextW(box, path.data(), static_cast<int>(path.size()))));
    launcher_.Start(NotepadCommandLine(path), false);
}

LRESULT BackupWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        PressFocusedButtonOnEnter(Handle(), wParam);
        if (HIWORD(wParam) != BN_CLICKED) return 0;
        if (LOWORD(wParam) == kIdBackupBrowse1) OpenInEditor(kIdBackupText1);
        if (LOWORD(wParam) == kIdBackupBrowse2) OpenInEditor(kIdBackupText2);
        if (LOWORD(wParam) == kIdBackupClose) DestroyWindow(Handle());
        return 0;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kIdBackupLabel) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return Window::HandleMessage(message, wParam, lParam);
    case WM_DPICHANGED:
        ApplyDpi(HIWORD(wParam));
        ApplySuggestedRect(Handle(), lParam);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ft::ui
