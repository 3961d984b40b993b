#pragma once
// The result of an export: the two .reg paths, each with a button that opens it in the text
// editor. Built on the first write, refilled in place, discarded when closed.
#include "catalogue/views.h"
#include "ui/common/layout.h"
#include "ui/common/window.h"

namespace ft::ui {

class BackupWindow : public Window, public BackupView {
public:
    BackupWindow(HWND owner, HICON icon, ProcessLauncher& launcher) : owner_(owner), icon_(icon), launcher_(launcher) {}

    void SetPaths(const std::wstring& extRegPath, const std::wstring& typeRegPath) override;
    void Show() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override { shownSinceBuilt_ = false; }

private:
    void EnsureBuilt();
    void ApplyDpi(UINT dpi);
    void OpenInEditor(int boxId);

    HWND owner_;
    HICON icon_;
    ProcessLauncher& launcher_;
    FontHandle font_;
    bool shownSinceBuilt_ = false;
};

}  // namespace ft::ui
