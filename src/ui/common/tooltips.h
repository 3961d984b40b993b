#pragma once
// Tooltip controls: making one, giving it a control's text, and fitting a long text to the
// screen it shows on. The list cells' own tips are in cell_tips.
#include <windows.h>

#include <string>

namespace ft::ui {

// A tooltip control for the owner's tools. Texts are shown as they are: an "&" is no mnemonic.
HWND CreateTooltips(HWND owner);
void AddTooltip(HWND tooltips, HWND owner, int controlId, const wchar_t* text);

// The tooltip's text for a tip shown at `at` (screen coordinates): the tooltip wraps within the
// work area of that point's monitor, and the text is cut, ending with "…", where it would not
// fit there or would pass what a tooltip holds.
std::wstring FitTipToMonitor(HWND tooltip, POINT at, const std::wstring& text);

}  // namespace ft::ui
