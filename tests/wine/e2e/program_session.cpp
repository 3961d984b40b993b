#include "program_session.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "support/reg_file.h"

namespace e2e {

using namespace std::chrono_literals;

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE MinimumWindowSize() { return SIZE{MulDiv(7440, ScreenDpi(), 1440), MulDiv(5010, ScreenDpi(), 1440)}; }

::testing::AssertionResult ClientAreaScaled(HWND window, SIZE at96Dpi, SIZE atLeast) {
    RECT client{};
    GetClientRect(window, &client);
    const int dpi = ScreenDpi();
    const SIZE expected{std::max<LONG>(MulDiv(at96Dpi.cx, dpi, 96), atLeast.cx),
                        std::max<LONG>(MulDiv(at96Dpi.cy, dpi, 96), atLeast.cy)};
    if (std::abs(client.right - expected.cx) <= 2 && std::abs(client.bottom - expected.cy) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "client area " << client.right << " x " << client.bottom << " at " << dpi
                                         << " dpi, expected " << expected.cx << " x " << expected.cy;
}

namespace {

using probe::Utf8;

// Text values that the registry editor cannot import byte for byte (Wine's completes text of
// an odd size or without its NUL), written again from the odd-values fixture's own bytes
// before any test runs. Only the values the program reads are concerned: the default value
// and "Content Type" of every key of the fixture.
class ExactTextValues : public ::testing::Environment {
public:
    void SetUp() override {
        ft::MemoryRegistry fixture;
        try {
            ft::LoadRegFile(FixturePath().parent_path() / L"odd_values.reg", fixture);
        } catch (const std::exception& e) {
            FAIL() << "odd_values.reg: " << e.what();
        }
        Rewrite(fixture, L"");
    }

private:
    // False once a key of the fixture is missing from the registry: it was not imported.
    static bool Rewrite(ft::MemoryRegistry& fixture, const std::wstring& path) {
        ft::RegKey key = 0;
        if (fixture.OpenKey(ft::kClassesRoot, path.c_str(), &key) != ft::kRegSuccess) return true;
        for (const wchar_t* name : {L"", L"Content Type"}) {
            std::uint32_t type = 0, size = 0;
            if (path.empty() || fixture.QueryValue(key, name, &type, nullptr, &size) != ft::kRegSuccess) continue;
            if (type != ft::kRegSz && type != ft::kRegExpandSz) continue;
            // Two bytes that are no NUL after the data: otherwise RegSetValueExW adds the NUL
            // that the value lacks, as Windows does too.
            std::vector<std::uint8_t> data(size + 2, 'X');
            fixture.QueryValue(key, name, &type, data.data(), &size);
            HKEY target = nullptr;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &target) !=
                ERROR_SUCCESS) {
                ADD_FAILURE() << "no key " << Utf8(path) << ": is tests/fixtures/odd_values.reg imported?";
                fixture.CloseKey(key);
                return false;
            }
            EXPECT_EQ(RegSetValueExW(target, name, 0, type, data.data(), size), ERROR_SUCCESS) << Utf8(path);
            DWORD stored = 0;
            RegQueryValueExW(target, name, nullptr, nullptr, nullptr, &stored);
            EXPECT_EQ(stored, size) << "value " << Utf8(name) << " of " << Utf8(path) << " was not stored as is";
            RegCloseKey(target);
        }
        std::vector<std::wstring> subkeys;
        for (std::uint32_t i = 0;; ++i) {
            wchar_t name[260];
            std::uint32_t chars = 260;
            if (fixture.EnumKey(key, i, name, &chars) != ft::kRegSuccess) break;
            subkeys.emplace_back(name, chars);
        }
        fixture.CloseKey(key);
        for (const auto& subkey : subkeys)
            if (!Rewrite(fixture, path.empty() ? subkey : path + L"\\" + subkey)) return false;
        return true;
    }
};

[[maybe_unused]] ::testing::Environment* const kExactTextValues =
    ::testing::AddGlobalTestEnvironment(new ExactTextValues);

}  // namespace

ProgramSession::ProgramSession(const std::wstring& tag, std::optional<WORD> showWindow) : dir_(tag) {
    const std::wstring exe = probe::ProgramPath();
    if (exe.empty()) {
        failure_ = "FT_EXE is not set";
        return;
    }
    DWORD error = 0;
    const auto start = std::chrono::steady_clock::now();
    app_ = probe::App::Launch(exe, dir_.path(), showWindow, &error);
    if (!app_) {
        failure_ = Utf8(L"the program could not be started: error " + std::to_wstring(error) + L" (" +
                        probe::ErrorText(error) + L"), program " + exe + L", working directory " +
                        dir_.path().wstring() + (std::filesystem::is_directory(dir_.path()) ? L"" : L" (missing)"));
        return;
    }
    main_ = app_->WaitMainReady();
    if (main_) list_ = probe::ChildById(main_, kIdFileList);
    if (list_) return;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const std::wstring after = L" " + std::to_wstring(waited.count()) + L" ms after its start";
    if (const auto code = app_->ExitCode()) {
        failure_ = Utf8(L"the program (pid " + std::to_wstring(app_->pid()) + L") ended" + after + L" with " +
                        probe::DescribeExit(*code));
    } else if (main_) {
        failure_ = Utf8(L"the main window has no list (control id " + std::to_wstring(kIdFileList) + L")" + after);
    } else {
        failure_ = Utf8(L"no main window titled \"" + kTitlePrefix + L"...\" was shown" + after +
                        L"; the program is still running");
    }
}

