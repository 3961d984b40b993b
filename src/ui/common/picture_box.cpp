#include "ui/common/picture_box.h"

#include "ui/common/window.h"

namespace ft::ui {
namespace {

// The box keeps no state of its own (the focus and the cues are the window system's), so its
// procedure needs no object behind it.
void Paint(HWND box) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(box, &paint);
    const bool focused = GetFocus() == box;
    const bool cuesHidden = (SendMessageW(box, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_STATIC;
    draw.CtlID = static_cast<UINT>(GetDlgCtrlID(box));
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = (focused ? ODS_FOCUS : 0u) | (cuesHidden ? ODS_NOFOCUSRECT : 0u);
    draw.hwndItem = box;
    draw.hDC = dc;
    GetClientRect(box, &draw.rcItem);
    SendMessageW(GetParent(box), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    if (focused && !cuesHidden) DrawFocusRect(dc, &draw.rcItem);
    EndPaint(box, &paint);
}

LRESULT CALLBACK PictureBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(box);
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // the parent fills the whole box when it draws
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(box, nullptr, FALSE);
        return 0;
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefWindowProcW(box, message, wParam, lParam);
        InvalidateRect(box, nullptr, FALSE);
        return result;
    }
    case WM_LBUTTONDOWN:
        SetFocus(box);
        return 0;
    default:
        return DefWindowProcW(box, message, wParam, lParam);
    }
}

}  // namespace

void RegisterPictureBoxClass() { RegisterWindowClass(kPictureBoxClass, &PictureBoxProc, 0, nullptr, ClassIcons{}); }

}  // namespace ft::ui
