#include "ui/backup/backup_window.h"

#include <array>
#include <string>

#include "catalogue/command_line.h"
#include "ui/common/window_ids.h"

namespace ft::ui {
namespace {

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

const OwnedWindowDesign kDesign{
    kBackupClass, L"文件类型备份", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
    6195,         1980,            kControls,
    true,         kIdBackupClose,
};

}  // namespace

BackupWindow::BackupWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher)
    : OwnedWindow(owner, icons, kDesign), launcher_(launcher) {}

void BackupWindow::OnBuilt() {
    HWND tooltips = CreateTooltips(Handle());
    AddTooltip(tooltips, Handle(), kIdBackupBrowse1, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupBrowse2, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupClose, L"Exit");
}

void BackupWindow::SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) {
    EnsureBuilt();
    SetDlgItemTextW(Handle(), kIdBackupText1, extRegPath.c_str());
    SetDlgItemTextW(Handle(), kIdBackupText2, typeRegPath.c_str());
}

void BackupWindow::OpenInEditor(int boxId) {
    HWND box = GetDlgItem(Handle(), boxId);
    std::wstring path(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    path.resize(static_cast<std::size_t>(GetWindowTextW(box, path.data(), static_cast<int>(path.size()))));
    launcher_.Start(NotepadCommandLine(path), false);
}

LRESULT BackupWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kIdBackupBrowse1:
            OpenInEditor(kIdBackupText1);
            return 0;
        case kIdBackupBrowse2:
            OpenInEditor(kIdBackupText2);
            return 0;
        case kIdBackupClose:
            DestroyWindow(Handle());
            return 0;
        default:
            break;
        }
    }
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kIdBackupLabel) {
        return ColoredLabel(wParam, RGB(0, 0, 255));
    }
    return OwnedWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ft::ui
