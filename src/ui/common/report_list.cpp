#include "ui/common/report_list.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstring>

#include "ui/common/event_guard.h"

namespace ft::ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr DWORD kNaturalOrder = NORM_IGNORECASE | SORT_DIGITSASNUMBERS;

int CompareInLocale(std::wstring_view x, std::wstring_view y, DWORD flags) {
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, x.data(), static_cast<int>(x.size()),
                                       y.data(), static_cast<int>(y.size()), nullptr, nullptr, 0);
    return result == 0 ? 0 : result - CSTR_EQUAL;
}

int CompareIgnoringCase(std::wstring_view x, std::wstring_view y, void*) {
    return CompareInLocale(x, y, NORM_IGNORECASE);
}

// Windows 7 and later compare digits as numbers themselves; elsewhere the flag is refused.
bool LocaleComparesDigitsAsNumbers() {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS, L"2", 1, L"10", 2,
                           nullptr, nullptr, 0) != 0;
}

// As Explorer orders names: case-insensitively, numbers by value, in the user's locale.
int CompareNaturally(const std::wstring& x, const std::wstring& y) {
    static const bool digitsAsNumbers = LocaleComparesDigitsAsNumbers();
    if (digitsAsNumbers) return CompareInLocale(x, y, kNaturalOrder);
    return CompareNatural(x, y, &CompareIgnoringCase, nullptr);
}

// Appends the text's sort key in the natural order to `keys`: keys compare byte by byte as the
// texts compare, so that a sort of many rows makes one key per row instead of comparing texts
// at every step. False, with `keys` as it was, when the locale cannot make it.
bool AppendNaturalSortKey(const std::wstring& text, std::string& keys) {
    // A length of 0 is refused; an empty text is given as the empty NUL-ended string, whose key
    // goes before every other. One refused key would make the whole column compare texts.
    const int length = text.empty() ? -1 : static_cast<int>(text.size());
    const auto map = [&text, length](char* into, int bytes) {
        // A sort key is bytes, though the function's buffer is typed as wide characters.
        return LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | kNaturalOrder, text.c_str(), length,
                             reinterpret_cast<wchar_t*>(into), bytes, nullptr, nullptr, 0);
    };
    const std::size_t start = keys.size();
    // One call where room for a usual key is enough; only a longer key asks for its size first.
    int room = static_cast<int>(std::min<std::size_t>(text.size() * 6 + 32, 1u << 20));
    keys.resize(start + static_cast<std::size_t>(room));
    int made = map(keys.data() + start, room);
    if (made == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        room = map(nullptr, 0);
        if (room > 0) {
            keys.resize(start + static_cast<std::size_t>(room));
            made = map(keys.data() + start, room);
        }
    }
    keys.resize(start + static_cast<std::size_t>(std::max(made, 0)));
    return made > 0;
}

// Keys are used only where they order numbers by value, and an empty text first, as the
// comparison does.
bool SortKeysOrderAsTheComparison() {
    std::string empty;
    std::string two;
    std::string ten;
    return AppendNaturalSortKey(L"", empty) && AppendNaturalSortKey(L"x2", two) &&
           AppendNaturalSortKey(L"X10", ten) && empty < two && two < ten;
}

// Copies as much of `text` as the control's buffer holds.
void CopyBounded(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0) return;
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity) - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return;
    void* target = GlobalLock(memory.get());
    if (!target) return;
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());
    const UniqueClipboard clipboard = OpenClipboardFor(owner);
    if (!clipboard) return;
    EmptyClipboard();
    // Once set, the clipboard owns the memory; until then it is ours to free.
    if (SetClipboardData(CF_UNICODETEXT, memory.get())) memory.release();
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

void ReportList::Create(HWND parent, int id, DWORD extraStyle, std::span<const Column> columns) {
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
    Clear();
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
        rows_.shrink_to_fit();
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

void ReportList::AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture) {
    AddRow(text, subText, picture, RowLook{});
}

void ReportList::AddRow(const std::wstring& text, const std::wstring& subText, std::optional<int> picture,
                        RowLook look) {
    const auto position = static_cast<std::uint32_t>(rows_.size());
    rows_.push_back(Row{text, subText, picture.value_or(I_IMAGENONE)});
    shown_.push_back(position);
    if (look.bold || look.dimmed || !look.tip.empty()) {
        anyLook_ = anyLook_ || look.bold || look.dimmed;
        looks_.emplace(position, std::move(look));
    }
    if (sort_.sorted) Resort();
    ShowRowCount();
}

void ReportList::Clear() {
    tips_.Forget();
    rows_.clear();
    shown_.clear();
    looks_.clear();
    for (SortKeys& keys : sortKeys_) keys = SortKeys{};
    anyLook_ = false;
    ShowRowCount();
}

std::optional<std::uint32_t> ReportList::RowIndexAt(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= shown_.size()) return std::nullopt;
    return shown_[static_cast<std::size_t>(position)];
}

const ReportList::Row* ReportList::RowShownAt(int position) const {
    const auto index = RowIndexAt(position);
    return index ? &rows_[*index] : nullptr;
}

