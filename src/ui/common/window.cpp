#include "ui/common/window.h"

#include "ui/common/event_guard.h"

namespace ft::ui {
namespace {
bool busyPointer = false;
}  // namespace

void SetBusyPointer(bool busy) {
    busyPointer = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

Window::~Window() {
    // The derived parts are gone by now: the window is unbound first so that nothing reaches
    // them. A window with parts that must see its end destroys it in its own destructor.
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Window::RegisterClassOnce(const wchar_t* className, HBRUSH background, ClassIcons icons) {
    RegisterWindowClass(className, &Window::WindowProc, CS_HREDRAW | CS_VREDRAW, background, icons);
}

void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, UINT style, HBRUSH background, ClassIcons icons) {
    WNDCLASSEXW existing{sizeof(existing)};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icons.icon;
    wc.hIconSm = icons.smallIcon;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

HWND Window::CreateWindowFor(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND owner,
                             int width, int height, POINT origin) {
    return CreateWindowExW(exStyle, className, title, style, origin.x, origin.y, width, height, owner,
                           nullptr, GetModuleHandleW(nullptr), this);
}

Window* Window::FromHandle(HWND hwnd) {
    // The class procedure, unlike the window's, stays ours when something subclasses the window.
    const auto ours = reinterpret_cast<ULONG_PTR>(&Window::WindowProc);
    if (!hwnd || GetClassLongPtrW(hwnd, GCLP_WNDPROC) != ours) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == WM_SETCURSOR && busyPointer && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    LRESULT result = 0;
    if (!GuardMessage(hwnd, message, wParam, lParam, [&] { result = self->HandleMessage(message, wParam, lParam); })) {
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnDestroyed();
    }
    return result;
}

void DispatchWithDialogKeys(MSG& msg) {
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    const Window* window = Window::FromHandle(top);
    if (window && window->UsesDialogKeys() && IsDialogMessageW(top, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void PressFocusedButtonOnEnter(HWND window, WPARAM commandWParam) {
    if (LOWORD(commandWParam) != IDOK) return;
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != window) return;
    const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) SendMessageW(focus, BM_CLICK, 0, 0);
}

void FollowColorChange(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool YieldToWindowSystem() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchWithDialogKeys(msg);
    }
    return true;
}

}  // namespace ft::ui
