#pragma once
// The properties of one file type: six text boxes, the verb list and the two icons. It is
// built on the first write, refilled in place by later requests and discarded when closed.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "catalogue/views.h"
#include "icons/shell_icons.h"
#include "ui/common/report_list.h"
#include "ui/common/owned_window.h"

namespace ft::ui {

class PropertiesWindow : public OwnedWindow, public PropertiesView {
public:
    PropertiesWindow(HWND owner, ClassIcons icons, const ShellIcons& pictures);

    void SetText(Box box, const std::wstring& text) override;
    int VerbListWidth() override;
    void SetVerbColumnWidths(int action, int command) override;
    void ClearVerbs() override;
    void AddVerb(const std::wstring& action, const std::wstring& command) override;
    void SetIcons(std::optional<int> iconSlot) override;
    void Show() override { ShowOwned(); }

protected:
    void OnBuilt() override;
    void OnDpiApplied() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    void DrawIcon(const DRAWITEMSTRUCT& draw) const;

    const ShellIcons& pictures_;
    ReportList verbs_;
    std::optional<int> iconSlot_;
};

}  // namespace ft::ui
