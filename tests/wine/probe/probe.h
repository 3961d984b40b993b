#pragma once
// Drives filetypes.exe from outside its process, the way a user (or an accessibility tool)
// would: finds its windows by class, reads its list views and edit boxes across the process
// boundary, sends real mouse and keyboard input, takes screenshots, and reads the registry
// that the program scans to know what it should show.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace probe {

using namespace std::chrono_literals;

// Generous: a large registry under Wine can take a while to scan, and CI machines are slow.
inline constexpr std::chrono::milliseconds kLongWait = 60s;
inline constexpr std::chrono::milliseconds kShortWait = 20s;

// ---- environment -------------------------------------------------------------------------

std::string Utf8(const std::wstring& text);  // for test messages
std::wstring Env(const wchar_t* name);  // empty when unset
// A Unix path as Wine's DOS view of it (Z:\...); a path that already looks like a DOS path
// is returned unchanged.
std::wstring DosPath(const std::wstring& path);
// filetypes.exe from FT_EXE, as a DOS path; empty when FT_EXE is unset.
std::wstring ProgramPath();
// FT_ARTIFACTS as a DOS path (created on demand); empty when unset.
std::filesystem::path ArtifactsDir();
// A fresh, empty directory under the temp folder; removed by the destructor.
class TempDir {
public:
    explicit TempDir(const std::wstring& tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Polls `condition` until it holds or `timeout` passes; true when it held.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kLongWait,
             std::chrono::milliseconds poll = 25ms);
// Lets the other process's message loop run for a moment (used between input events, never
// as a substitute for waiting on a condition).
void Settle(std::chrono::milliseconds pause = 100ms);

// ---- processes and windows ---------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD pid);  // pid 0: every process
std::vector<HWND> TopLevelWindowsOfClass(DWORD pid, const std::wstring& className);
std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);  // WM_GETTEXT, which the window system copies across processes
HWND ChildById(HWND parent, int id);
RECT WindowRect(HWND hwnd);
RECT ClientRectOnScreen(HWND hwnd);

// The system's text for an error code, e.g. "%1 is not a valid Win32 application." (empty if none).
std::wstring ErrorText(DWORD code);
// How a process ended, for a test's message: its exit code, and the exception when the code
// is one (a crash), e.g. "exit code 0xC0000005 (crashed: access violation)".
std::wstring DescribeExit(DWORD code);

// Runs a command line (hidden, no console window) and waits for it; the exit code, or
// nothing when it could not be started or did not end in time.
std::optional<DWORD> RunAndWait(const std::wstring& commandLine,
                                std::chrono::milliseconds timeout = kLongWait);

// A running instance of the program. The destructor closes it: WM_CLOSE to its windows,
// then TerminateProcess when it does not end.
class App {
public:
    // `showWindow`: the show state handed over in STARTUPINFO, as a shortcut set to
    // minimised or maximised does. Null when the process could not be created; `error`
    // then receives GetLastError's code.
    static std::unique_ptr<App> Launch(const std::wstring& exe, const std::filesystem::path& workDir,
                                       std::optional<WORD> showWindow = std::nullopt, DWORD* error = nullptr);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }
    bool Running() const;
    // The exit code once the process has ended.
    std::optional<DWORD> ExitCode() const;
    void Close();

    HWND Find(const std::wstring& className) const;  // first top-level window of that class
    bool WaitGone(const std::wstring& className, std::chrono::milliseconds timeout = kShortWait) const;
    // The main window once the scan has ended: its title has been set. Null on timeout.
    HWND WaitMainReady(std::chrono::milliseconds timeout = kLongWait) const;
    // The popup menu window (#32768) of this program, shown. Null when none is shown.
    HWND PopupMenu() const;

private:
    App() = default;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Memory in another process, for messages whose parameters point at structures.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* address() const { return address_; }
    bool ok() const { return address_ != nullptr; }
    bool Write(std::size_t offset, const void* data, std::size_t bytes);
    bool Read(std::size_t offset, void* data, std::size_t bytes) const;

private:
    HANDLE process_;
    void* address_ = nullptr;
    std::size_t size_;
};

struct ListRow {
    std::wstring text;  // column 0
    std::wstring sub;   // column 1
    int image = -1;
};

