#pragma once
// One C++ object per window: the object is bound at WM_NCCREATE and the window procedure
// only dispatches into it. Exceptions stop at the dispatch boundary, so none reaches the
// window system; a failing handler is skipped like any other failing step.
#include <windows.h>

namespace ft::ui {

// A window class's icons, each loaded at its own size from the multi-size resource: the
// large one for Alt+Tab, the small one for the title bar and the taskbar.
struct ClassIcons {
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    // The object bound to `hwnd`, when it is one of this program's windows.
    static Window* FromHandle(HWND hwnd);
    // Whether Tab and the arrow keys move between this window's controls, as in a dialog.
    virtual bool UsesDialogKeys() const { return false; }

protected:
    // Registers the class once per process; `className` must outlive the process.
    static void RegisterClassOnce(const wchar_t* className, HBRUSH background, ClassIcons icons);
    HWND CreateWindowFor(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND owner,
                         int width, int height, POINT origin = POINT{CW_USEDEFAULT, CW_USEDEFAULT});

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; hwnd_ is already null.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Registers a window class of this program once per process, with the arrow pointer;
// `className` must outlive the process.
void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, UINT style, HBRUSH background, ClassIcons icons);

// The application-wide pointer: arrow with hourglass over every window of the program while set.
void SetBusyPointer(bool busy);

// Enter on a focused push button presses it, as in a dialog; elsewhere Enter means nothing.
// Call with the command id that the dialog keys send for Enter.
void PressFocusedButtonOnEnter(HWND window, WPARAM commandWParam);

// Passes a change of the system colours on to the window's controls, which learn of it only
// from their parent, and repaints the window.
void FollowColorChange(HWND window);

// Lets pending window messages run, like a message loop turn, without blocking. A quit
// request that arrives meanwhile is posted again for the main loop.
void YieldToWindowSystem();
// One message through the keyboard handling of the windows that use dialog keys.
void DispatchWithDialogKeys(MSG& msg);

}  // namespace ft::ui
