#pragma once
// A tooltip with the whole text of the list-view cell under the pointer when its column cuts
// the text short. The list's own label tips cover only the first column of a report view.
#include <windows.h>

#include <functional>
#include <string>

namespace ft::ui {

class CellTips {
public:
    // A cell's tip: its text, and whether it shows even when the cell shows the text whole.
    struct Tip {
        std::wstring text;
        bool always = false;
        HFONT font = nullptr;  // the font the cell is drawn in; the list's when null
    };

    CellTips() = default;
    CellTips(const CellTips&) = delete;
    CellTips& operator=(const CellTips&) = delete;

    // Creates the tooltip for `list`; it goes with the list's top-level window.
    void Attach(HWND list);
    // A mouse message of the list, before the list handles it. `cellText` gives a cell's text.
    void OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                        const std::function<Tip(int row, int column)>& cellTip);
    // The rows moved or changed under the pointer: forget the cell.
    void Forget();

private:
    void ShowFor(int row, int column, const Tip& tip);

    HWND list_ = nullptr;
    HWND tips_ = nullptr;
    int row_ = -1;
    int column_ = -1;
    UINT_PTR toolId_ = 0;  // a new id for each cell, so that the tooltip treats it as a new tool
};

}  // namespace ft::ui
