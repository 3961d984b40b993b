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
#include "ui/properties/verb_rows.h"

namespace ft::ui {

class PropertiesWindow : public OwnedWindow, public PropertiesView {
public:
    PropertiesWindow(HWND owner, ClassIcons icons, const ShellIcons& pictures);

    void SetText(Box box, const std::wstring& text) override;
    void SetTypeKeyNote(const std::wstring& note) override;
    int VerbListWidth() override;
    void SetVerbColumnWidths(int action, int command) override;
    void ClearVerbs() override;
    void AddVerb(const VerbRow& row) override;
    void SetIcons(std::optional<int> iconSlot) override;
    void Show() override { ShowOwned(); }

protected:
    void OnBuilt() override;
    void OnDpiApplied() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    void DrawIcon(const DRAWITEMSTRUCT& draw) const;
    LRESULT OnNotify(NMHDR& header);
    // A box's tooltip: its whole text when the box cuts it short, and for Text2 the note on the
    // type that opens files; empty for none.
    std::wstring BoxTip(HWND box) const;

    const ShellIcons& pictures_;
    VerbRows verbRows_;  // what verbs_ shows
    ReportList verbs_;
    std::wstring typeKeyNote_;
    std::optional<int> iconSlot_;
    HWND tips_ = nullptr;
    std::wstring boxTip_;  // the text a box's tooltip asked for last, kept while it shows
};

}  // namespace ft::ui
