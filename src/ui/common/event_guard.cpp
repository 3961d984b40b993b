#include "ui/common/event_guard.h"

#include <commctrl.h>

#include <cwchar>

namespace ft::ui {

bool IsUserCommand(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // A menu entry or an accelerator (no control), or a button.
        return lParam == 0 || HIWORD(wParam) == BN_CLICKED;
    case WM_NOTIFY: {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        return code == LVN_ITEMACTIVATE || code == LVN_COLUMNCLICK;
    }
    case WM_CONTEXTMENU:
    case WM_KEYDOWN:
        return true;
    default:
        return false;
    }
}

void TellUser(HWND window, const std::wstring& text) {
    HWND owner = window && IsWindow(window) ? GetAncestor(window, GA_ROOT) : nullptr;
    wchar_t caption[256] = {};
    if (owner) GetWindowTextW(owner, caption, 256);
    MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONWARNING);
}

std::wstring MessagePlace(HWND hwnd, UINT message) {
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    wchar_t place[128] = {};
    std::swprintf(place, 128, L"message 0x%04X to %ls", message, className);
    return place;
}

std::wstring CommandFailedText(const std::wstring& what) { return L"操作没有完成，程序出错：" + what; }

}  // namespace ft::ui
