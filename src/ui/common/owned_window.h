#pragma once
// A window owned by the main window and laid out from a table of controls in twips: built
// on first use, placed once when first shown, following DPI changes, and released when
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
};

class OwnedWindow : public Window {
public:
    OwnedWindow(HWND owner, ClassIcons icons, const OwnedWindowDesign& design)
        : owner_(owner), icons_(icons), design_(design) {}

protected:
    // Builds the window and its controls, hidden, unless it exists already.
    void EnsureBuilt();
    // Shows the window; the first time after it was built it is also placed and focused.
    void ShowOwned(int showCommand = SW_SHOW);

    UINT Dpi() const { return dpi_; }
    HFONT Font() const { return font_.get(); }

    // Extra controls and settings beyond the design table.
    virtual void OnBuilt() {}
    // The design table is already placed and given the new font.
    virtual void OnDpiApplied() {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override { shownSinceBuilt_ = false; }

private:
    void ApplyDpi(UINT dpi);

    HWND owner_;
    ClassIcons icons_;
    OwnedWindowDesign design_;
    UINT dpi_ = 96;
    FontHandle font_;
    bool shownSinceBuilt_ = false;
};

// Paints a static control's text in `color` on the button face, for WM_CTLCOLORSTATIC.
LRESULT ColoredLabel(WPARAM dc, COLORREF color);

}  // namespace ft::ui
