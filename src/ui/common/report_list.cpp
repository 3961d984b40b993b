#include "ui/common/report_list.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "ui/common/clipboard.h"
#include "ui/common/event_guard.h"

namespace ft::ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// Copies as much of `text` as the control's buffer holds.
void CopyBounded(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0) return;
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity) - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
}

bool IsRelayedMouseMessage(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return true;
    default:
        return false;
    }
}

}  // namespace

void ReportList::Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns, RowSource& rows) {
    rows_ = &rows;
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_SINGLESEL | extraStyle,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    // Truncated cells get their own tips (see CellTips), the first column's included.
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SetWindowTheme(list_, L"Explorer", nullptr);
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
    tips_.Attach(list_);
    RowsReplaced();
    Subclass(true);
}

void ReportList::Subclass(bool attached) {
    if (attached == subclassed_) return;
    if (attached) {
        const auto self = reinterpret_cast<DWORD_PTR>(this);
        subclassed_ = SetWindowSubclass(list_, &ReportList::ListProc, kSubclassId, self) != FALSE;
    } else if (RemoveWindowSubclass(list_, &ReportList::ListProc, kSubclassId)) {
        subclassed_ = false;
    }
}

void ReportList::SetFilling(bool filling) {
    filling_ = filling;
    if (!filling) {
        // What the scan grew in steps is kept at its size from now on.
        shown_.shrink_to_fit();
        ShowRowCount();
    }
    Subclass(!filling);
}

void ReportList::ShowRowCount() {
    if (filling_) return;
    // Without LVSICF_NOINVALIDATEALL the control draws every row afresh.
    ListView_SetItemCountEx(list_, static_cast<int>(shown_.size()), LVSICF_NOSCROLL);
}

ReportList::~ReportList() {
    // A control that outlives this object must no longer call into it.
    if (list_) Subclass(false);
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

int ReportList::ClientWidth() const {
    RECT rect{};
    GetClientRect(list_, &rect);
    return rect.right - rect.left;
}

void ReportList::SetSmallPictures(HIMAGELIST pictures) { ListView_SetImageList(list_, pictures, LVSIL_SMALL); }

void ReportList::RowsAdded() {
    for (auto row = static_cast<std::uint32_t>(shown_.size()); row < rows_->RowCount(); ++row) shown_.push_back(row);
    if (sort_.sorted) Resort();
    ShowRowCount();
}

void ReportList::RowsReplaced() {
    tips_.Forget();
    shown_.clear();
    for (SortKeys& keys : sortKeys_) keys = SortKeys{};
    RowsAdded();
}

std::optional<std::size_t> ReportList::RowAt(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= shown_.size()) return std::nullopt;
    return shown_[static_cast<std::size_t>(position)];
}

void ReportList::FillDisplayInfo(LVITEMW& item) const {
    const auto row = RowAt(item.iItem);
    if (!row) return;
    if ((item.mask & LVIF_TEXT) && (item.iSubItem == 0 || item.iSubItem == 1)) {
        CopyBounded(rows_->Text(*row, item.iSubItem), item.pszText, item.cchTextMax);
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = rows_->Picture(*row).value_or(I_IMAGENONE);
}

int ReportList::FindRow(const LVFINDINFOW& find, int start) const {
    // The type-ahead asks for the next row, from `start` on and round, whose first column
    // begins with the typed letters, in any case.
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz || shown_.empty()) return -1;
    const std::wstring_view wanted(find.psz);
    const bool partial = (find.flags & LVFI_PARTIAL) != 0;
    const int count = static_cast<int>(shown_.size());
    const int first = start >= 0 && start < count ? start : 0;
    const int last = (find.flags & LVFI_WRAP) ? first + count : count;
    for (int i = first; i < last; ++i) {
        const int position = i % count;
        std::wstring_view text = rows_->Text(shown_[static_cast<std::size_t>(position)], 0);
        if (partial && text.size() > wanted.size()) text = text.substr(0, wanted.size());
        if (CompareStringOrdinal(text.data(), static_cast<int>(text.size()), wanted.data(),
                                 static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL) {
            return position;
        }
    }
    return -1;
}

std::optional<LRESULT> ReportList::OnNotify(NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOW:
        FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        return 0;
    case LVN_ODFINDITEMW: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        return FindRow(find.lvfi, find.iStart);
    }
    case NM_CUSTOMDRAW:
        return painter_.OnCustomDraw(list_, reinterpret_cast<NMLVCUSTOMDRAW&>(header), [this](int position) {
            const auto row = RowAt(position);
            return row ? rows_->Look(*row) : RowLook{};
        });
    default:
        return std::nullopt;
    }
}

