#include "ui/main/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <array>

#include "platform/platform_services.h"
#include "ui/common/window_ids.h"
#include "ui/res/resource.h"
#include "version.h"

namespace ft::ui {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kClientWidth = 7290;
constexpr int kClientHeight = 4890;
constexpr UINT_PTR kScanTimer = 1;

const std::array<ReportList::Column, 2> kColumns{{
    {L"FileExt", L"文件后缀名", 0},
    {L"FileType", L"文件类型", 0},
}};

}  // namespace

MainWindow::MainWindow(const Backends& backends, int startupShowCommand)
    : registry_(backends.registry),
      shellIcons_(backends.shellIcons),
      launcher_(backends.launcher),
      files_(backends.files),
      lookups_(backends.lookups),
      associations_(backends.associations),
      clock_(backends.clock),
      stepTimer_(backends.stepTimer),
      startupShowCommand_(startupShowCommand) {}

MainWindow::~MainWindow() {
    // While every member still lives: the list's handling and the owned windows' handlers run
    // as the windows go.
    if (Handle()) DestroyWindow(Handle());
}

bool MainWindow::Create() {
    // Each size is picked from the resource rather than scaled from the other.
    LoadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), LIM_LARGE, appIcon_.put());
    LoadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), LIM_SMALL, appSmallIcon_.put());
    RegisterClassOnce(kMainClass, GetSysColorBrush(COLOR_WINDOW), AppIcons());
    const UINT systemDpi = SystemDpi();
    const SIZE outer = OuterSizeForClient(kClientWidth, kClientHeight, kStyle, 0, false, systemDpi);
    if (!CreateWindowFor(kMainClass, L"", kStyle, 0, nullptr, outer.cx, outer.cy)) return false;
    dpi_ = DpiOf(Handle());
    shellIcons_.SetDpi(dpi_);
    CenterWindow(Handle(), nullptr);

    commands_.reset(CreatePopupMenu());
    AppendMenuW(commands_.get(), MF_STRING, kIdMenuProperties, L"查看文件类型属性");
    AppendMenuW(commands_.get(), MF_STRING, kIdMenuExport, L"文件类型备份 (.reg)");
    AppendMenuW(commands_.get(), MF_STRING, kIdMenuBlog, L"Kestrix博客");

    progress_ = std::make_unique<ProgressWindow>(Handle());
    properties_ = std::make_unique<PropertiesWindow>(Handle(), AppIcons(), shellIcons_);
    exportWindow_ = std::make_unique<ExportWindow>(Handle(), AppIcons(), launcher_);
    catalogue_ = std::make_unique<FileTypeCatalogue>(CatalogueServices{
        registry_, shellIcons_, shellIcons_, *this, *this, *progress_, *properties_, *exportWindow_, launcher_, files_,
        lookups_, associations_, clock_, stepTimer_});

    list_.Create(Handle(), kIdFileList, 0, kColumns, catalogue_->Rows());
    font_ = CreateMessageFont(dpi_);
    SendMessageW(list_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    list_.SetSmallPictures(shellIcons_.SmallPictures());
    OnSize(SIZE_RESTORED);
    // Once, at load: the two columns take 0.2 and 0.8 of what the list shows beside the vertical
    // scroll bar that its rows will bring, so that no horizontal one is needed.
    const int visibleWidth = list_.ClientWidth() - SystemMetric(SM_CXVSCROLL, dpi_);
    const int extensionWidth = MulDiv(visibleWidth, 1, 5);
    list_.SetColumnWidth(L"FileExt", extensionWidth);
    list_.SetColumnWidth(L"FileType", visibleWidth - extensionWidth);

    // The list is hidden while the scan fills it: the control learns the rows when it is shown.
    list_.SetFilling(true);
    SetTimer(Handle(), kScanTimer, 1, nullptr);
    return true;
}

void MainWindow::Load() { catalogue_->Load(CurrentDirectory()); }

void MainWindow::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

void MainWindow::SetVisible(bool visible) {
    if (!visible) {
        ShowWindow(Handle(), SW_HIDE);
        return;
    }
    list_.SetFilling(false);
    // The first showing honours how the program was started (a shortcut set to minimised or
    // maximised); the start-up picture had the screen until now, so the window takes the
    // foreground unless it starts minimised.
    ShowWindow(Handle(), shownOnce_ ? SW_SHOW : startupShowCommand_);
    shownOnce_ = true;
    if (!IsIconic(Handle())) SetForegroundWindow(Handle());
}

void MainWindow::SetBusyPointer(bool busy) { ui::SetBusyPointer(busy); }

bool MainWindow::ProcessPendingMessages() { return YieldToWindowSystem() && Handle() != nullptr; }