::testing::AssertionResult ProgramSession::ready() const {
    if (main_ && list_) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure_;
}

ProgramSession::~ProgramSession() {
    if (app_) app_->Close();
}

bool ProgramSession::ClickRow(const std::wstring& extension) {
    auto lv = list();
    const int row = lv.Find(extension);
    if (row < 0) return false;
    probe::MakeForeground(main_);
    const auto rect = lv.ItemRectOnScreen(row);
    if (!rect) return false;
    probe::LeftClick(probe::Center(*rect));
    return probe::WaitFor([&] { return lv.Selected() == row; }, probe::kShortWait);
}

bool ProgramSession::ArrowToRow(const std::wstring& extension) {
    auto lv = list();
    const int target = lv.Find(extension);
    int current = lv.Selected();
    if (target < 0 || current < 0) return false;
    probe::MakeForeground(main_);
    while (current != target) {
        const int before = current;
        probe::PressKey(target > current ? VK_DOWN : VK_UP);
        if (!probe::WaitFor([&] { return (current = lv.Selected()) != before; }, probe::kShortWait)) return false;
    }
    return true;
}

void ProgramSession::MakeMainForegroundAndDrawn() const {
    probe::MakeForeground(main_);
    for (HWND hwnd : probe::TopLevelWindows(app_->pid()))
        if (IsWindowVisible(hwnd)) probe::WaitPainted(hwnd);
}

HWND ProgramSession::OpenMenuWithMouse() {
    auto lv = list();
    MakeMainForegroundAndDrawn();
    const int selected = lv.Selected();
    std::optional<RECT> at;
    if (selected >= 0) at = lv.ItemRectOnScreen(selected);
    if (!at) at = probe::ClientRectOnScreen(list_);
    probe::RightClick(probe::Center(*at));
    HWND menu = nullptr;
    probe::WaitFor([&] { return (menu = app_->PopupMenu()) != nullptr; }, probe::kShortWait);
    return menu;
}

HWND ProgramSession::OpenMenuWithKeyboard(bool shiftF10) {
    // The keys go to the focus window; the caller has clicked a row, which puts it on the list.
    MakeMainForegroundAndDrawn();
    if (shiftF10) probe::PressKey(VK_F10, {VK_SHIFT});
    else probe::PressKey(VK_APPS);
    HWND menu = nullptr;
    probe::WaitFor([&] { return (menu = app_->PopupMenu()) != nullptr; }, probe::kShortWait);
    return menu;
}

