#pragma once
// A report-view list over the common control: columns found by key, rows of a text and one
// sub-text with an optional small picture, and a sort that stays in force for rows added later.
// Ctrl+C copies the selected row, truncated cells show their text in a tooltip, and typing
// finds a row by its first column.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/common/cell_tips.h"
#include "ui/rules/list_rules.h"
#include "ui/rules/main_window_rules.h"
#include "ui/common/layout.h"

namespace ft::ui {

class ReportList {
public:
    struct Column {
        const wchar_t* key;
        const wchar_t* header;
        int width;  // pixels
    };
    // How a row stands out, and what its first cell's tooltip says whether or not it is cut.
    struct RowLook {
        bool bold = false;
        bool dimmed = false;  // in the disabled text colour
        std::wstring tip;
    };

    ReportList() = default;
    ~ReportList();
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    // Creates the list as a child of `parent`.
    void Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns);
    HWND Handle() const { return list_; }

    void SetColumnWidth(const wchar_t* key, int width);
    int Width() const;        // the control's outer width in pixels
    int ClientWidth() const;  // inside its border, and its vertical scroll bar when it has one
    void SetSmallPictures(HIMAGELIST pictures);

    // While a hidden list is filled in bulk it neither redraws nor lays itself out, and what the
    // list adds to the control (keys, tips) is detached: under Wine every message to a
    // subclassed window costs a round trip to the server, several per added row.
    void SetFilling(bool filling);

    void AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture);
    void AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture, RowLook look);
    void Clear();

    // A click on a column header (1-based): sorts by that column's texts, case-insensitively,
    // numbers by value, in the user's locale, and keeps later rows in that order. The selected
    // row stays in view.
    void SortByHeaderClick(int oneBasedPosition);
    // Sorts once by the current sort state (the first column, ascending, until a header is
    // clicked) and keeps later rows in that order.
    void SortNow();

    // The list's NM_CUSTOMDRAW, which its parent passes on: bold and dimmed rows.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);

    std::wstring Text(int row, int column) const;
    int SelectedRow() const;  // -1 when none

private:
    struct Row {
        std::wstring text;
        std::wstring subText;
        std::array<std::optional<std::string>, 2> sortKeys;  // per column, made at the first sort by it
        RowLook look;
    };
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM self);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    // Handles what the list adds to the control; nothing when the control's own handling runs.
    std::optional<LRESULT> OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Resort();
    // Whether the rows' sort keys for the current column are ready; false when the locale
    // cannot make them, and the sort then compares the texts themselves.
    bool PrepareSortKeys();
    void ShowSortArrow();
    void CopySelectedRow() const;

    void Subclass(bool attached);

    HWND list_ = nullptr;
    bool subclassed_ = false;
    std::vector<std::wstring> columnKeys_;
    std::vector<Row> rows_;  // a row's lParam is its position here, which is also its order of adding
    SortState sort_;
    bool byKeys_ = false;  // the sort in progress compares precomputed keys
    CellTips tips_;
    bool anyLook_ = false;  // some row is bold or dimmed
    HFONT boldOf_ = nullptr;  // the list font that boldFont_ was made from
    FontHandle boldFont_;
    TypeAheadDotFilter typeAhead_;
};

}  // namespace ft::ui
