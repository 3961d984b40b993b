#pragma once
// The result of an export: the two .reg paths, each with a button that opens it in the text
// editor. Built on the first write, refilled in place, discarded when closed.
#include "catalogue/views.h"
#include "ui/common/owned_window.h"

namespace ft::ui {

class BackupWindow : public OwnedWindow, public BackupView {
public:
    BackupWindow(HWND owner, ClassIcons icons, ProcessLauncher& launcher);

    void SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) override;
    void Show() override { ShowOwned(); }

protected:
    void OnBuilt() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenInEditor(int boxId);

    ProcessLauncher& launcher_;
};

}  // namespace ft::ui
