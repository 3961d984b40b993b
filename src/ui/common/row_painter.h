#pragma once
// The list's custom draw: a row that stands out is drawn bold, or in the disabled text colour.
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "catalogue/views.h"
#include "platform/unique_handle.h"

namespace ft::ui {

class RowPainter {
public:
    // NM_CUSTOMDRAW of `list`; `lookAt` gives the look of the row shown at a position.
    LRESULT OnCustomDraw(HWND list, NMLVCUSTOMDRAW& draw, const std::function<RowLook(int position)>& lookAt);
    // The list's font in bold, as bold rows are drawn; made again whenever the list's font changes.
    HFONT BoldFont(HWND list);

private:
    HFONT boldOf_ = nullptr;  // the list font that boldFont_ was made from
    UniqueFont boldFont_;
};

}  // namespace ft::ui
