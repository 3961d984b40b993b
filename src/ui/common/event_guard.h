#pragma once
// The windows' side of the event guard: a message whose handling throws is stopped at the
// window procedure and traced; when it carried a command the user asked for, the user is told
// that it did not complete.
#include <windows.h>

#include <string>

#include "platform/event_guard.h"

namespace ft::ui {

// A menu entry, a button, a row's activation, a header click, the popup menu or a key.
bool IsUserCommand(UINT message, WPARAM wParam, LPARAM lParam);
// A message box owned by `window`'s top-level window (or by none).
void TellUser(HWND window, const std::wstring& text);
// Where a message was handled, for the trace.
std::wstring MessagePlace(HWND hwnd, UINT message);
std::wstring CommandFailedText(const std::wstring& what);

// Runs the handling of one message under the guard. False when it did not complete.
template <class Handler>
bool GuardMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Handler&& handler) noexcept {
    const auto failure = Guarded([hwnd, message] { return MessagePlace(hwnd, message); }, handler);
    if (!failure) return true;
    if (IsUserCommand(message, wParam, lParam)) {
        Guarded(L"telling the user", [&] { TellUser(hwnd, CommandFailedText(*failure)); });
    }
    return false;
}

}  // namespace ft::ui
