#include "probe.h"

#include "catalogue/command_line.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>

namespace probe {

namespace {

// Cross-process sends wait for the other thread to take the message; the program yields
// during its scan, so a busy but healthy program answers well within this.
constexpr UINT kSendTimeoutMs = 15000;

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result);
    if (ok) *ok = sent != 0;
    return sent ? static_cast<LRESULT>(result) : 0;
}

void SendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    return in;
}

bool IsExtendedKey(WORD vk) {
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE: case VK_APPS:
    case VK_RCONTROL: case VK_RMENU:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

void Click(POINT screen, DWORD down, DWORD up, int times = 1) {
    // Two clicks in the same place within the double-click time make a double click, which
    // a header (for one) does not take as a second click: wait that time out, as a user would.
    static DWORD lastTime = 0, lastButton = 0;
    static POINT lastPoint{-1000, -1000};
    const bool sameSpot = std::abs(screen.x - lastPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                      std::abs(screen.y - lastPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
    const DWORD since = GetTickCount() - lastTime;
    if (sameSpot && lastButton == down && since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() - since + 100);
    MoveMouse(screen);
    for (int i = 0; i < times; ++i) {
        if (i > 0) Settle(50ms);
        SendInputs({MouseInput(down)});
        Settle(50ms);
        SendInputs({MouseInput(up)});
    }
    lastTime = GetTickCount();
    lastButton = down;
    lastPoint = screen;
    Settle(100ms);
}

}  // namespace

// ---- environment -------------------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Env(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(got);
    return value;
}

std::wstring DosPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using WineDosName = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<WineDosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos) {
        if (WCHAR* dos = toDos(Utf8(path).c_str())) {
            std::wstring out = dos;
            HeapFree(GetProcessHeap(), 0, dos);
            return out;
        }
    }
    std::wstring out = L"Z:" + path;
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

std::wstring ProgramPath() { return DosPath(Env(L"FT_EXE")); }

std::filesystem::path ArtifactsDir() {
    const std::wstring dir = DosPath(Env(L"FT_ARTIFACTS"));
    if (dir.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

TempDir::TempDir(const std::wstring& tag) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::filesystem::path(temp) /
            (L"ft-e2e-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_, ec);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
             std::chrono::milliseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(static_cast<DWORD>(poll.count()));
    }
}

void Settle(std::chrono::milliseconds pause) { Sleep(static_cast<DWORD>(pause.count())); }

// ---- processes and windows ---------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (s->pid == 0 || owner == s->pid) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> TopLevelWindowsOfClass(DWORD pid, const std::wstring& className) {
    std::vector<HWND> out;
    for (HWND hwnd : TopLevelWindows(pid))
        if (ClassOf(hwnd) == className) out.push_back(hwnd);
    return out;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    // The text may change between two messages, so one WM_GETTEXT into a buffer with room
    // to spare, and again with a larger one when it came back full.
    bool ok = false;
    std::size_t capacity = static_cast<std::size_t>(Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok)) + 256;
    if (!ok) return {};
    for (int attempt = 0; attempt < 4; ++attempt, capacity *= 4) {
        std::wstring text(capacity, L'\0');
        const auto got = static_cast<std::size_t>(
            Send(hwnd, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text.data()), &ok));
        if (!ok) return {};
        if (got + 1 < capacity) {
            text.resize(got);
            return text;
        }
    }
    return {};
}

HWND ChildById(HWND parent, int id) { return GetDlgItem(parent, id); }

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientRectOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::optional<DWORD> RunAndWait(const std::wstring& commandLine, std::chrono::milliseconds timeout) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return std::nullopt;
    CloseHandle(pi.hThread);
    std::optional<DWORD> result;
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(pi.hProcess, &code)) result = code;
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    return result;
}

std::wstring ErrorText(DWORD code) {
    // In English where the system has it, for whoever reads the test log.
    wchar_t* text = nullptr;
    DWORD length = 0;
    for (const DWORD language : {static_cast<DWORD>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD{0}}) {
        length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length) break;
    }
    std::wstring out = length && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
    return out;
}

