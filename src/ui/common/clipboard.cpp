#include "ui/common/clipboard.h"

#include <cstring>

#include "platform/unique_handle.h"

namespace ft::ui {

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

}  // namespace ft::ui
