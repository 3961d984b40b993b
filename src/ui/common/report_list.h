#pragma once
// A report-view list over the common control: columns found by key, rows of a text and one
// sub-text with an optional small picture, and a sort that stays in force for rows added later.
// Ctrl+C copies the selected row, truncated cells show their text in a tooltip, and typing
// finds a row by its first column. The rows live here only: the control holds their count and
// asks for what it shows (a virtual list), so tens of thousands of rows cost no copy in it.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/common/cell_tips.h"
#include "ui/rules/list_rules.h"
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

    // While a hidden list is filled in bulk the control learns nothing of the rows until the
    // end, and what the list adds to the control (keys, tips) is detached: under Wine every
    // message to a subclassed window costs a round trip to the server.
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

    // The list's notifications, which its parent passes on: the rows' texts and pictures, the
    // search of the type-ahead, bold and dimmed rows. Nothing for those the list leaves alone.
    std::optional<LRESULT> OnNotify(NMHDR& header);

    std::wstring Text(int row, int column) const;
    int SelectedRow() const;  // -1 when none

private:
    struct Row {
        std::wstring text;
        std::wstring subText;
        int picture = I_IMAGENONE;
    };
    // One column's sort keys, made at the first sort by it, one after another in one block.
    struct SortKeys {
        std::string bytes;
        std::vector<std::uint32_t> ends;  // where each row's key ends, in the order of adding
        std::string_view Of(std::size_t row) const;
    };
    // The position in rows_ of the row shown at `position`; nothing outside the list.
    std::optional<std::uint32_t> RowIndexAt(int position) const;
    const Row* RowShownAt(int position) const;
    const RowLook* LookAt(int position) const;
    void FillDisplayInfo(LVITEMW& item) const;
    int FindRow(const LVFINDINFOW& find, int start) const;
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    HFONT BoldFont();  // the list's font in bold
    // Whether row `a` goes before row `b` (positions in rows_) in the current sort.
    bool ComesBefore(std::uint32_t a, std::uint32_t b) const;
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    // Handles what the list adds to the control; nothing when the control's own handling runs.
    std::optional<LRESULT> OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Resort();
    // Gives `state` (selected or focused) back to `row`, a position in rows_, wherever the sort put it.
    void Restore(std::optional<std::uint32_t> row, UINT state);
    // Whether the rows' sort keys for the current column are ready; false when the locale
    // cannot make them, and the sort then compares the texts themselves.
    bool PrepareSortKeys();
    void ShowRowCount();
    void ShowSortArrow();
    void CopySelectedRow() const;

    void Subclass(bool attached);

    HWND list_ = nullptr;
    bool subclassed_ = false;
    bool filling_ = false;
    std::vector<std::wstring> columnKeys_;
    std::vector<Row> rows_;               // in the order of adding
    std::vector<std::uint32_t> shown_;    // the rows' positions in rows_, in the order shown
    std::unordered_map<std::uint32_t, RowLook> looks_;  // only rows that look different
    std::array<SortKeys, 2> sortKeys_;
    SortState sort_;
    bool byKeys_ = false;  // the sort in progress compares precomputed keys
    CellTips tips_;
    bool anyLook_ = false;  // some row is bold or dimmed
    HFONT boldOf_ = nullptr;  // the list font that boldFont_ was made from
    UniqueFont boldFont_;
    TypeAheadDotFilter typeAhead_;
};

}  // namespace ft::ui
