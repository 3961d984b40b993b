#pragma once
// The main window: one list of the registered file types filling the client area, sorting by
// header, the current row, and the right-click menu with the file-type commands.
#include <memory>
#include <string>

#include "catalogue/file_type_catalogue.h"
#include "icons/shell_icons.h"
#include "platform/services.h"
#include "registry/registry.h"
#include "ui/export/export_window.h"
#include "ui/common/layout.h"
#include "ui/common/report_list.h"
#include "ui/common/window.h"
#include "ui/properties/properties_window.h"
#include "ui/rules/minimum_size.h"
#include "ui/progress/progress_window.h"

namespace ft::ui {

// What the program runs on, built by wWinMain and lent to the main window for its whole life.
struct Backends {
    Registry& registry;
    ShellIcons& shellIcons;
    ProcessLauncher& launcher;
    FileSystem& files;
    ShellLookups& lookups;
    AssociationLookups& associations;
    Clock& clock;
    ScanStepTimer* stepTimer = nullptr;  // only in the start-up benchmark's row-timing build
};

class MainWindow : public Window, public MainView, public FileListView {
public:
    // `startupShowCommand`: the show state the program was started with (wWinMain's nCmdShow).
    MainWindow(const Backends& backends, int startupShowCommand);
    ~MainWindow() override;

    // Builds the window hidden, with its list, and starts the one-shot scan timer.
    bool Create();
    // The start-up sequence: the progress window comes up while the main window stays hidden.
    void Load();

    void SetCaption(const std::wstring& caption) override;
    void SetVisible(bool visible) override;
    void SetBusyPointer(bool busy) override;
    bool ProcessPendingMessages() override;
    void Repaint() override;
    void RowAdded(const FileTypeRow& row) override;
    void SortRows() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnSize(WPARAM state);
    void OnMinMaxInfo(MINMAXINFO& info) const;
    void OnDpiChanged(UINT dpi, LPARAM suggested);
    LRESULT OnNotify(NMHDR& header);
    void OnContextMenu(HWND source, LPARAM position);
    void OnCommand(int id);
    ClassIcons AppIcons() const { return ClassIcons{appIcon_.get(), appSmallIcon_.get()}; }

    Registry& registry_;
    ShellIcons& shellIcons_;
    ProcessLauncher& launcher_;
    FileSystem& files_;
    ShellLookups& lookups_;
    AssociationLookups& associations_;
    Clock& clock_;
    ScanStepTimer* stepTimer_;
    UniqueIcon appIcon_;
    UniqueIcon appSmallIcon_;
    UniqueMenu commands_;  // mnuOfCommands
    UINT dpi_ = 96;
    UniqueFont font_;
    ReportList list_;  // lvwFile, which keeps the sort state
    int startupShowCommand_;
    bool shownOnce_ = false;
    bool bResizing = false;
    std::unique_ptr<ProgressWindow> progress_;
    std::unique_ptr<PropertiesWindow> properties_;
    std::unique_ptr<ExportWindow> exportWindow_;
    std::unique_ptr<FileTypeCatalogue> catalogue_;
};

}  // namespace ft::ui
