#include "program_session.h"

#include <algorithm>
#include <cstdlib>

#include "registry/reg_file.h"

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

ProgramSession::ProgramSession(const std::wstring& tag, std::optional<WORD> showWindow) : dir_(tag) {
    const std::wstring exe = probe::ProgramPath();
    if (exe.empty()) return;
    app_ = probe::App::Launch(exe, dir_.path(), showWindow);
    if (!app_) return;
    main_ = app_->WaitMainReady();
    if (main_) list_ = probe::ChildById(main_, kIdFileList);
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

HWND ProgramSession::OpenMenuWithMouse() {
    auto lv = list();
    probe::MakeForeground(main_);
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
    probe::MakeForeground(main_);
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
        const int height = std::min<int>(wanted, GetSystemMetrics(SM_CYSCREEN) - window.top - 10);
        if (height > window.bottom - window.top)
            SetWindowPos(main_, nullptr, 0, 0, window.right - window.left, height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

HWND WaitShown(const probe::App& app, const wchar_t* className) {
    HWND shown = nullptr;
    probe::WaitFor(
        [&] {
            for (HWND hwnd : probe::TopLevelWindowsOfClass(app.pid(), className))
                if (IsWindowVisible(hwnd)) {
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
