// The program's entry: one instance per session, then the program.
#include <windows.h>

#include <commctrl.h>

#include "app/power_broadcast.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/program.h"
#include "platform/win32/win32_platform.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "ui/win32/ui_win32.h"

namespace {

HWND mainWindow() { return toHwnd(dialogFrames[kMainDialog].window); }

void redrawLogViewer() {
    HWND log = toHwnd(dialogFrames[kLogDialog].window);
    if (log)
        SendMessageW(log, WM_COMMAND, MAKEWPARAM(IDC_LOG_TEXT, kNotifyRefresh),
                     reinterpret_cast<LPARAM>(GetDlgItem(log, IDC_LOG_TEXT)));
}

void endMainDialog() {
    DialogFrame& frame = dialogFrames[kMainDialog];
    if (frame.window) endDialog(frame, frame.window);
}

void endSessionSteps() { onEndSession(1); }

// True when another instance holds the name; the mutex of the first one
// stays open until the process ends.
bool anotherInstanceRuns() {
    if (HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Cellwarden")) {
        CloseHandle(existing);
        return true;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Cellwarden");
    return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    win32RestrictDllSearch();
    initSettingsRecords();
    showAgainMessage = RegisterWindowMessageW(L"Cellwarden.ShowAgain");
    if (anotherInstanceRuns()) {
        activateOtherInstance();
        return 0;
    }
    win32Connect(instance, Win32FrontEnd{mainWindow, redrawLogViewer, endMainDialog, endSessionSteps});
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    return runProgram(GetCommandLineA());
}