void MainWindow::Repaint() { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

void MainWindow::RowAdded(const FileTypeRow&) { list_.RowsAdded(); }

void MainWindow::SortRows() { list_.SortNow(); }

void MainWindow::OnSize(WPARAM state) {
    if (bResizing || state == SIZE_MINIMIZED || !list_.Handle()) return;
    bResizing = true;
    RECT window{};
    GetWindowRect(Handle(), &window);
    const Size minimum{Px(kMinOuterWidthTwips, dpi_), Px(kMinOuterHeightTwips, dpi_)};
    const Size outer{window.right - window.left, window.bottom - window.top};
    if (const auto corrected = EnforceMinimumSize(outer, minimum, false); corrected && state != SIZE_MAXIMIZED) {
        SetWindowPos(Handle(), nullptr, 0, 0, corrected->width, corrected->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    SetWindowPos(list_.Handle(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    bResizing = false;
}

void MainWindow::OnMinMaxInfo(MINMAXINFO& info) const {
    // Dragging the frame stops at the smallest size instead of snapping back afterwards.
    info.ptMinTrackSize.x = Px(kMinOuterWidthTwips, dpi_);
    info.ptMinTrackSize.y = Px(kMinOuterHeightTwips, dpi_);
}

void MainWindow::OnDpiChanged(UINT dpi, LPARAM suggested) {
    const UINT previous = dpi_;
    dpi_ = dpi;
    const UniqueFont previousFont = std::move(font_);  // deleted once the list holds the new one
    font_ = CreateMessageFont(dpi);
    SendMessageW(list_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    if (shellIcons_.SetDpi(dpi)) {
        // The same picture list at a new size: handing it over afresh makes the list measure
        // its rows again. The properties window shows the same pictures.
        list_.SetSmallPictures(nullptr);
        list_.SetSmallPictures(shellIcons_.SmallPictures());
        if (properties_ && properties_->Handle()) {
            RedrawWindow(properties_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
    }
    for (int column = 0; column < 2; ++column) {
        const int width = ListView_GetColumnWidth(list_.Handle(), column);
        ListView_SetColumnWidth(list_.Handle(), column, MulDiv(width, static_cast<int>(dpi), static_cast<int>(previous)));
    }
    ApplySuggestedRect(Handle(), suggested);
}

LRESULT MainWindow::OnNotify(NMHDR& header) {
    if (header.idFrom != static_cast<UINT_PTR>(kIdFileList)) return 0;
    if (const auto handled = list_.OnNotify(header)) return *handled;
    if (header.code == LVN_COLUMNCLICK) {
        const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
        list_.SortByHeaderClick(click.iSubItem + 1);
    } else if (header.code == LVN_ITEMACTIVATE) {
        // Double-click or Enter: the selected row's properties, as the menu's first entry.
        if (const auto row = list_.RowAt(list_.SelectedRow())) {
            catalogue_->SelectRow(*row);
            catalogue_->RunCommand(1);
        }
    } else if (header.code == LVN_ITEMCHANGED) {
        // A row becomes the current one whether it was clicked or reached with the keyboard.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const bool nowSelected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
        if (const auto row = list_.RowAt(change.iItem); (change.uChanged & LVIF_STATE) && nowSelected && row) {
            catalogue_->SelectRow(*row);
        }
    }
    return 0;
}

void MainWindow::OnContextMenu(HWND source, LPARAM position) {
    if (source != list_.Handle() && source != ListView_GetHeader(list_.Handle())) return;
    SetFocus(list_.Handle());
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard (both coordinates -1, which on 64-bit Windows the whole LPARAM need
        // not be): below the selected row while it is in view, else at the list's top-left
        // corner below its header, so that the menu never opens away from the list.
        RECT rows{};
        GetClientRect(list_.Handle(), &rows);
        RECT header{};
        if (GetWindowRect(ListView_GetHeader(list_.Handle()), &header)) rows.top = header.bottom - header.top;
        at = POINT{rows.left, rows.top};
        RECT row{};
        const int selected = list_.SelectedRow();
        if (selected >= 0 && ListView_GetItemRect(list_.Handle(), selected, &row, LVIR_LABEL) && row.top >= rows.top &&
            row.bottom <= rows.bottom && row.left >= rows.left && row.left < rows.right) {
            at = POINT{row.left, row.bottom};
        }
        ClientToScreen(list_.Handle(), &at);
    }
    TrackPopupMenuEx(commands_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, Handle(), nullptr);
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case kIdMenuProperties:
        catalogue_->RunCommand(1);
        break;
    case kIdMenuExport:
        catalogue_->RunCommand(2);
        break;
    case kIdMenuBlog:
        ShellExecuteW(Handle(), L"open", FT_MAKER_WEB_PAGE, L"", L"", SW_SHOWNOACTIVATE);
        break;
    default:
        break;
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kScanTimer) {
            KillTimer(Handle(), kScanTimer);
            catalogue_->Scan();
        }
        return 0;
    case WM_SIZE:
        OnSize(wParam);
        return 0;
    case WM_GETMINMAXINFO:
        OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), lParam);
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(list_.Handle());
        return 0;
    case WM_SYSCOLORCHANGE:
        FollowColorChange(Handle());
        return 0;
    case WM_ENDSESSION:
        // The session ends, or the restart manager needs the program gone (ENDSESSION_CLOSEAPP,
        // where the session goes on): end now, the scan with it.
        if (wParam) DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ft::ui
