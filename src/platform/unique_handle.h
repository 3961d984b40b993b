#pragma once
// Owning handles: each releases what it holds when it goes, so that no early return and no
// exception between acquisition and release can leak it. Move-only. The template needs
// nothing but the standard library, so the registry reader's keys use it as well; the Win32
// kinds follow below it.
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#endif

namespace ft {

// Holds `T` until reset or destroyed, then hands it to `Release` unless it is `Empty`. A
// release that needs more than the value (the DC a GDI object was selected into, the reader
// a key was opened with) carries it in its `Release` object.
template <typename T, typename Release, T Empty = T{}>
class Unique {
public:
    Unique() = default;
    explicit Unique(T value, Release release = Release{}) noexcept : value_(value), release_(std::move(release)) {}
    Unique(Unique&& other) noexcept : value_(other.release()), release_(std::move(other.release_)) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            release_ = std::move(other.release_);
        }
        return *this;
    }
    ~Unique() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Empty; }
    // Gives the value up without releasing it.
    T release() noexcept { return std::exchange(value_, Empty); }
    // Releases the value held so far and holds `value` instead.
    void reset(T value = Empty) noexcept {
        const T previous = std::exchange(value_, value);
        if (previous != Empty) release_(previous);
    }
    // For a function that writes a new value through a pointer: the old one is released first.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_ = Empty;
    Release release_{};
};

// A key opened through a reader (anything with CloseKey), closed through the same reader.
template <typename Reader>
struct CloseKeyWith {
    Reader* reader = nullptr;
    template <typename Key>
    void operator()(Key key) const {
        reader->CloseKey(key);
    }
};

#ifdef _WIN32

// Releases that name their function: the address of a DLL import is no constant for every
// compiler, so it cannot be a template argument.
struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DestroyMenuHandle {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct FreeGlobalMemory {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
struct FreeLocalMemory {
    void operator()(HLOCAL memory) const { LocalFree(memory); }
};
// Also the registry backend's own close, which reports the status.
struct CloseRegistryKey {
    LSTATUS operator()(HKEY key) const { return RegCloseKey(key); }
};

using UniqueHandle = Unique<HANDLE, CloseKernelHandle>;  // kernel objects; not for INVALID_HANDLE_VALUE
using UniqueFont = Unique<HFONT, DeleteGdiObject>;
using UniqueBitmap = Unique<HBITMAP, DeleteGdiObject>;
using UniqueMemoryDc = Unique<HDC, DeleteMemoryDc>;  // from CreateCompatibleDC
using UniqueIcon = Unique<HICON, DestroyIconHandle>;
using UniqueMenu = Unique<HMENU, DestroyMenuHandle>;
using UniqueImageList = Unique<HIMAGELIST, DestroyImageList>;  // from ImageList_Create
using UniqueGlobal = Unique<HGLOBAL, FreeGlobalMemory>;  // release() it once the system has taken it
using UniqueLocal = Unique<HLOCAL, FreeLocalMemory>;     // e.g. FormatMessageW's buffer

// A reference to a COM object, released once. `put()` serves IID_PPV_ARGS.
struct ReleaseComReference {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using UniqueCom = Unique<Interface*, ReleaseComReference>;

// A text that a COM method allocated for its caller.
struct FreeCoTaskMemory {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};
using UniqueCoTaskText = Unique<wchar_t*, FreeCoTaskMemory>;

// The clipboard, opened for this window until release.
struct CloseOpenClipboard {
    void operator()(bool) const { CloseClipboard(); }
};
using UniqueClipboard = Unique<bool, CloseOpenClipboard, false>;
inline UniqueClipboard OpenClipboardFor(HWND owner) { return UniqueClipboard(OpenClipboard(owner) != FALSE); }

// A DC from GetDC, handed back to its window.
struct ReleaseDcOf {
    HWND window = nullptr;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
using UniqueWindowDc = Unique<HDC, ReleaseDcOf>;
inline UniqueWindowDc WindowDc(HWND window) { return UniqueWindowDc(GetDC(window), ReleaseDcOf{window}); }

// An object selected into a DC; the object it replaced is selected again on release.
struct SelectAgainInto {
    HDC dc = nullptr;
    void operator()(HGDIOBJ previous) const { SelectObject(dc, previous); }
};
using UniqueSelection = Unique<HGDIOBJ, SelectAgainInto>;
inline UniqueSelection Select(HDC dc, HGDIOBJ object) {
    return UniqueSelection(SelectObject(dc, object), SelectAgainInto{dc});
}

// COM on this thread, undone on release when it was initialised here.
struct UninitializeCom {
    void operator()(bool) const { CoUninitialize(); }
};
using UniqueComInit = Unique<bool, UninitializeCom, false>;
inline UniqueComInit InitializeCom(DWORD flags) {
    return UniqueComInit(SUCCEEDED(CoInitializeEx(nullptr, flags)));
}

#endif

}  // namespace ft
