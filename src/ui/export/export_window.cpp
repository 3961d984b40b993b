#include "ui/export/export_window.h"

#include <algorithm>
#include <array>
#include <string>

#include "catalogue/command_line.h"
#include "ui/common/event_guard.h"
#include "ui/common/tooltips.h"
#include "ui/common/window_ids.h"

namespace ft::ui {
namespace {

constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
// Label1, the status line: it says the export is done only once the job has seen it done. It
// wraps a failure report the way it is measured below; the tool's text may hold "&".
constexpr ControlSpec kStatus{
    kIdExportLabel, L"STATIC", kExportRunningText, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 120, 1440, 3255, 255};
constexpr UINT kStatusFormat = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
constexpr int kStatusBottomMargin = 285;  // twips, as below the status line at the designed size
constexpr UINT kWatchMilliseconds = 50;

// Table order is the Tab order: Close first, then the two boxes and their buttons.
const std::array<ControlSpec, 6> kControls{{
    {kIdExportClose, L"BUTTON", L"关闭", kButton, 0, 4080, 1440, 1215, 375},
    {kIdExportText1, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 280, 5295, 285},
    {kIdExportText2, L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, 120, 880, 5295, 285},
    {kIdExportBrowse1, L"BUTTON", L"...", kButton, 0, 5520, 240, 375, 375},
    {kIdExportBrowse2, L"BUTTON", L"...", kButton, 0, 5520, 840, 375, 375},
    kStatus,
}};

const OwnedWindowDesign kDesign{
    kExportClass, L"文件类型备份", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
    6195,         1980,            kControls,
    true,         kIdExportClose,     true,
};

// A long start-up folder would push the file name out of the box: show the end of the path.
void SetPathShowingItsEnd(HWND box, const std::wstring& path) {
    SetWindowTextW(box, path.c_str());
    const int length = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

}  // namespace

ExportWindow::ExportWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher)
    : OwnedWindow(owner, icons, kDesign), launcher_(launcher) {}

ExportWindow::~ExportWindow() { KillTimer(Owner(), WatchTimerId()); }

void ExportWindow::OnBuilt() {
    HWND tooltips = CreateTooltips(Handle());
    AddTooltip(tooltips, Handle(), kIdExportBrowse1, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdExportBrowse2, L"Browse File");
    AddTooltip(tooltips, Handle(), kIdExportClose, L"Exit");
}

void ExportWindow::SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) {
    EnsureBuilt();
    SetPathShowingItsEnd(GetDlgItem(Handle(), kIdExportText1), extRegPath);
    SetPathShowingItsEnd(GetDlgItem(Handle(), kIdExportText2), typeRegPath);
}

void ExportWindow::Watch(std::shared_ptr<ExportJob> job) {
    EnsureBuilt();
    // The older job is no longer shown, so its ending can never overwrite this one.
    job_ = std::move(job);
    if (!job_) return;
    job_->Poll();
    ShowStatus();
    // The timer belongs to the owner, which outlives this window: closing the window must not
    // leave an export waiting for an older one that nobody polls any more.
    if (job_->Running()) {
        SetTimer(Owner(), WatchTimerId(), kWatchMilliseconds, &ExportWindow::OnWatchTimer);
    } else {
        KillTimer(Owner(), WatchTimerId());
    }
}

void CALLBACK ExportWindow::OnWatchTimer(HWND, UINT, UINT_PTR id, DWORD) {
    // A timer procedure is called by DispatchMessage, outside the window procedure's boundary.
    Guarded(L"export watch timer", [id] { reinterpret_cast<ExportWindow*>(id)->PollJob(); });
}

void ExportWindow::PollJob() {
    if (job_ && job_->Poll()) ShowStatus();
    if (!job_ || !job_->Running()) KillTimer(Owner(), WatchTimerId());
}

void ExportWindow::ShowStatus() {
    if (!Handle()) return;  // closed: the job is still followed, but there is nothing to show
    SetDlgItemTextW(Handle(), kIdExportLabel, job_->StatusText().c_str());
    FitStatus();
}

void ExportWindow::FitStatus() {
    HWND label = GetDlgItem(Handle(), kIdExportLabel);
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

void ExportWindow::OpenInEditor(int boxId) {
    HWND box = GetDlgItem(Handle(), boxId);
    std::wstring path(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    path.resize(static_cast<std::size_t>(GetWindowTextW(box, path.data(), static_cast<int>(path.size()))));
    if (const auto error = launcher_.Open(NotepadCommandLine(path))) TellUser(Handle(), EditorStartFailure(*error));
}

LRESULT ExportWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kIdExportBrowse1:
            OpenInEditor(kIdExportText1);
            return 0;
        case kIdExportBrowse2:
            OpenInEditor(kIdExportText2);
            return 0;
        case kIdExportClose:
            DestroyWindow(Handle());
            return 0;
        default:
            break;
        }
    }
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kIdExportLabel) {
        return ColoredLabel(wParam, RGB(0, 0, 255));
    }
    return OwnedWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ft::ui
