#pragma once
// A tooltip over the list-view cell under the pointer: the cell's whole text when its column cuts
// it short, then the notes its row has for it. The list's own label tips cover only the first
// column of a report view.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace ft::ui {

class CellTips {
public:
    // A cell's tip: its text, shown when the cell cuts it, and the lines that follow it.
    struct Tip {
        std::wstring text;
        std::wstring notes;
        HFONT font = nullptr;  // the font the cell is drawn in; the list's when null
    };

    CellTips() = default;
    CellTips(const CellTips&) = delete;
    CellTips& operator=(const CellTips&) = delete;

    // Creates the tooltip for `list`; it goes with the list's top-level window.
    void Attach(HWND list);
    // A mouse message of the list, before the list handles it. `cellTip` gives a cell's tip.
    void OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                        const std::function<Tip(int row, int column)>& cellTip);
    // The rows moved or changed under the pointer: forget the cell.
    void Forget();
    // The user turned to the keyboard: forget the cell, and show no tip until the pointer moves.
    void Quiet();

private:
    void ShowFor(int row, int column, const Tip& tip);

    HWND list_ = nullptr;
    HWND tips_ = nullptr;
    int row_ = -1;
    int column_ = -1;
    UINT_PTR toolId_ = 0;  // a new id for each cell, so that the tooltip treats it as a new tool
    std::optional<POINT> quietAt_;  // where the pointer rested when the tips were quietened
};

}  // namespace ft::ui