std::wstring DescribeExit(DWORD code) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    std::wstring out = L"exit code " + std::to_wstring(code) + L" (" + hex;
    // Exception codes have both top bits set (severity "error"); a program that returns
    // normally never uses them.
    if ((code & 0xC0000000u) == 0xC0000000u) {
        out += L", crashed";
        switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: out += L": access violation"; break;
        case EXCEPTION_STACK_OVERFLOW: out += L": stack overflow"; break;
        case 0xC0000409u: out += L": stack buffer overrun or fail-fast"; break;
        case 0xC0000374u: out += L": heap corruption"; break;
        default: break;
        }
    }
    return out + L")";
}

std::unique_ptr<App> App::Launch(const std::wstring& exe, const std::filesystem::path& workDir,
                                 std::optional<WORD> showWindow, DWORD* error) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (showWindow) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = *showWindow;
    }
    PROCESS_INFORMATION pi{};
    std::wstring line = ft::QuoteArgument(exe);
    const std::wstring dir = workDir.wstring();
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        if (error) *error = GetLastError();
        return nullptr;
    }
    CloseHandle(pi.hThread);
    std::unique_ptr<App> app(new App());
    app->process_ = pi.hProcess;
    app->pid_ = pi.dwProcessId;
    return app;
}

App::~App() {
    Close();
    if (process_) CloseHandle(process_);
}

