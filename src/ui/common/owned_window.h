#pragma once
// A window owned by the main window and laid out from a table of controls in twips: built
// on first use, placed once when first shown, brought to the front when shown again,
// following DPI changes, keeping its focused control while inactive, and released when
// closed so that the next use builds it afresh from its design.
#include <windows.h>

#include <span>

#include "ui/common/layout.h"
#include "ui/common/window.h"

namespace ft::ui {

struct OwnedWindowDesign {
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
    int clientWidth, clientHeight;  // twips
    std::span<const ControlSpec> controls;
    bool centreOnOwner;  // otherwise centred on the screen
    int initialFocusId;  // 0: the window takes the focus itself
    // Tab and the arrow keys move between the controls, as in a dialog; a window opts in
    // when it has controls that take the focus.
    bool dialogKeys;
};

class OwnedWindow : public Window {
public:
    OwnedWindow(HWND owner, ClassIcons icons, const OwnedWindowDesign& design)
        : owner_(owner), icons_(icons), design_(design) {}

    bool UsesDialogKeys() const override { return design_.dialogKeys; }

protected:
    // Builds the window and its controls, hidden, unless it exists already.
    void EnsureBuilt();
    // Shows the window; the first time after it was built it is also placed and focused, later
    // it is brought to the front where it stands.
    void ShowOwned(int showCommand = SW_SHOW);

    UINT Dpi() const { return dpi_; }
    HWND Owner() const { return owner_; }
    HFONT Font() const { return font_.get(); }

    // Extra controls and settings beyond the design table.
    virtual void OnBuilt() {}
    // The design table is already placed and given the new font.
    virtual void OnDpiApplied() {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    void ApplyDpi(UINT dpi);
    // The control that had the focus when the window was last deactivated, else the first one.
    HWND FocusToRestore() const;

    HWND owner_;
    ClassIcons icons_;
    OwnedWindowDesign design_;
    UINT dpi_ = 96;
    UniqueFont font_;
    bool shownSinceBuilt_ = false;
    HWND lastFocus_ = nullptr;
};

// Paints a static control's text in `color` on the button face, for WM_CTLCOLORSTATIC. Under
// high contrast the text takes the system's button-text colour instead, which the user's
// scheme keeps readable on the button face.
LRESULT ColoredLabel(WPARAM dc, COLORREF color);

}  // namespace ft::ui
