#pragma once
// Text onto the clipboard.
#include <windows.h>

#include <string>

namespace ft::ui {

// Puts `text` on the clipboard as Unicode text, with `owner` as the clipboard's owner; nothing
// happens when the clipboard cannot be had.
void CopyToClipboard(HWND owner, const std::wstring& text);

}  // namespace ft::ui