bool App::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> App::ExitCode() const {
    DWORD code = 0;
    if (Running() || !process_ || !GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void App::Close() {
    if (!Running()) return;
    // A popup menu runs its own loop; dismiss it so that the close request is seen.
    if (PopupMenu()) PressKey(VK_ESCAPE);
    for (HWND hwnd : TopLevelWindowsOfClass(pid_, L"FileTypesMainWindow")) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
}

HWND App::Find(const std::wstring& className) const {
    const auto found = TopLevelWindowsOfClass(pid_, className);
    return found.empty() ? nullptr : found.front();
}

bool App::WaitGone(const std::wstring& className, std::chrono::milliseconds timeout) const {
    return WaitFor([&] { return Find(className) == nullptr; }, timeout);
}

HWND App::WaitMainReady(std::chrono::milliseconds timeout) const {
    static const std::wstring kTitleStart = L"本机文件类型数量：";
    HWND ready = nullptr;
    WaitFor(
        [&] {
            if (!Running()) return true;  // no point waiting for a program that has ended
            for (HWND hwnd : TopLevelWindowsOfClass(pid_, L"FileTypesMainWindow")) {
                wchar_t title[256] = {};
                GetWindowTextW(hwnd, title, 256);
                if (std::wstring(title).starts_with(kTitleStart) && IsWindowVisible(hwnd)) {
                    ready = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return ready;
}

HWND App::PopupMenu() const {
    for (HWND hwnd : TopLevelWindowsOfClass(pid_, L"#32768"))
        if (IsWindowVisible(hwnd)) return hwnd;
    return nullptr;
}

// ---- remote memory and list views ----------------------------------------------------------

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t bytes) : process_(process), size_(bytes) {
    address_ = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(std::size_t offset, const void* data, std::size_t bytes) {
    if (!address_ || offset + bytes > size_) return false;
    SIZE_T written = 0;
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, bytes, &written) &&
           written == bytes;
}

bool RemoteBuffer::Read(std::size_t offset, void* data, std::size_t bytes) const {
    if (!address_ || offset + bytes > size_) return false;
    SIZE_T read = 0;
    return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, bytes, &read) && read == bytes;
}

namespace {

constexpr int kTextChars = 1024;

// One LVITEMW followed by its text buffer, in the list's process.
struct RemoteItem {
    RemoteBuffer buffer;
    explicit RemoteItem(HANDLE process) : buffer(process, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t)) {}
    wchar_t* remoteText() const {
        return reinterpret_cast<wchar_t*>(static_cast<char*>(buffer.address()) + sizeof(LVITEMW));
    }
    std::wstring Text(HWND list, int item, int subItem) {
        LVITEMW lv{};
        lv.iSubItem = subItem;
        lv.pszText = remoteText();
        lv.cchTextMax = kTextChars;
        if (!buffer.Write(0, &lv, sizeof lv)) return {};
        bool ok = false;
        const auto length = static_cast<std::size_t>(
            Send(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(buffer.address()), &ok));
        if (!ok) return {};
        std::wstring text(std::min<std::size_t>(length, kTextChars - 1), L'\0');
        if (!text.empty()) buffer.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
        return text;
    }
    int Image(HWND list, int item) {
        LVITEMW lv{};
        lv.mask = LVIF_IMAGE;
        lv.iItem = item;
        lv.iImage = -1;
        if (!buffer.Write(0, &lv, sizeof lv)) return -1;
        if (!Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.address()))) return -1;
        buffer.Read(0, &lv, sizeof lv);
        return lv.iImage;
    }
};

std::optional<RECT> RemoteRect(HANDLE process, HWND hwnd, UINT msg, WPARAM wp, RECT in) {
    RemoteBuffer buffer(process, sizeof(RECT));
    if (!buffer.Write(0, &in, sizeof in)) return std::nullopt;
    if (!Send(hwnd, msg, wp, reinterpret_cast<LPARAM>(buffer.address()))) return std::nullopt;
    RECT r{};
    if (!buffer.Read(0, &r, sizeof r)) return std::nullopt;
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

RemoteListView::RemoteListView(HWND list, HANDLE process) : list_(list), process_(process) {}

int RemoteListView::Count() const { return static_cast<int>(Send(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring RemoteListView::Text(int item, int subItem) const {
    RemoteItem remote(process_);
    return remote.Text(list_, item, subItem);
}

int RemoteListView::Image(int item) const {
    RemoteItem remote(process_);
    return remote.Image(list_, item);
}

std::vector<ListRow> RemoteListView::Rows() const {
    RemoteItem remote(process_);
    std::vector<ListRow> rows;
    const int count = Count();
    for (int i = 0; i < count; ++i)
        rows.push_back({remote.Text(list_, i, 0), remote.Text(list_, i, 1), remote.Image(list_, i)});
    return rows;
}

std::vector<std::wstring> RemoteListView::Column(int subItem) const {
    RemoteItem remote(process_);
    std::vector<std::wstring> texts;
    const int count = Count();
    for (int i = 0; i < count; ++i) texts.push_back(remote.Text(list_, i, subItem));
    return texts;
}

int RemoteListView::Selected() const {
    return static_cast<int>(Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int RemoteListView::Find(const std::wstring& text) const {
    const auto texts = Column(0);
    const auto it = std::find(texts.begin(), texts.end(), text);
    return it == texts.end() ? -1 : static_cast<int>(it - texts.begin());
}

std::optional<RECT> RemoteListView::ItemRectOnScreen(int item) const {
    Send(list_, LVM_ENSUREVISIBLE, item, FALSE);
    RECT in{};
    in.left = LVIR_LABEL;
    return RemoteRect(process_, list_, LVM_GETITEMRECT, item, in);
}

std::optional<RECT> RemoteListView::CellRectOnScreen(int item, int subItem) const {
    if (subItem == 0) return ItemRectOnScreen(item);
    Send(list_, LVM_ENSUREVISIBLE, item, FALSE);
    RECT in{};
    in.top = subItem;
    in.left = LVIR_LABEL;
    return RemoteRect(process_, list_, LVM_GETSUBITEMRECT, item, in);
}

int RemoteListView::ColumnWidth(int column) const {
    return static_cast<int>(Send(list_, LVM_GETCOLUMNWIDTH, column, 0));
}

int RemoteListView::StringWidth(const std::wstring& text) const {
    RemoteBuffer buffer(process_, (text.size() + 1) * sizeof(wchar_t));
    if (!buffer.Write(0, text.c_str(), (text.size() + 1) * sizeof(wchar_t))) return 0;
    return static_cast<int>(Send(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(buffer.address())));
}

HWND RemoteListView::Header() const { return reinterpret_cast<HWND>(Send(list_, LVM_GETHEADER, 0, 0)); }

std::vector<std::wstring> RemoteListView::HeaderTexts() const {
    const HWND header = Header();
    std::vector<std::wstring> texts;
    if (!header) return texts;
    RemoteBuffer buffer(process_, sizeof(HDITEMW) + kTextChars * sizeof(wchar_t));
    const int count = static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMW hd{};
        hd.mask = HDI_TEXT;
        hd.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(buffer.address()) + sizeof(HDITEMW));
        hd.cchTextMax = kTextChars;
        const wchar_t empty = L'\0';
        buffer.Write(sizeof(HDITEMW), &empty, sizeof empty);
        buffer.Write(0, &hd, sizeof hd);
        std::wstring text(kTextChars, L'\0');
        if (Send(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(buffer.address())))
            buffer.Read(sizeof(HDITEMW), text.data(), text.size() * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), text.size()));
        texts.push_back(text);
    }
    return texts;
}

std::vector<int> RemoteListView::HeaderFormats() const {
    std::vector<int> formats;
    const HWND header = Header();
    RemoteBuffer buffer(process_, sizeof(HDITEMW));
    for (int i = 0; header && i < static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)); ++i) {
        HDITEMW hd{HDI_FORMAT};
        buffer.Write(0, &hd, sizeof hd);
        if (Send(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(buffer.address()))) buffer.Read(0, &hd, sizeof hd);
        formats.push_back(hd.fmt);
    }
    return formats;
}

std::optional<RECT> RemoteListView::HeaderItemRectOnScreen(int index) const {
    const HWND header = Header();
    if (!header) return std::nullopt;
    return RemoteRect(process_, header, HDM_GETITEMRECT, index, RECT{});
}

// ---- input -------------------------------------------------------------------------------

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void MoveMouse(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = std::max(2, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    const int height = std::max(2, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // A real move event too, so that the target sees the pointer arrive (hover, tracking).
    const LONG dx = MulDiv(screen.x - left, 65535, width - 1);
    const LONG dy = MulDiv(screen.y - top, 65535, height - 1);
    SendInputs({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, dx, dy)});
    Settle(30ms);
    // Normalised coordinates may round to the neighbouring pixel.
    SetCursorPos(screen.x, screen.y);
    Settle(30ms);
}

void LeftClick(POINT screen) { Click(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }
void DoubleClick(POINT screen) { Click(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2); }
void RightClick(POINT screen) { Click(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

void PressKey(WORD vk, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> down, up;
    for (WORD m : modifiers) down.push_back(KeyInput(m, false));
    down.push_back(KeyInput(vk, false));
    up.push_back(KeyInput(vk, true));
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) up.push_back(KeyInput(*it, true));
    SendInputs(down);
    Settle(30ms);
    SendInputs(up);
    Settle(100ms);
}

void TypeKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        inputs.push_back(KeyInput(vk, false));
        inputs.push_back(KeyInput(vk, true));
    }
    SendInputs(inputs);
    Settle(100ms);
}

bool ActiveInItsThread(HWND hwnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndActive == hwnd;
}

bool MakeForeground(HWND hwnd) {
    if (!hwnd) return false;
    const auto taken = [&] { return GetForegroundWindow() == hwnd && ActiveInItsThread(hwnd); };
    if (taken()) return true;
    SetForegroundWindow(hwnd);
    if (WaitFor(taken, 3s)) return true;
    // A click on the caption activates the window the way a user would.
    const RECT r = WindowRect(hwnd);
    LeftClick(POINT{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2});
    return WaitFor(taken, 5s);
}

// ---- popup menus ---------------------------------------------------------------------------

std::optional<std::vector<std::wstring>> MenuTexts(HWND menuWindow) {
    bool ok = false;
    const auto menu = reinterpret_cast<HMENU>(Send(menuWindow, MN_GETHMENU, 0, 0, &ok));
    if (!ok || !menu) return std::nullopt;
    const int count = GetMenuItemCount(menu);
    if (count <= 0) return std::nullopt;
    std::vector<std::wstring> texts;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

std::uint32_t PixelOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

namespace {

// `text` drawn in the menu font, `fg` on `bg`, cropped to the pixels the text touched.
std::optional<Pixels> RenderMenuText(const std::wstring& text, COLORREF fg, COLORREF bg) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return std::nullopt;
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC screenDc = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screenDc);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    Pixels px;
    px.width = extent.cx + 8;
    px.height = extent.cy + 8;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screenDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::optional<Pixels> result;
    if (dib) {
        HGDIOBJ oldBitmap = SelectObject(dc, dib);
        HBRUSH brush = CreateSolidBrush(bg);
        RECT all{0, 0, px.width, px.height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, fg);
        RECT at{4, 4, px.width, px.height};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at, DT_LEFT | DT_TOP | DT_SINGLELINE);
        GdiFlush();
        px.data.assign(static_cast<const std::uint32_t*>(bits),
                       static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(px.width) * px.height);
        SelectObject(dc, oldBitmap);
        DeleteObject(dib);
        const std::uint32_t back = PixelOf(bg);
        int left = px.width, right = -1, top = px.height, bottom = -1;
        for (auto& p : px.data) p &= 0x00FFFFFFu;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x)
                if (px.at(x, y) != back) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right >= 0) {
            Pixels cropped;
            cropped.width = right - left + 1;
            cropped.height = bottom - top + 1;
            for (int y = top; y <= bottom; ++y)
                for (int x = left; x <= right; ++x) cropped.data.push_back(px.at(x, y));
            result = std::move(cropped);
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
    ReleaseDC(nullptr, screenDc);
    return result;
}

std::optional<POINT> FindPattern(const Pixels& image, const Pixels& pattern) {
    for (int y = 0; y + pattern.height <= image.height; ++y)
        for (int x = 0; x + pattern.width <= image.width; ++x) {
            bool match = true;
            for (int py = 0; match && py < pattern.height; ++py)
                for (int px = 0; px < pattern.width; ++px)
                    if (image.at(x + px, y + py) != pattern.at(px, py)) {
                        match = false;
                        break;
                    }
            if (match) return POINT{x, y};
        }
    return std::nullopt;
}

}  // namespace

std::vector<int> FindMenuTexts(HWND menuWindow, const std::vector<std::wstring>& texts) {
    std::vector<int> tops(texts.size(), -1);
    WaitPainted(menuWindow);
    const auto image = Capture(menuWindow);
    if (!image) return tops;
    const std::pair<COLORREF, COLORREF> looks[] = {
        {GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_MENU)},
        {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)},
        {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_MENUHILIGHT)},
    };
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (const auto& [fg, bg] : looks)
            if (const auto pattern = RenderMenuText(texts[i], fg, bg))
                if (const auto at = FindPattern(*image, *pattern)) {
                    tops[i] = at->y;
                    break;
                }
    return tops;
}

