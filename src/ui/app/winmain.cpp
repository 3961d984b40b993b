// Entry point and the one place where the back ends are chosen: the Win32 registry, the shell's
// icons, the launcher and the file system, lent to the main window, which is the start-up
// window. Everything runs on this one thread.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "icons/shell_icons.h"
#include "platform/association_lookups.h"
#include "platform/platform_services.h"
#include "platform/unique_handle.h"
#include "registry/win32_registry.h"
#include "ui/common/event_guard.h"
#include "ui/common/window.h"
#include "ui/main/main_window.h"

#ifdef FT_ROW_TIMING
#include "bench/row_timer.h"  // the start-up benchmark's own build only
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // A drive without media answers a file check with an error, not with the system's "no disk"
    // message box, which would hold the window until someone answered it.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    // The shell's file information and its hand-off of the web page expect COM on this thread.
    const ft::UniqueComInit com = ft::InitializeCom(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int exitCode = 1;  // unless the main window comes up and the message loop ends normally
    {
        ft::Win32Registry registry;
        ft::ShellIcons shellIcons;
        ft::Win32ProcessLauncher launcher;
        ft::Win32FileSystem files;
        ft::Win32ShellLookups lookups;
        ft::Win32AssociationLookups associations;
#ifdef FT_ROW_TIMING
        ft::bench::RowTimer rowTimer;
        ft::ScanStepTimer* const stepTimer = &rowTimer;
        shellIcons.SetStepTimer(stepTimer);
#else
        ft::ScanStepTimer* const stepTimer = nullptr;
#endif
        ft::SteadyClock clock;
        ft::ui::MainWindow main({registry, shellIcons, launcher, files, lookups, associations, clock, stepTimer}, showCommand);
        // The window procedures stop what their messages throw; this stops what building the
        // windows throws, before any message runs.
        const auto failure = ft::Guarded(L"start-up", [&] {
            if (!main.Create()) return;
            main.Load();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) ft::ui::DispatchWithDialogKeys(msg);
            exitCode = static_cast<int>(msg.wParam);
        });
        if (failure) ft::ui::TellUser(nullptr, L"程序出错，无法继续：" + *failure);
    }
    return exitCode;
}
