// The program's entry: one instance per session, then the program.
#include <windows.h>

#include <commctrl.h>

#include "app/power_broadcast.h"
#include "base/language.h"
#include "dialogs/program.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"
#include "ui/win32/ui_win32.h"

namespace {

HINSTANCE instance;

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

HINSTANCE programInstance() { return instance ? instance : GetModuleHandleW(nullptr); }

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
    instance = module;
    win32RestrictDllSearch();
    // Once, before any window: the user's UI language, unless --lang says.
    Language language = languageOfLangId(GetUserDefaultUILanguage());
    languageOption(GetCommandLineA(), &language);
    setProgramLanguage(language);
    initSettingsRecords();
    showAgainMessage = RegisterWindowMessageW(L"Cellwarden.ShowAgain");
    if (anotherInstanceRuns()) {
        activateOtherInstance();
        return 0;
    }
    win32SetEndOfSessionSteps(endSessionSteps);
    // Standard controls, and the tips of setControlTip.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    return runProgram(GetCommandLineA());
}