std::optional<std::pair<int, int>> HighlightedBand(HWND menuWindow) {
    WaitPainted(menuWindow);
    const auto image = Capture(menuWindow);
    if (!image) return std::nullopt;
    const std::uint32_t marks[] = {PixelOf(GetSysColor(COLOR_HIGHLIGHT)), PixelOf(GetSysColor(COLOR_MENUHILIGHT))};
    int top = -1, bottom = -1;
    for (int y = 0; y < image->height; ++y) {
        int marked = 0;
        for (int x = 0; x < image->width; ++x)
            if (image->at(x, y) == marks[0] || image->at(x, y) == marks[1]) ++marked;
        if (marked * 2 > image->width) {
            if (top < 0) top = y;
            bottom = y + 1;
        }
    }
    if (top < 0) return std::nullopt;
    return std::make_pair(top, bottom);
}

void ChooseMenuEntry(int index) {
    // Home selects the first entry whatever the menu selected when it opened.
    PressKey(VK_HOME);
    for (int i = 0; i < index; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
}

// ---- screenshots ---------------------------------------------------------------------------

std::optional<Pixels> Capture(HWND hwnd) {
    RECT r = WindowRect(hwnd);
    RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT visible{};
    if (!IntersectRect(&visible, &r, &screen)) return std::nullopt;
    Pixels px;
    px.width = visible.right - visible.left;
    px.height = visible.bottom - visible.top;
    px.data.resize(static_cast<std::size_t>(px.width) * px.height);

    HDC screenDc = GetDC(nullptr);
    HDC memDc = CreateCompatibleDC(screenDc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screenDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib) {
        HGDIOBJ old = SelectObject(memDc, dib);
        ok = BitBlt(memDc, 0, 0, px.width, px.height, screenDc, visible.left, visible.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        if (ok) std::memcpy(px.data.data(), bits, px.data.size() * sizeof(std::uint32_t));
        SelectObject(memDc, old);
        DeleteObject(dib);
    }
    DeleteDC(memDc);
    ReleaseDC(nullptr, screenDc);
    if (!ok) return std::nullopt;
    for (auto& p : px.data) p &= 0x00FFFFFFu;
    return px;
}

bool WaitPainted(HWND hwnd) {
    const bool painted = WaitFor(
        [&] {
            if (GetUpdateRect(hwnd, nullptr, FALSE)) return false;
            bool pending = false;
            EnumChildWindows(
                hwnd,
                [](HWND child, LPARAM lp) -> BOOL {
                    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
                        *reinterpret_cast<bool*>(lp) = true;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&pending));
            return !pending;
        },
        kShortWait);
    // What was painted reaches the X server a moment later.
    Settle(200ms);
    return painted;
}

std::optional<std::filesystem::path> Screenshot(HWND hwnd, const std::wstring& name) {
    const auto dir = ArtifactsDir();
    if (dir.empty()) return std::nullopt;
    WaitPainted(hwnd);
    const auto px = Capture(hwnd);
    if (!px) return std::nullopt;
    const int stride = (px->width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = px->width;
    ih.biHeight = px->height;  // bottom-up, as most viewers expect
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = static_cast<DWORD>(stride * px->height);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::vector<std::uint8_t> out(fh.bfSize, 0);
    std::memcpy(out.data(), &fh, sizeof fh);
    std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
    for (int y = 0; y < px->height; ++y) {
        std::uint8_t* row = out.data() + fh.bfOffBits + static_cast<std::size_t>(px->height - 1 - y) * stride;
        for (int x = 0; x < px->width; ++x) {
            const std::uint32_t p = px->at(x, y);
            row[x * 3 + 0] = static_cast<std::uint8_t>(p);
            row[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
            row[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
        }
    }
    const auto file = dir / (name + L".bmp");
    if (!WriteFileBytes(file, out)) return std::nullopt;
    return file;
}

// ---- registry ------------------------------------------------------------------------------

std::vector<std::wstring> ClassesRootSubkeys(const std::wstring& keyPath) {
    std::vector<std::wstring> names;
    HKEY key = HKEY_CLASSES_ROOT;
    if (!keyPath.empty() && RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD chars = 512;
        if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, chars);
    }
    if (key != HKEY_CLASSES_ROOT) RegCloseKey(key);
    return names;
}

std::vector<std::wstring> ExtensionKeys() {
    std::vector<std::wstring> out;
    for (auto& name : ClassesRootSubkeys())
        if (!name.empty() && name[0] == L'.') out.push_back(name);
    return out;
}

bool RegExport(const std::wstring& key, const std::filesystem::path& file) {
    const auto code = RunAndWait(L"reg.exe export " + ft::QuoteArgument(key) + L" " + ft::QuoteArgument(file.wstring()) + L" /y");
    return code && *code == 0;
}

bool RegImport(const std::filesystem::path& file) {
    const auto code = RunAndWait(L"reg.exe import " + ft::QuoteArgument(file.wstring()), 5min);
    return code && *code == 0;
}

// ---- clipboard -----------------------------------------------------------------------------

void EmptyTheClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

std::optional<std::wstring> ClipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// ---- files -----------------------------------------------------------------------------------

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool FileComplete(const std::filesystem::path& file) {
    // Sharing only reading fails while any other handle may still write.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    CloseHandle(h);
    return size.QuadPart > 0;
}

std::vector<std::uint8_t> RegFileBytes(const std::vector<std::wstring>& lines) {
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    auto put = [&](wchar_t c) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    };
    for (const auto& line : lines) {
        for (wchar_t c : line) put(c);
        put(L'\r');
        put(L'\n');
    }
    return out;
}

}  // namespace probe