std::optional<POINT> ProgramSession::BlankSpotBelowRows() {
    auto lv = list();
    const int count = lv.Count();
    if (count > 0) {
        const auto first = lv.ItemRectOnScreen(0);
        if (!first) return std::nullopt;
        const RECT window = probe::WindowRect(main_);
        const int wanted = window.bottom - window.top + (first->bottom - first->top) * (count + 4);
        // From the top of the screen, so that the whole screen's height is there to grow into.
        const int height = std::min<int>(wanted, GetSystemMetrics(SM_CYSCREEN) - 10);
        if (height > window.bottom - window.top)
            SetWindowPos(main_, nullptr, window.left, 0, window.right - window.left, height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const RECT client = probe::ClientRectOnScreen(list_);
    int rowsEnd = client.top;
    if (count > 0) {
        const auto last = lv.ItemRectOnScreen(count - 1);
        if (!last) return std::nullopt;
        rowsEnd = last->bottom;
    }
    if (rowsEnd + 20 >= client.bottom) return std::nullopt;
    return POINT{(client.left + client.right) / 2, (rowsEnd + client.bottom) / 2};
}

void ProgramSession::MoveAside(HWND window) const {
    const RECT m = probe::WindowRect(main_);
    SetWindowPos(main_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window, nullptr, m.right - m.left + 10, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND ProgramSession::RunMenuEntry(MenuEntry entry, const wchar_t* windowClass) {
    if (!OpenMenuWithMouse()) return nullptr;
    probe::ChooseMenuEntry(entry);
    return WaitShown(*app_, windowClass);
}

std::wstring ProgramSession::RowTip(int position, int column, const std::wstring& expected) {
    auto lv = list();
    SendMessageW(list_, LVM_ENSUREVISIBLE, position, FALSE);
    const auto cell = lv.CellRectOnScreen(position, column);
    if (!cell) return L"<no cell>";
    probe::MoveMouse(probe::Center(*cell));
    std::wstring tip;
    probe::WaitFor([&] { return (tip = ShownTooltipText(*app_)) == expected; }, probe::kShortWait);
    return tip;
}

Ink ProgramSession::RowInk(int position) {
    auto lv = list();
    if (const auto header = lv.HeaderItemRectOnScreen(0)) probe::MoveMouse(probe::Center(*header));
    probe::WaitFor([&] { return ShownTooltipText(*app_).empty(); }, probe::kShortWait);
    probe::WaitPainted(main_);
    return InkOfCell(lv, position);
}

HWND WaitShown(const probe::App& app, const wchar_t* className) {
    HWND shown = nullptr;
    probe::WaitFor(
        [&] {
            // The program activates each window it shows: the showing ends with the activation.
            for (HWND hwnd : probe::TopLevelWindowsOfClass(app.pid(), className))
                if (IsWindowVisible(hwnd) && probe::ActiveInItsThread(hwnd)) {
                    shown = hwnd;
                    return true;
                }
            return false;
        },
        probe::kShortWait);
    return shown;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool Above(HWND upper, HWND lower) {
    for (HWND hwnd = GetWindow(lower, GW_HWNDPREV); hwnd; hwnd = GetWindow(hwnd, GW_HWNDPREV))
        if (hwnd == upper) return true;
    return false;
}

std::wstring ShownTooltipText(const probe::App& app) {
    for (HWND hwnd : probe::TopLevelWindowsOfClass(app.pid(), L"tooltips_class32"))
        if (IsWindowVisible(hwnd)) return probe::TextOf(hwnd);
    return {};
}

Ink InkOfCell(const probe::RemoteListView& list, int row) {
    Ink ink;
    const auto cell = list.CellRectOnScreen(row, 0);
    const auto pixels = probe::Capture(list.hwnd());
    if (!cell || !pixels) return ink;
    const RECT placed = probe::WindowRect(list.hwnd());
    for (int y = cell->top - placed.top; y < cell->bottom - placed.top; ++y)
        for (int x = cell->left - placed.left; x < cell->right - placed.left; ++x) {
            const std::uint32_t p = pixels->at(x, y);
            const int sum = static_cast<int>((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF));
            ink.darkest = std::min(ink.darkest, sum);
            ink.count += sum < 3 * 128;
        }
    return ink;
}

int GrayTextSum() { return 3 * GetRValue(GetSysColor(COLOR_GRAYTEXT)); }

std::vector<VerbExpectation> ExpectedVerbs(const std::wstring& typeKey,
                                           const std::map<std::wstring, VerbExpectation>& byVerbName) {
    std::vector<VerbExpectation> rows;
    for (const auto& verb : probe::ClassesRootSubkeys(typeKey + L"\\shell")) {
        const auto it = byVerbName.find(verb);
        rows.push_back(it == byVerbName.end() ? VerbExpectation{L"<unexpected verb " + verb + L">", L""} : it->second);
    }
    return rows;
}

std::filesystem::path FixturePath() {
    // The fixture lies beside the test sources: tests/fixtures/e2e.reg.
    const std::filesystem::path source = probe::DosPath(std::filesystem::path(__FILE__).wstring());
    return source.parent_path().parent_path().parent_path() / L"fixtures" / L"e2e.reg";
}

std::optional<std::wstring> DumpOfRegFile(const std::filesystem::path& file, std::wstring* error) {
    try {
        ft::MemoryRegistry registry;
        ft::LoadRegFile(file, registry);
        return registry.Dump();
    } catch (const std::exception& e) {
        if (error) {
            const std::string what = e.what();
            *error = std::wstring(what.begin(), what.end());
        }
        return std::nullopt;
    }
}

std::optional<std::wstring> DumpOfFixtureKey(const std::wstring& keyName, std::wstring* error) {
    try {
        ft::MemoryRegistry registry;
        ft::LoadRegFile(FixturePath(), registry);
        std::vector<std::wstring> others;
        for (std::uint32_t i = 0;; ++i) {
            wchar_t name[512];
            std::uint32_t chars = 512;
            if (registry.EnumKey(ft::kClassesRoot, i, name, &chars) != ft::kRegSuccess) break;
            std::wstring n(name, chars);
            if (_wcsicmp(n.c_str(), keyName.c_str()) != 0) others.push_back(n);
        }
        for (const auto& n : others) registry.DeleteKey(n);
        return registry.Dump();
    } catch (const std::exception& e) {
        if (error) {
            const std::string what = e.what();
            *error = std::wstring(what.begin(), what.end());
        }
        return std::nullopt;
    }
}

}  // namespace e2e