// A report-view list view in another process.
class RemoteListView {
public:
    RemoteListView(HWND list, HANDLE process);
    HWND hwnd() const { return list_; }
    int Count() const;
    std::wstring Text(int item, int subItem) const;
    int Image(int item) const;
    std::vector<ListRow> Rows() const;
    std::vector<std::wstring> Column(int subItem) const;
    int Selected() const;  // first selected row, -1 when none
    int Find(const std::wstring& text) const;  // row whose column 0 equals `text`, or -1
    // Scrolls the row into view and gives its label rectangle in screen coordinates.
    std::optional<RECT> ItemRectOnScreen(int item) const;
    // The same for one cell of the row (0: the row's label).
    std::optional<RECT> CellRectOnScreen(int item, int subItem) const;
    int ColumnWidth(int column) const;
    int StringWidth(const std::wstring& text) const;  // in the list's font

    HWND Header() const;
    std::vector<std::wstring> HeaderTexts() const;
    std::vector<int> HeaderFormats() const;  // each header item's HDF_ flags
    std::optional<RECT> HeaderItemRectOnScreen(int index) const;

private:
    HWND list_;
    HANDLE process_;
};

// ---- input -------------------------------------------------------------------------------

POINT Center(const RECT& r);
void MoveMouse(POINT screen);
void LeftClick(POINT screen);
void DoubleClick(POINT screen);
void RightClick(POINT screen);
// Presses and releases `vk`, with the given modifier keys held down around it.
void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {});
// Presses and releases each key in turn, all in one go, as fast typing does (a list's
// type-ahead forgets what was typed after a short pause).
void TypeKeys(std::initializer_list<WORD> keys);
// Whether the window's own thread has made it its active window. The foreground changes at
// once; the program's thread takes the activation (and the window system's news of it) later.
bool ActiveInItsThread(HWND hwnd);
// Brings the window to the foreground and waits until its thread has taken the activation, so
// that input reaches a program that is done with the change.
bool MakeForeground(HWND hwnd);

// ---- popup menus ---------------------------------------------------------------------------

// The texts of the popup menu's entries, read through MN_GETHMENU. Nothing when the menu
// cannot be read from this process (Wine keeps menus private to their process).
std::optional<std::vector<std::wstring>> MenuTexts(HWND menuWindow);
// Where the menu window shows each of `texts`, drawn in the system menu font: the top row
// (window coordinates) of each, or -1 for a text it does not show. Reads the screen, so it
// works where MenuTexts cannot.
std::vector<int> FindMenuTexts(HWND menuWindow, const std::vector<std::wstring>& texts);
// The rows (top, bottom: window coordinates, bottom exclusive) of the menu's highlighted entry.
std::optional<std::pair<int, int>> HighlightedBand(HWND menuWindow);
// Picks entry `index` (0-based) of the open popup menu with the keyboard.
void ChooseMenuEntry(int index);

// ---- screenshots ---------------------------------------------------------------------------

// Waits until the window and its children have no pending paint (a screenshot taken
// earlier shows stale pixels); false when they still had one after a generous wait.
bool WaitPainted(HWND hwnd);
// Copies the window's area of the screen into `<FT_ARTIFACTS>/<name>.bmp` (24-bit BMP).
// Returns the file written, or nothing when FT_ARTIFACTS is unset or the capture failed.
std::optional<std::filesystem::path> Screenshot(HWND hwnd, const std::wstring& name);
// The window's area of the screen as 32-bit BGRX pixels, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t at(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
};
std::optional<Pixels> Capture(HWND hwnd);
// A colour as Capture gives its pixels.
std::uint32_t PixelOf(COLORREF color);

// ---- registry ------------------------------------------------------------------------------

// Subkey names of HKEY_CLASSES_ROOT (or of one of its keys), in enumeration order.
std::vector<std::wstring> ClassesRootSubkeys(const std::wstring& keyPath = L"");
std::vector<std::wstring> ExtensionKeys();  // the subkeys of HKEY_CLASSES_ROOT that begin with "."
// `reg.exe export <key> <file> /y`; true when it succeeded.
bool RegExport(const std::wstring& key, const std::filesystem::path& file);
// `reg.exe import <file>`; true when it succeeded.
bool RegImport(const std::filesystem::path& file);

// ---- clipboard -----------------------------------------------------------------------------

void EmptyTheClipboard();
// The clipboard's text (CF_UNICODETEXT); nothing when it holds none.
std::optional<std::wstring> ClipboardText();

// ---- files -----------------------------------------------------------------------------------

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& file);
bool WriteFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
// True once the file exists and no other process holds it open for writing, so that a
// writer that has not finished is never read half-way.
bool FileComplete(const std::filesystem::path& file);
// A registry-editor file (UTF-16LE with BOM, CRLF line ends) holding `lines`.
std::vector<std::uint8_t> RegFileBytes(const std::vector<std::wstring>& lines);

}  // namespace probe
