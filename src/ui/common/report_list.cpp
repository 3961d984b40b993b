#include "ui/common/report_list.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cstring>
#include <exception>

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

// The text's sort key in the natural order: keys compare byte by byte as the texts compare, so
// that a sort of many rows makes one key per row instead of comparing texts at every step.
std::optional<std::string> NaturalSortKey(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int bytes = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | kNaturalOrder, text.c_str(), length,
                                    nullptr, 0, nullptr, nullptr, 0);
    if (bytes <= 0) return std::nullopt;
    std::string key(static_cast<std::size_t>(bytes), '\0');
    if (LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | kNaturalOrder, text.c_str(), length,
                      reinterpret_cast<wchar_t*>(key.data()), bytes, nullptr, nullptr, 0) != bytes) {
        return std::nullopt;
    }
    return key;
}

// Keys are used only where they order numbers by value as the comparison does.
bool SortKeysOrderNumbers() {
    const auto two = NaturalSortKey(L"x2");
    const auto ten = NaturalSortKey(L"X10");
    return two && ten && *two < *ten;
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    // Once set, the clipboard owns the memory.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    CloseClipboard();
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
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS |
                                LVS_SHOWSELALWAYS | LVS_SINGLESEL | extraStyle,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    // Truncated cells get their own tips (see CellTips), the first column's included.
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SetWindowTheme(list_, L"Explorer", nullptr);
    columnKeys_.clear();
    rows_.clear();
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
    SendMessageW(list_, WM_SETREDRAW, filling ? FALSE : TRUE, 0);
    Subclass(!filling);
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
    anyLook_ = anyLook_ || look.bold || look.dimmed;
    rows_.push_back(Row{text, subText, {}, std::move(look)});
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<wchar_t*>(rows_.back().text.c_str());
    item.lParam = static_cast<LPARAM>(rows_.size() - 1);
    item.iImage = picture.value_or(I_IMAGENONE);
    const int row = ListView_InsertItem(list_, &item);
    if (row < 0) return;
    ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(rows_.back().subText.c_str()));
    if (sort_.sorted) Resort();
}

void ReportList::Clear() {
    tips_.Forget();
    ListView_DeleteAllItems(list_);
    rows_.clear();
    anyLook_ = false;
}

LRESULT ReportList::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return anyLook_ ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const auto index = static_cast<std::size_t>(draw.nmcd.lItemlParam);
    if (index >= rows_.size()) return CDRF_DODEFAULT;
    const RowLook& look = rows_[index].look;
    if (look.dimmed) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    if (!look.bold) return CDRF_DODEFAULT;
    // Made again whenever the list's font changes (a new DPI).
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
    if (font != boldOf_ || !boldFont_) {
        LOGFONTW bold{};
        if (!font || !GetObjectW(font, sizeof bold, &bold)) GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectW(&bold));
        boldOf_ = font;
    }
    if (boldFont_) SelectObject(draw.nmcd.hdc, boldFont_.get());
    return CDRF_NEWFONT;
}

int CALLBACK ReportList::CompareRows(LPARAM a, LPARAM b, LPARAM self) {
    const auto* list = reinterpret_cast<const ReportList*>(self);
    const Row& left = list->rows_[static_cast<std::size_t>(a)];
    const Row& right = list->rows_[static_cast<std::size_t>(b)];
    const int column = list->sort_.key == 0 ? 0 : 1;
    int order = 0;
    if (list->byKeys_) {
        const int bytes = left.sortKeys[column]->compare(*right.sortKeys[column]);
        order = (bytes > 0) - (bytes < 0);
    } else {
        order = CompareNaturally(column == 0 ? left.text : left.subText, column == 0 ? right.text : right.subText);
    }
    if (list->sort_.order == SortOrder::Descending) order = -order;
    // Ties keep the order in which the rows were added.
    if (order == 0) order = a < b ? -1 : (a > b ? 1 : 0);
    return order;
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
    byKeys_ = PrepareSortKeys();
    ListView_SortItems(list_, &ReportList::CompareRows, reinterpret_cast<LPARAM>(this));
    ShowSortArrow();
}

bool ReportList::PrepareSortKeys() {
    static const bool usable = SortKeysOrderNumbers();
    if (!usable) return false;
    const std::size_t column = sort_.key == 0 ? 0 : 1;
    for (Row& row : rows_) {
        if (row.sortKeys[column]) continue;
        row.sortKeys[column] = NaturalSortKey(column == 0 ? row.text : row.subText);
        if (!row.sortKeys[column]) return false;
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
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !ListView_GetItem(list_, &item)) return std::wstring();
    const Row& data = rows_[static_cast<std::size_t>(item.lParam)];
    return column == 0 ? data.text : (column == 1 ? data.subText : std::wstring());
}

int ReportList::SelectedRow() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void ReportList::CopySelectedRow() const {
    const int row = SelectedRow();
    if (row >= 0) CopyToClipboard(list_, Text(row, 0) + L'\t' + Text(row, 1));
}

std::optional<LRESULT> ReportList::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRelayedMouseMessage(message)) {
        tips_.OnMouseMessage(message, wParam, lParam, [this](int row, int column) {
            LVITEMW item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            if (column == 0 && ListView_GetItem(list_, &item)) {
                const std::wstring& tip = rows_[static_cast<std::size_t>(item.lParam)].look.tip;
                if (!tip.empty()) return CellTips::Tip{tip, true};
            }
            return CellTips::Tip{Text(row, column), false};
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
    try {
        if (const auto handled = reinterpret_cast<ReportList*>(self)->OnListMessage(message, wParam, lParam)) {
            return *handled;
        }
    } catch (const std::exception&) {
        // What the list adds is skipped; the control's own handling still runs.
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace ft::ui
