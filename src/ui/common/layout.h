#pragma once
// Design sizes are in twips; these helpers turn them into pixels at a window's DPI and
// lay out controls from small tables, so every window follows DPI changes the same way.
#include <windows.h>

#include <span>

#include "platform/dpi.h"
#include "platform/unique_handle.h"

namespace ft::ui {

int Px(int twips, UINT dpi);

// The outer window size that gives a client area of the given size in twips.
SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, bool menu, UINT dpi);

// The system's message font at the given DPI; it shows Simplified Chinese on a Chinese system.
UniqueFont CreateMessageFont(UINT dpi);
// A named face at a size in tenths of a point; falls back to a face that has Simplified
// Chinese glyphs when the named one is not installed.
UniqueFont CreateChineseFont(const wchar_t* face, int tenthsOfPoint, UINT dpi);

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // twips
};

// Creates the controls in table order (which is also the Tab order), with the given font. Where
// design rectangles touch (a caption just above its box), the control created first stays whole.
void CreateControls(HWND parent, std::span<const ControlSpec> specs, UINT dpi, HFONT font);
void PlaceControls(HWND parent, std::span<const ControlSpec> specs, UINT dpi);
void SetFontOf(HWND parent, std::span<const ControlSpec> specs, HFONT font);

// Centres the window over `over`, or on the work area of its monitor when `over` is null.
void CenterWindow(HWND hwnd, HWND over);
// Applies the suggested rectangle of WM_DPICHANGED.
void ApplySuggestedRect(HWND hwnd, LPARAM lParam);

}  // namespace ft::ui
