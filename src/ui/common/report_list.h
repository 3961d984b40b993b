#pragma once
// A report-view list over the common control: columns found by key, rows of a text and one
// sub-text with an optional small picture, and a sort that stays in force for rows added later.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/main_window_rules.h"

namespace ft::ui {

class ReportList {
public:
    struct Column {
        const wchar_t* key;
        const wchar_t* header;
        int width;  // pixels
    };

    // Creates the list as a child of `parent`.
    void Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns);
    HWND Handle() const { return list_; }

    void SetColumnWidth(const wchar_t* key, int width);
    int Width() const;  // the control's outer width in pixels
    void SetSmallPictures(HIMAGELIST pictures);

    void AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture);
    void Clear();

    // Sorts by the column's texts, case-insensitively and in the user's locale, and keeps
    // later rows in that order.
    void SortBy(int column, SortOrder order);

    std::wstring Text(int row, int column) const;

private:
    struct Row {
        std::wstring text;
        std::wstring subText;
    };
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM self);
    void ShowSortArrow();

    HWND list_ = nullptr;
    std::vector<std::wstring> columnKeys_;
    std::vector<Row> rows_;  // a row's lParam is its position here, which is also its order of adding
    bool sorted_ = false;
    int sortColumn_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
};

}  // namespace ft::ui
