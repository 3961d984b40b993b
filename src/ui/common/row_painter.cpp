#include "ui/common/row_painter.h"

namespace ft::ui {

LRESULT RowPainter::OnCustomDraw(HWND list, NMLVCUSTOMDRAW& draw, const std::function<RowLook(int position)>& lookAt) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const RowLook look = lookAt(static_cast<int>(draw.nmcd.dwItemSpec));
    if (look.dimmed) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    if (!look.bold) return CDRF_DODEFAULT;
    if (const HFONT bold = BoldFont(list)) SelectObject(draw.nmcd.hdc, bold);
    return CDRF_NEWFONT;
}

HFONT RowPainter::BoldFont(HWND list) {
    // A new DPI brings a new list font.
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    if (font != boldOf_ || !boldFont_) {
        LOGFONTW bold{};
        if (!font || !GetObjectW(font, sizeof bold, &bold)) GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectW(&bold));
        boldOf_ = font;
    }
    return boldFont_.get();
}

}  // namespace ft::ui
