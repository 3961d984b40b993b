#pragma once
// A picture box that takes the keyboard focus: a Tab stop (which a static control is not to
// the dialog keys) whose parent draws the picture through WM_DRAWITEM, as for an owner-drawn
// static, and which shows a focus rectangle while it has the focus and keyboard cues are shown.
#include <windows.h>

namespace ft::ui {

inline constexpr wchar_t kPictureBoxClass[] = L"FileTypesPictureBox";

// Registers the class once per process; call before the first picture box is created.
void RegisterPictureBoxClass();

}  // namespace ft::ui
