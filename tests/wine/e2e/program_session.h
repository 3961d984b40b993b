#pragma once
// One running filetypes.exe per test, started in a fresh working directory, plus the user
// gestures the end-to-end tests share (pick a row, open the popup menu, pick an entry).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/memory_registry.h"
#include "ui/common/window_ids.h"
#include "wine/probe/probe.h"

namespace e2e {

// The program's window classes and control ids, as the program itself names them.
using namespace ft::ui;
inline constexpr wchar_t kMenuClass[] = L"#32768";

inline const std::wstring kTitlePrefix = L"本机文件类型数量：";
inline const std::vector<std::wstring> kMenuEntries = {L"查看文件类型属性", L"文件类型备份 (.reg)", L"Kestrix博客"};
enum MenuEntry { kMenuProperties = 0, kMenuExport = 1, kMenuBlog = 2 };

// The program's smallest outer size, 7440 x 5010 twips, in pixels at the screen's DPI.
SIZE MinimumWindowSize();
// The screen's DPI: 96 unless the test prefix sets LogPixels (the e2e_wine_dpi runs).
int ScreenDpi();
// Whether the window's client area is its size at 96 dpi grown with the screen's DPI (but not
// below `atLeast`), within 2 px.
::testing::AssertionResult ClientAreaScaled(HWND window, SIZE at96Dpi, SIZE atLeast = {0, 0});

// A list cell's first column: how many pixels are darker than mid-grey, and the darkest (r + g + b).
struct Ink {
    int count = 0, darkest = 3 * 255;
};

class ProgramSession {
public:
    // Starts the program (with `showWindow` in its STARTUPINFO, when given); `ready()` tells
    // whether its main window came up with its title, and when it did not, why: the start's
    // error, or how the program ended, or how long it was waited for.
    explicit ProgramSession(const std::wstring& tag, std::optional<WORD> showWindow = std::nullopt);
    ~ProgramSession();

    bool started() const { return app_ != nullptr; }
    ::testing::AssertionResult ready() const;
    probe::App& app() const { return *app_; }
    HWND main() const { return main_; }
    probe::RemoteListView list() const { return probe::RemoteListView(list_, app_->process()); }
    const std::filesystem::path& workDir() const { return dir_.path(); }

    // A left click on the row whose first column reads `extension`; true when the list
    // then has that row selected.
    bool ClickRow(const std::wstring& extension);
    // Moves the selection with the arrow keys to the row reading `extension`.
    bool ArrowToRow(const std::wstring& extension);
    // A right click on the list (on the selected row when there is one); the menu window.
    HWND OpenMenuWithMouse();
    // Opens the popup menu from the keyboard (`shiftF10`: Shift+F10, else the menu key);
    // the list must have the keyboard focus (ClickRow gives it).
    HWND OpenMenuWithKeyboard(bool shiftF10);
    // A point of the list below its last row, in screen coordinates; the main window is
    // made taller when the rows fill it. Nothing when the screen is too small for that.
    std::optional<POINT> BlankSpotBelowRows();
    // Puts the main window at the screen's left edge and `window` to its right.
    void MoveAside(HWND window) const;
    // Opens the menu with the mouse, picks `entry` and waits for a shown window of `windowClass`.
    HWND RunMenuEntry(MenuEntry entry, const wchar_t* windowClass);
    // Brings the list's row at `position` into view and rests the pointer on its cell in
    // `column`; the tooltip then shown once it reads `expected`, else what it read last.
    std::wstring RowTip(int position, int column, const std::wstring& expected);
    // The ink of the row at `position` with the pointer away from the list and no tooltip shown.
    Ink RowInk(int position);

private:
    // The main window in the foreground and every window drawn: the program is done with the last
    // step. Under Wine, input overtakes the X server's news of a window's activation; taken in once
    // a popup menu is open, the stale news that the main window lost the focus closes the menu.
    void MakeMainForegroundAndDrawn() const;

    probe::TempDir dir_;
    std::unique_ptr<probe::App> app_;
    HWND main_ = nullptr;
    HWND list_ = nullptr;
    std::string failure_;  // why the program is not ready
};

// A top-level window of `className` in the program, once it is shown and active.
HWND WaitShown(const probe::App& app, const wchar_t* className);
// The control that has the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);
// Whether `upper` stands above `lower` in the screen's window order.
bool Above(HWND upper, HWND lower);
// The text of the program's tooltip that is shown now; empty when none is.
std::wstring ShownTooltipText(const probe::App& app);

Ink InkOfCell(const probe::RemoteListView& list, int row);
// The sum r + g + b of the disabled text colour, a grey.
int GrayTextSum();

// The extension of the odd-values fixture's key of the registry's longest name, 255 characters
// with its dot.
inline const std::wstring kLongestExtension = L"ftoddlong" + std::wstring(245, L'x');

// The fixture (tests/fixtures/e2e.reg) as the prefix holds it: registry values, so that the
// tests say what the program must show without repeating the file's bytes.
struct VerbExpectation {
    std::wstring action;
    std::wstring command;
};
// Expected verb rows of a type key, in the order in which the registry enumerates its
// shell subkeys (the probe reads that order from the prefix).
std::vector<VerbExpectation> ExpectedVerbs(const std::wstring& typeKey,
                                           const std::map<std::wstring, VerbExpectation>& byVerbName);

// The .reg file at `file` loaded into a fresh in-memory registry, and its dump; nothing
// when the file cannot be read or parsed.
std::optional<std::wstring> DumpOfRegFile(const std::filesystem::path& file, std::wstring* error = nullptr);
// The dump of the fixture reduced to the key `keyName` (directly under HKEY_CLASSES_ROOT)
// with all its subkeys.
std::optional<std::wstring> DumpOfFixtureKey(const std::wstring& keyName, std::wstring* error = nullptr);
std::filesystem::path FixturePath();

}  // namespace e2e
