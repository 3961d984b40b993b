#pragma once
// A report-view list over the common control: columns found by key, and the rows of a row
// source, which keeps them: the control holds their count and asks for what it shows (a virtual
// list), and the list holds only their order. A sort stays in force for rows added later. Ctrl+C
// copies the selected row, a row's tooltip shows a cut text whole and what the source says of
// the row, and typing finds a row by its first column.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/views.h"
#include "ui/common/cell_tips.h"
#include "ui/common/layout.h"
#include "ui/common/natural_order.h"
#include "ui/common/row_painter.h"
#include "ui/rules/list_rules.h"

namespace ft::ui {

class ReportList {
public:
    struct Column {
        const wchar_t* key;
        const wchar_t* header;
        int width;  // pixels
    };

    ReportList() = default;
    ~ReportList();
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    // Creates the list as a child of `parent`, showing the rows of `rows`, which outlives it.
    void Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns, RowSource& rows);
    HWND Handle() const { return list_; }

    void SetColumnWidth(const wchar_t* key, int width);
    int Width() const;        // the control's outer width in pixels
    int ClientWidth() const;  // inside its border, and its vertical scroll bar when it has one
    void SetSmallPictures(HIMAGELIST pictures);

    // While a hidden list is filled in bulk the control learns nothing of the rows until the
    // end, and what the list adds to the control (keys, tips) is detached: under Wine every
    // message to a subclassed window costs a round trip to the server.
    void SetFilling(bool filling);

    // The source grew by rows at its end.
    void RowsAdded();
    // The source's rows were replaced.
    void RowsReplaced();

    // A click on a column header (1-based): sorts by that column's texts, case-insensitively,
    // numbers by value, in the user's locale, and keeps later rows in that order. The selected
    // row stays in view.
    void SortByHeaderClick(int oneBasedPosition);
    // Sorts once by the current sort state (the first column, ascending, until a header is
    // clicked) and keeps later rows in that order.
    void SortNow();

    // The list's notifications, which its parent passes on: the rows' texts and pictures, the
    // search of the type-ahead, bold and dimmed rows. Nothing for those the list leaves alone.
    std::optional<LRESULT> OnNotify(NMHDR& header);

    // The source's row shown at `position`; nothing outside the list.
    std::optional<std::size_t> RowAt(int position) const;
    int SelectedRow() const;  // the position shown; -1 when none

private:
    void FillDisplayInfo(LVITEMW& item) const;
    int FindRow(const LVFINDINFOW& find, int start) const;
    // Whether row `a` goes before row `b` (rows of the source) in the current sort.
    bool ComesBefore(std::uint32_t a, std::uint32_t b) const;
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    // Handles what the list adds to the control; nothing when the control's own handling runs.
    std::optional<LRESULT> OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Resort();
    // Gives `state` (selected or focused) back to `row`, a row of the source, wherever the sort put it.
    void Restore(std::optional<std::size_t> row, UINT state);
    // Whether the rows' sort keys for the current column are ready; false when the locale
    // cannot make them, and the sort then compares the texts themselves.
    bool PrepareSortKeys();
    void ShowRowCount();
    void ShowSortArrow();
    void CopySelectedRow() const;

    void Subclass(bool attached);

    HWND list_ = nullptr;
    RowSource* rows_ = nullptr;
    bool subclassed_ = false;
    bool filling_ = false;
    std::vector<std::wstring> columnKeys_;
    std::vector<std::uint32_t> shown_;  // the source's rows, in the order shown
    std::array<SortKeys, 2> sortKeys_;
    SortState sort_;
    bool byKeys_ = false;  // the sort in progress compares precomputed keys
    CellTips tips_;
    RowPainter painter_;
    TypeAheadDotFilter typeAhead_;
};

}  // namespace ft::ui
