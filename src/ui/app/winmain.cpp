// Entry point: the main window is the start-up window; everything runs on this one thread.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/common/window.h"
#include "ui/main/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // The shell's file information and its hand-off of the web page expect COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int exitCode = 1;  // unless the main window comes up and the message loop ends normally
    {
        ft::ui::MainWindow main(showCommand);
        if (main.Create()) {
            main.Load();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) ft::ui::DispatchWithDialogKeys(msg);
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
