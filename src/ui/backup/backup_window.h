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

class BackupWindow : public OwnedWindow, public BackupView {
public:
    BackupWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher);

    void SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) override;
    void Watch(std::unique_ptr<ExportJob> job) override;
    void Show() override { ShowOwned(); }

protected:
    void OnBuilt() override;
    void OnDpiApplied() override { FitStatus(); }
    void OnDestroyed() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenInEditor(int boxId);
    void PollJob();
    void ShowStatus();
    void FitStatus();

    ProcessLauncher& launcher_;
    std::unique_ptr<ExportJob> job_;  // the export whose status the window shows
};

}  // namespace ft::ui
