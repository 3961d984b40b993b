#include "ui/backup/backup_window.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>

#include "catalogue/command_line.h"
#include "ui/common/window_ids.h"

namespace ft::ui {
namespace {

constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
// Label1, the status line: it says the export is done only once the job has seen it done. It
// wraps a failure report the way it is measured below; the tool's text may hold "&".
constexpr ControlSpec kStatus{
    kIdBackupLabel, L"STATIC", kExportRunningText, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 120, 1440, 3255, 255};
constexpr UINT kStatusFormat = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
constexpr int kStatusBottomMargin = 285;  // twips, as below the status line at the designed size
constexpr UINT kWatchMilliseconds = 50;

// Table order is the Tab order: Close first, then the two boxes and their buttons.
const std::array<ControlSpec, 6> kControls{{
    {kIdBackupClose, L"BUTTON", L"关闭", kButton, 0, 4080, 1440, 1215, 375},
    {kIdBackupText1, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 280, 5295, 285},
    {kIdBackupText2, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 880, 5295, 285},
    {kIdBackupBrowse1, L"BUTTON", L"...", kButton, 0, 5520, 240, 375, 375},
    {kIdBackupBrowse2, L"BUTTON", L"...", kButton, 0, 5520, 840, 375, 375},
    kStatus,
}};

const OwnedWindowDesign kDesign{
    kBackupClass, L"文件类型备份", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
    6195,         1980,            kControls,
    true,         kIdBackupClose,     true,
};

// A long start-up folder would push the file name out of the box: show the end of the path.
void SetPathShowingItsEnd(HWND box, const std::wstring& path) {
    SetWindowTextW(box, path.c_str());
    const int length = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

}  // namespace

BackupWindow::BackupWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher)
    : OwnedWindow(owner, icons, kDesign), launcher_(launcher) {}

BackupWindow::~BackupWindow() { KillTimer(Owner(), WatchTimerId()); }

void BackupWindow::OnBuilt() {
    HWND tooltips = CreateTooltips(Handle());
    AddTooltip(tooltips, Handle(), kIdBackupBrowse1, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupBrowse2, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdBackupClose, L"Exit");
}

void BackupWindow::SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) {
    EnsureBuilt();
    SetPathShowingItsEnd(GetDlgItem(Handle(), kIdBackupText1), extRegPath);
    SetPathShowingItsEnd(GetDlgItem(Handle(), kIdBackupText2), typeRegPath);
}

void BackupWindow::Watch(std::shared_ptr<ExportJob> job) {
    EnsureBuilt();
    // The older job is no longer shown, so its ending can never overwrite this one.
    job_ = std::move(job);
    if (!job_) return;
    job_->Poll();
    ShowStatus();
    // The timer belongs to the owner, which outlives this window: closing the window must not
    // leave an export waiting for an older one that nobody polls any more.
    if (job_->Running()) {
        SetTimer(Owner(), WatchTimerId(), kWatchMilliseconds, &BackupWindow::OnWatchTimer);
    } else {
        KillTimer(Owner(), WatchTimerId());
    }
}

void CALLBACK BackupWindow::OnWatchTimer(HWND, UINT, UINT_PTR id, DWORD) {
    // A timer procedure is called by DispatchMessage, outside the window procedure's boundary.
    try {
        reinterpret_cast<BackupWindow*>(id)->PollJob();
    } catch (const std::exception&) {
    }
}

void BackupWindow::PollJob() {
    if (job_ && job_->Poll()) ShowStatus();
    if (!job_ || !job_->Running()) KillTimer(Owner(), WatchTimerId());
}

void BackupWindow::ShowStatus() {
    if (!Handle()) return;  // closed: the job is still followed, but there is nothing to show
    SetDlgItemTextW(Handle(), kIdBackupLabel, job_->StatusText().c_str());
    FitStatus();
}

void BackupWindow::FitStatus() {
    HWND label = GetDlgItem(Handle(), kIdBackupLabel);
    const UINT dpi = Dpi();
    const int width = Px(kStatus.width, dpi);
    int height = Px(kStatus.height, dpi);
    // A failure report gets the lines it needs below its place; the window grows to hold them.
    if (job_ && !job_->Running() && job_->Failed()) {
        const std::wstring text = job_->StatusText();
        const UniqueWindowDc dc = WindowDc(label);
        const UniqueSelection font = Select(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        RECT needed{0, 0, width, 0};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, kStatusFormat | DT_CALCRECT);
        height = std::max<int>(height, needed.bottom);
    }
    SetWindowPos(label, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);

    RECT client{};
    GetClientRect(Handle(), &client);
    const int clientHeight = Px(kStatus.top, dpi) + height + Px(kStatusBottomMargin, dpi);
    if (clientHeight > client.bottom) {
        RECT window{};
        GetWindowRect(Handle(), &window);
        SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top + clientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void BackupWindow::OpenInEditor(int boxId) {
    HWND box = GetDlgItem(Handle(), boxId);
    std::wstring path(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    path.resize(static_cast<std::size_t>(GetWindowTextW(box, path.data(), static_cast<int>(path.size()))));
    launcher_.Open(NotepadCommandLine(path));
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