bool ReportList::ComesBefore(std::uint32_t a, std::uint32_t b) const {
    const std::size_t column = sort_.key == 0 ? 0 : 1;
    int order = 0;
    if (byKeys_) {
        // Compared as unsigned bytes, as sort keys are.
        const int bytes = sortKeys_[column].Of(a).compare(sortKeys_[column].Of(b));
        order = (bytes > 0) - (bytes < 0);
    } else {
        const int textColumn = static_cast<int>(column);
        order = CompareNaturally(rows_->Text(a, textColumn), rows_->Text(b, textColumn));
    }
    if (sort_.order == SortOrder::Descending) order = -order;
    // Ties keep the order in which the rows were added.
    return order != 0 ? order < 0 : a < b;
}

void ReportList::SortByHeaderClick(int oneBasedPosition) {
    sort_.OnColumnClick(oneBasedPosition);
    Resort();
    if (const int selected = SelectedRow(); selected >= 0) ListView_EnsureVisible(list_, selected, FALSE);
}

void ReportList::SortNow() {
    sort_.sorted = true;
    Resort();
}

void ReportList::Resort() {
    tips_.Forget();
    // The control keeps the selection and focus by position; they stay with their rows.
    const auto selected = RowAt(SelectedRow());
    const auto focused = RowAt(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
    byKeys_ = PrepareSortKeys();
    std::sort(shown_.begin(), shown_.end(), [this](std::uint32_t a, std::uint32_t b) { return ComesBefore(a, b); });
    if (selected || focused) ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    Restore(selected, LVIS_SELECTED);
    Restore(focused, LVIS_FOCUSED);
    if (!filling_) InvalidateRect(list_, nullptr, FALSE);
    ShowSortArrow();
}

void ReportList::Restore(std::optional<std::size_t> row, UINT state) {
    if (!row) return;
    const auto at = std::find(shown_.begin(), shown_.end(), *row);
    const int position = static_cast<int>(at - shown_.begin());
    ListView_SetItemState(list_, position, state, state);
    if (state == LVIS_SELECTED) ListView_SetSelectionMark(list_, position);
}

bool ReportList::PrepareSortKeys() {
    if (!SortKeysUsable()) return false;
    const int column = sort_.key == 0 ? 0 : 1;
    SortKeys& keys = sortKeys_[static_cast<std::size_t>(column)];
    // Rows added since the last sort by this column get theirs now.
    for (std::size_t row = keys.ends.size(); row < shown_.size(); ++row) {
        if (!keys.Append(rows_->Text(row, column))) return false;
    }
    return true;
}

void ReportList::ShowSortArrow() {
    HWND header = ListView_GetHeader(list_);
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == sort_.key) item.fmt |= sort_.order == SortOrder::Ascending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, i, &item);
    }
}

int ReportList::SelectedRow() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void ReportList::CopySelectedRow() const {
    if (const auto row = RowAt(SelectedRow())) CopyToClipboard(list_, rows_->Text(*row, 0) + L'\t' + rows_->Text(*row, 1));
}

std::optional<LRESULT> ReportList::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRelayedMouseMessage(message)) {
        tips_.OnMouseMessage(message, wParam, lParam, [this](int position, int column) {
            const auto row = RowAt(position);
            if (!row || column < 0 || column > 1) return CellTips::Tip{};
            // Measured in the font the cell is drawn in.
            const HFONT font = rows_->Look(*row).bold ? painter_.BoldFont(list_) : nullptr;
            return CellTips::Tip{rows_->Text(*row, column), rows_->Notes(*row, column), font};
        });
        return std::nullopt;
    }
    switch (message) {
    case WM_KEYDOWN:
        // A row's tip would stand over what the key opens (the menu under the row).
        tips_.Quiet();
        // Ctrl+C, but not Ctrl+Alt+C, which is AltGr+C on some keyboards.
        if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
            CopySelectedRow();
            return 0;
        }
        break;
    case WM_CHAR:
        if (!typeAhead_.Passes(static_cast<wchar_t>(wParam), static_cast<std::uint32_t>(GetMessageTime()))) return 0;
        break;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
        tips_.Forget();
        break;
    default:
        break;
    }
    return std::nullopt;
}

LRESULT CALLBACK ReportList::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &ReportList::ListProc, kSubclassId);
        reinterpret_cast<ReportList*>(self)->list_ = nullptr;
        reinterpret_cast<ReportList*>(self)->subclassed_ = false;
    }
    // When what the list adds fails, the control's own handling still runs.
    std::optional<LRESULT> handled;
    GuardMessage(hwnd, message, wParam, lParam,
                 [&] { handled = reinterpret_cast<ReportList*>(self)->OnListMessage(message, wParam, lParam); });
    return handled ? *handled : DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace ft::ui
