#include "ui/common/report_list.h"

#include <commctrl.h>

namespace ft::ui {

void ReportList::Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns) {
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS |
                                LVS_SHOWSELALWAYS | LVS_SINGLESEL | extraStyle,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    columnKeys_.clear();
    for (const Column& column : columns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        lvc.fmt = LVCFMT_LEFT;
        lvc.cx = column.width;
        lvc.pszText = const_cast<wchar_t*>(column.header);
        ListView_InsertColumn(list_, static_cast<int>(columnKeys_.size()), &lvc);
        columnKeys_.push_back(column.key);
    }
}

void ReportList::SetColumnWidth(const wchar_t* key, int width) {
    for (std::size_t i = 0; i < columnKeys_.size(); ++i) {
        if (columnKeys_[i] == key) ListView_SetColumnWidth(list_, static_cast<int>(i), width);
    }
}

int ReportList::Width() const {
    RECT rect{};
    GetWindowRect(list_, &rect);
    return rect.right - rect.left;
}

void ReportList::SetSmallPictures(HIMAGELIST pictures) { ListView_SetImageList(list_, pictures, LVSIL_SMALL); }

void ReportList::AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture) {
    rows_.push_back(Row{text, subText});
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<wchar_t*>(rows_.back().text.c_str());
    item.lParam = static_cast<LPARAM>(rows_.size() - 1);
    item.iImage = picture.value_or(I_IMAGENONE);
    const int row = ListView_InsertItem(list_, &item);
    if (row < 0) return;
    ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(rows_.back().subText.c_str()));
    if (sorted_) SortBy(sortColumn_, sortOrder_);
}

void ReportList::Clear() {
    ListView_DeleteAllItems(list_);
    rows_.clear();
}

int CALLBACK ReportList::CompareRows(LPARAM a, LPARAM b, LPARAM self) {
    const auto* list = reinterpret_cast<const ReportList*>(self);
    const Row& left = list->rows_[static_cast<std::size_t>(a)];
    const Row& right = list->rows_[static_cast<std::size_t>(b)];
    const std::wstring& x = list->sortColumn_ == 0 ? left.text : left.subText;
    const std::wstring& y = list->sortColumn_ == 0 ? right.text : right.subText;
    int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, x.c_str(), static_cast<int>(x.size()), y.c_str(),
                               static_cast<int>(y.size())) -
                CSTR_EQUAL;
    if (list->sortOrder_ == SortOrder::Descending) order = -order;
    // Ties keep the order in which the rows were added.
    if (order == 0) order = a < b ? -1 : (a > b ? 1 : 0);
    return order;
}

void ReportList::SortBy(int column, SortOrder order) {
    sorted_ = true;
    sortColumn_ = column;
    sortOrder_ = order;
    ListView_SortItems(list_, &ReportList::CompareRows, reinterpret_cast<LPARAM>(this));
    ShowSortArrow();
}

void ReportList::ShowSortArrow() {
    HWND header = ListView_GetHeader(list_);
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == sortColumn_) item.fmt |= sortOrder_ == SortOrder::Ascending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, i, &item);
    }
}

std::wstring ReportList::Text(int row, int column) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !ListView_GetItem(list_, &item)) return std::wstring();
    const Row& data = rows_[static_cast<std::size_t>(item.lParam)];
    return column == 0 ? data.text : data.subText;
}

}  // namespace ft::ui