const ReportList::RowLook* ReportList::LookAt(int position) const {
    const auto index = RowIndexAt(position);
    if (!index) return nullptr;
    const auto found = looks_.find(*index);
    return found == looks_.end() ? nullptr : &found->second;
}

void ReportList::FillDisplayInfo(LVITEMW& item) const {
    const Row* row = RowShownAt(item.iItem);
    if (!row) return;
    if (item.mask & LVIF_TEXT) {
        static const std::wstring none;
        CopyBounded(item.iSubItem == 0 ? row->text : (item.iSubItem == 1 ? row->subText : none), item.pszText,
                    item.cchTextMax);
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = row->picture;
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
        std::wstring_view text = RowShownAt(position)->text;
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
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    default:
        return std::nullopt;
    }
}

LRESULT ReportList::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return anyLook_ ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const RowLook* found = LookAt(static_cast<int>(draw.nmcd.dwItemSpec));
    if (!found) return CDRF_DODEFAULT;
    const RowLook& look = *found;
    if (look.dimmed) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    if (!look.bold) return CDRF_DODEFAULT;
    if (const HFONT bold = BoldFont()) SelectObject(draw.nmcd.hdc, bold);
    return CDRF_NEWFONT;
}

HFONT ReportList::BoldFont() {
    // Made again whenever the list's font changes (a new DPI).
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
    if (font != boldOf_ || !boldFont_) {
        LOGFONTW bold{};
        if (!font || !GetObjectW(font, sizeof bold, &bold)) GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectW(&bold));
        boldOf_ = font;
    }
    return boldFont_.get();
}

std::string_view ReportList::SortKeys::Of(std::size_t row) const {
    const std::uint32_t begin = row == 0 ? 0 : ends[row - 1];
    return std::string_view(bytes).substr(begin, ends[row] - begin);
}

bool ReportList::ComesBefore(std::uint32_t a, std::uint32_t b) const {
    const std::size_t column = sort_.key == 0 ? 0 : 1;
    int order = 0;
    if (byKeys_) {
        // Compared as unsigned bytes, as sort keys are.
        const int bytes = sortKeys_[column].Of(a).compare(sortKeys_[column].Of(b));
        order = (bytes > 0) - (bytes < 0);
    } else {
        const Row& left = rows_[a];
        const Row& right = rows_[b];
        order = CompareNaturally(column == 0 ? left.text : left.subText, column == 0 ? right.text : right.subText);
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
    const auto selected = RowIndexAt(SelectedRow());
    const auto focused = RowIndexAt(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
    byKeys_ = PrepareSortKeys();
    std::sort(shown_.begin(), shown_.end(), [this](std::uint32_t a, std::uint32_t b) { return ComesBefore(a, b); });
    if (selected || focused) ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    Restore(selected, LVIS_SELECTED);
    Restore(focused, LVIS_FOCUSED);
    if (!filling_) InvalidateRect(list_, nullptr, FALSE);
    ShowSortArrow();
}

void ReportList::Restore(std::optional<std::uint32_t> row, UINT state) {
    if (!row) return;
    const auto at = std::find(shown_.begin(), shown_.end(), *row);
    const int position = static_cast<int>(at - shown_.begin());
    ListView_SetItemState(list_, position, state, state);
    if (state == LVIS_SELECTED) ListView_SetSelectionMark(list_, position);
}

bool ReportList::PrepareSortKeys() {
    static const bool usable = SortKeysOrderAsTheComparison();
    if (!usable) return false;
    const std::size_t column = sort_.key == 0 ? 0 : 1;
    SortKeys& keys = sortKeys_[column];
    // Rows added since the last sort by this column get theirs now.
    for (std::size_t row = keys.ends.size(); row < rows_.size(); ++row) {
        const std::wstring& text = column == 0 ? rows_[row].text : rows_[row].subText;
        if (!AppendNaturalSortKey(text, keys.bytes) || keys.bytes.size() > UINT32_MAX) {
            keys = SortKeys{};
            return false;
        }
        keys.ends.push_back(static_cast<std::uint32_t>(keys.bytes.size()));
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

std::wstring ReportList::Text(int row, int column) const {
    const Row* data = RowShownAt(row);
    if (!data) return std::wstring();
    return column == 0 ? data->text : (column == 1 ? data->subText : std::wstring());
}

int ReportList::SelectedRow() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void ReportList::CopySelectedRow() const {
    const int row = SelectedRow();
    if (row >= 0) CopyToClipboard(list_, Text(row, 0) + L'\t' + Text(row, 1));
}

std::optional<LRESULT> ReportList::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRelayedMouseMessage(message)) {
        tips_.OnMouseMessage(message, wParam, lParam, [this](int row, int column) {
            const RowLook* look = LookAt(row);
            if (look && column == 0 && !look->tip.empty()) return CellTips::Tip{look->tip, true};
            // Measured in the font the cell is drawn in.
            return CellTips::Tip{Text(row, column), false, look && look->bold ? BoldFont() : nullptr};
        });
        return std::nullopt;
    }
    switch (message) {
    case WM_KEYDOWN:
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
