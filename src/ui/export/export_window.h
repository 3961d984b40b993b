#pragma once
// The result of an export: the two .reg paths, each with a button that opens it in the text
// editor, and a status line that follows the export until it has ended. Built on the first
// write, refilled in place, discarded when closed.
#include <memory>

#include "catalogue/export_job.h"
#include "catalogue/views.h"
#include "platform/services.h"
#include "ui/common/owned_window.h"

namespace ft::ui {

class ExportWindow : public OwnedWindow, public ExportView {
public:
    ExportWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher);
    ~ExportWindow() override;

    void SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) override;
    void Watch(std::shared_ptr<ExportJob> job) override;
    void Show() override { ShowOwned(); }

protected:
    void OnBuilt() override;
    void OnDpiApplied() override { FitStatus(); }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenInEditor(int boxId);
    static void CALLBACK OnWatchTimer(HWND owner, UINT message, UINT_PTR id, DWORD time);
    UINT_PTR WatchTimerId() const { return reinterpret_cast<UINT_PTR>(this); }
    void PollJob();
    void ShowStatus();
    void FitStatus();

    ProcessLauncher& launcher_;
    // The export whose status the window shows; it is followed to its end even after the
    // window is closed, since its deletions and runs may still wait for an older export.
    std::shared_ptr<ExportJob> job_;
};

}  // namespace ft::ui
