#include "ui/properties/properties_window.h"

#include <array>

#include "platform/unique_handle.h"
#include "ui/common/cell_tips.h"

#include "ui/common/picture_box.h"
#include "ui/common/tooltips.h"
#include "ui/common/window_ids.h"

namespace ft::ui {
namespace {

constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kBoxEx = WS_EX_CLIENTEDGE;
constexpr int kVerbLeft = 120, kVerbTop = 1920, kVerbWidth = 6840, kVerbHeight = 1650;
constexpr int kDesignColumnWidth = 1440;

// Table order is the Tab order (the verb list, created after them, comes last); the pictures take
// the focus in turn, the labels take none.
const std::array<ControlSpec, 15> kControls{{
    {kIdPropText1 + 0, L"EDIT", L"", kBox, kBoxEx, 120, 360, 1815, 285},     // Text1: extension key
    {kIdPropText1 + 1, L"EDIT", L"", kBox, kBoxEx, 120, 960, 1815, 285},     // Text2: its default value
    {kIdPropText1 + 2, L"EDIT", L"", kBox, kBoxEx, 2160, 960, 2655, 285},    // Text3: content type
    {kIdPropClose, L"BUTTON", L"关闭", BS_PUSHBUTTON | WS_TABSTOP, 0, 5760, 3800, 1215, 375},
    {kIdPropText1 + 3, L"EDIT", L"", kBox, kBoxEx, 120, 1560, 6855, 285},    // Text4: default icon
    {kIdPropSmallIcon, kPictureBoxClass, L"", WS_TABSTOP, 0, 840, 3840, 240, 240},
    {kIdPropText1 + 5, L"EDIT", L"", kBox, kBoxEx, 2160, 360, 4815, 285},    // Text6: type name
    {kIdPropLargeIcon, kPictureBoxClass, L"", WS_TABSTOP, 0, 120, 3720, 480, 480},
    {kIdPropText1 + 4, L"EDIT", L"", kBox, kBoxEx, 5040, 960, 1935, 285},    // Text5: shell default value
    {0x7001, L"STATIC", L"文件后缀名", SS_LEFT, 0, 120, 120, 1335, 255},
    {0x7002, L"STATIC", L"文件类型", SS_LEFT, 0, 2160, 120, 2175, 255},
    {0x7003, L"STATIC", L"注册表键值", SS_LEFT, 0, 120, 720, 1815, 255},
    {0x7004, L"STATIC", L"内容类型", SS_LEFT, 0, 2160, 720, 1935, 255},
    {0x7005, L"STATIC", L"数值数据", SS_LEFT, 0, 5040, 720, 1815, 255},
    {0x7006, L"STATIC", L"文件默认图标", SS_LEFT, 0, 120, 1320, 1935, 255},
}};

const std::array<ReportList::Column, 2> kVerbColumns{{
    {L"Action", L"项", 0},
    {L"Command", L"参数", 0},
}};

const OwnedWindowDesign kDesign{
    kPropertiesClass, L"文件类型属性", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
    7110,             4290,           kControls,
    true,             kIdPropText1,   true,
};

int BoxId(PropertiesView::Box box) { return kIdPropText1 + static_cast<int>(box); }

}  // namespace

PropertiesWindow::PropertiesWindow(HWND owner, ClassIcons icons, const ShellIcons& pictures)
    : OwnedWindow(owner, icons, kDesign), pictures_(pictures) {
    RegisterPictureBoxClass();
}

void PropertiesWindow::OnBuilt() {
    verbs_.Create(Handle(), kIdPropVerbList, 0, kVerbColumns, verbRows_);
    OnDpiApplied();
    verbs_.SetColumnWidth(L"Action", Px(kDesignColumnWidth, Dpi()));
    verbs_.SetColumnWidth(L"Command", Px(kDesignColumnWidth, Dpi()));
    tips_ = CreateTooltips(Handle());
    AddTooltip(tips_, Handle(), kIdPropClose, L"Exit");
    // A box that cuts its text short shows it whole in a tooltip, like the list cells; the text is
    // asked for when the tip is about to show, so it is the box's text of that moment.
    for (int box = 0; box < 6; ++box) AddTooltip(tips_, Handle(), kIdPropText1 + box, LPSTR_TEXTCALLBACKW);
}

void PropertiesWindow::OnDpiApplied() {
    const UINT dpi = Dpi();
    SendMessageW(verbs_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    SetWindowPos(verbs_.Handle(), nullptr, Px(kVerbLeft, dpi), Px(kVerbTop, dpi), Px(kVerbWidth, dpi),
                 Px(kVerbHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void PropertiesWindow::SetText(Box box, const std::wstring& text) {
    EnsureBuilt();
    SetDlgItemTextW(Handle(), BoxId(box), text.c_str());
}

int PropertiesWindow::VerbListWidth() {
    EnsureBuilt();
    return verbs_.Width();
}

void PropertiesWindow::SetVerbColumnWidths(int action, int command) {
    EnsureBuilt();
    verbs_.SetColumnWidth(L"Action", action);
    verbs_.SetColumnWidth(L"Command", command);
}

void PropertiesWindow::SetTypeKeyNote(const std::wstring& note) {
    EnsureBuilt();
    typeKeyNote_ = note;
}

void PropertiesWindow::ClearVerbs() {
    EnsureBuilt();
    verbRows_.Clear();
    verbs_.RowsReplaced();
}

void PropertiesWindow::AddVerb(const VerbRow& row) {
    EnsureBuilt();
    verbRows_.Add(row);
    verbs_.RowsAdded();
}

std::wstring PropertiesWindow::BoxTip(HWND box) const {
    std::wstring text;
    if (const int length = GetWindowTextLengthW(box); length > 0) {
        text.assign(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), length + 1)));
        RECT client{};
        GetClientRect(box, &client);
        const auto margins = static_cast<DWORD>(SendMessageW(box, EM_GETMARGINS, 0, 0));
        const int room = client.right - LOWORD(margins) - HIWORD(margins);
        SIZE extent{};
        if (const UniqueWindowDc dc = WindowDc(box)) {
            const UniqueSelection font = Select(dc.get(), reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        }
        if (extent.cx <= room) text.clear();
    }
    if (GetDlgCtrlID(box) == BoxId(Box::Text2) && !typeKeyNote_.empty()) {
        text += (text.empty() ? L"" : L"\r\n") + typeKeyNote_;
    }
    if (text.empty()) return text;
    RECT placed{};
    GetWindowRect(box, &placed);
    return FitTipToMonitor(tips_, POINT{(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2}, text);
}

LRESULT PropertiesWindow::OnNotify(NMHDR& header) {
    if (header.hwndFrom == verbs_.Handle()) {
        if (const auto handled = verbs_.OnNotify(header)) return *handled;
    }
    if (header.hwndFrom == tips_ && header.code == TTN_GETDISPINFOW) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        boxTip_ = BoxTip(reinterpret_cast<HWND>(header.idFrom));
        info.lpszText = boxTip_.data();  // an empty text shows no tip
        return 0;
    }
    return OwnedWindow::HandleMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void PropertiesWindow::SetIcons(std::optional<int> iconSlot) {
    EnsureBuilt();
    iconSlot_ = iconSlot;
    InvalidateRect(GetDlgItem(Handle(), kIdPropSmallIcon), nullptr, TRUE);
    InvalidateRect(GetDlgItem(Handle(), kIdPropLargeIcon), nullptr, TRUE);
}

void PropertiesWindow::DrawIcon(const DRAWITEMSTRUCT& draw) const {
    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(COLOR_WINDOW));
    if (!iconSlot_) return;
    HIMAGELIST pictures = draw.CtlID == kIdPropLargeIcon ? pictures_.LargePictures() : pictures_.SmallPictures();
    // Drawn unscaled from the top-left corner: the pictures are made at the main window's DPI,
    // for which the box is sized. Only on a monitor of another DPI is a picture scaled to its box.
    int width = 0, height = 0;
    ImageList_GetIconSize(pictures, &width, &height);
    const int boxWidth = draw.rcItem.right - draw.rcItem.left;
    const int boxHeight = draw.rcItem.bottom - draw.rcItem.top;
    if (width == boxWidth && height == boxHeight) {
        ImageList_Draw(pictures, *iconSlot_, draw.hDC, 0, 0, ILD_NORMAL);
    } else if (const UniqueIcon icon{ImageList_GetIcon(pictures, *iconSlot_, ILD_NORMAL)}) {
        DrawIconEx(draw.hDC, 0, 0, icon.get(), boxWidth, boxHeight, 0, nullptr, DI_NORMAL);
    }
}

LRESULT PropertiesWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kIdPropClose && HIWORD(wParam) == BN_CLICKED) {
        DestroyWindow(Handle());
        return 0;
    }
    if (message == WM_NOTIFY) return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    if (message == WM_DRAWITEM) {
        DrawIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return OwnedWindow::HandleMessage(message, wParam, lParam);
}

void PropertiesWindow::OnDestroyed() {
    OwnedWindow::OnDestroyed();
    iconSlot_.reset();
    verbRows_.Clear();
    typeKeyNote_.clear();
    tips_ = nullptr;  // destroyed with the window that owns it
}

}  // namespace ft::ui
