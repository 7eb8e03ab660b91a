// The dialog procedures, each a short switch that turns Windows'
// messages into the calls and events of dialogs/, and the opening and
// ending of dialog windows from their templates.
#include <windows.h>

#include <shellapi.h>

#include "app/power_broadcast.h"
#include "base/language.h"
#include "dialogs/controls.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/dialogs.h"
#include "dialogs/health_window.h"
#include "dialogs/main_dialog.h"
#include "monitor/presentation.h"
#include "platform/win32/win32_platform.h"
#include "resources/resource_ids.h"
#include "ui/win32/ui_win32.h"

UINT taskbarCreatedMessage;
UINT showAgainMessage;

namespace {

// Dialog procedures return whether they handled a message; a message with
// a result of its own carries it in DWLP_MSGRESULT.
INT_PTR withResult(HWND hwnd, intptr_t result) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// The notice with which the program asks a control of its own dialog to
// show its working-copy value: a command, as the system's notices are.
constexpr WORD kRefreshNotice = 0x1001;

// Posted when a dialog is made: handled, the loop has turned since.
constexpr UINT kSettledMessage = kTrayCallbackMessage + 1;

ControlEvent controlEventOf(WORD notice) {
    switch (notice) {
    case BN_CLICKED: return ControlEvent::Clicked;  // also a menu's command
    case EN_UPDATE: return ControlEvent::Edited;
    case kRefreshNotice: return ControlEvent::Refresh;
    default: return ControlEvent::Other;
    }
}

ActivationEvent activationOf(WPARAM wParam, LPARAM lParam) {
    const Activation how = LOWORD(wParam) == WA_CLICKACTIVE ? Activation::ByClick
                           : LOWORD(wParam) == WA_ACTIVE    ? Activation::Active
                                                            : Activation::Inactive;
    return ActivationEvent{how, HIWORD(wParam) != 0, toHandle(reinterpret_cast<HWND>(lParam))};
}

// The shell's callback of the tray icon: a mouse message over it.
void trayCallback(WindowHandle window, WPARAM iconId, LPARAM mouse) {
    if (iconId != kTrayIconId) return;
    switch (mouse) {
    case WM_LBUTTONDOWN: mainDialogTrayClicked(window, TrayClick::Left); break;
    case WM_RBUTTONDOWN: mainDialogTrayClicked(window, TrayClick::Right); break;
    case WM_LBUTTONDBLCLK: mainDialogTrayClicked(window, TrayClick::Double); break;
    default: break;
    }
}

// Nothing registers as a drop target; a drop that arrives is released.
INT_PTR releaseDrop(WPARAM drop) {
    wchar_t name[261];
    DragQueryFileW(reinterpret_cast<HDROP>(drop), 0, name, 261);
    DragFinish(reinterpret_cast<HDROP>(drop));
    return TRUE;
}

// What every dialog does with the messages they share.
INT_PTR sharedMessage(DialogId dialog, HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    WindowHandle window = toHandle(hwnd);
    switch (message) {
    case WM_INITDIALOG: {
        INT_PTR result = dialogInit(dialog, window);
        PostMessageW(hwnd, kSettledMessage, 0, 0);
        return result;
    }
    case kSettledMessage: dialogSettled(dialog, window); return TRUE;
    case WM_COMMAND: return dialogCommand(dialog, window, LOWORD(wParam), controlEventOf(HIWORD(wParam)));
    case WM_MOVE: dialogMoved(dialog, window); return FALSE;
    case WM_SIZE: dialogSized(dialog, window); return FALSE;
    case WM_DESTROY:
        dialogDestroyed(dialog, window);
        releasePictures(hwnd);
        return FALSE;
    case WM_LBUTTONDOWN: dialogClicked(window); return FALSE;
    case WM_DROPFILES: return releaseDrop(wParam);
    default: return FALSE;
    }
}

INT_PTR CALLBACK mainDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowHandle window = toHandle(hwnd);
    switch (message) {
    case WM_ACTIVATE: mainDialogActivated(window, activationOf(wParam, lParam)); return FALSE;
    case WM_SYSCOMMAND:
        mainDialogSysCommand(window, static_cast<uint32_t>(wParam));
        return !IsWindow(hwnd);  // the system's handling follows unless it was the exit
    case kTrayCallbackMessage: trayCallback(window, wParam, lParam); return TRUE;
    case WM_POWERBROADCAST: return withResult(hwnd, onPowerBroadcast(static_cast<uint32_t>(wParam)));
    case WM_ENDSESSION:
        if (wParam) win32EndSession();
        return withResult(hwnd, 0);
    default:
        // The shell restarted: the icon is registered again at the next refresh.
        if (message == taskbarCreatedMessage && message != 0) forgetTrayIcon();
        if (message == showAgainMessage && message != 0) {
            showMainWindowAgain();
            return TRUE;
        }
        return sharedMessage(kMainDialog, hwnd, message, wParam, lParam);
    }
}

INT_PTR CALLBACK soundDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return sharedMessage(kSoundDialog, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK logViewerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return sharedMessage(kLogDialog, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK healthWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return sharedMessage(kHealthDialog, hwnd, message, wParam, lParam);
}

struct DialogClass {
    const wchar_t* templateName;
    DLGPROC procedure;
};

const DialogClass kDialogs[kDialogCount] = {
    {L"VMID_Dlg_Main", mainDialogProc},
    {L"VMID_Dlg_Sound", soundDialogProc},
    {L"VMID_Dlg_Log", logViewerProc},
    {L"VMID_Dlg_Health", healthWindowProc},
};

const DLGTEMPLATE* findTemplate(DialogId dialog) {
    HINSTANCE instance = programInstance();
    // The chosen language's template, whatever the thread's UI language.
    const WORD language = programLanguage() == Language::English ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                                                                 : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    HRSRC found = FindResourceExW(instance, MAKEINTRESOURCEW(5), kDialogs[dialog].templateName, language);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// The window of a modal run without owner, which runs its own loop.
HWND ownLoopWindow;
bool ownLoopEnded;

// A dialog without owner is created modeless and runs this loop until it
// ends: the system's modal loop would show it normal once idle, although
// it starts minimised. The keys of the log viewer and the health window go
// to them as well.
void runOwnLoop(const DLGTEMPLATE* dialogTemplate, DLGPROC procedure) {
    HWND hwnd = CreateDialogIndirectParamW(programInstance(), dialogTemplate, nullptr, procedure, 0);
    if (!hwnd) return;
    ownLoopWindow = hwnd;
    ownLoopEnded = false;
    MSG message;
    while (IsWindow(hwnd) && !ownLoopEnded) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        HWND log = toHwnd(dialogFrames[kLogDialog].window);
        if (log && IsDialogMessageW(log, &message)) continue;
        HWND health = toHwnd(dialogFrames[kHealthDialog].window);
        if (health && IsDialogMessageW(health, &message)) continue;
        if (IsWindow(hwnd) && IsDialogMessageW(hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    ownLoopWindow = nullptr;
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

}  // namespace

uint32_t dialogTemplateStyle(DialogId dialog) {
    const DLGTEMPLATE* found = findTemplate(dialog);
    if (!found) return 0;
    DWORD first;
    memcpy(&first, found, sizeof first);
    // An extended template starts with its version and signature.
    if (first == 0xFFFF0001) memcpy(&first, reinterpret_cast<const BYTE*>(found) + 12, sizeof first);
    return first;
}

void runModalDialog(DialogId dialog, WindowHandle owner) {
    const DLGTEMPLATE* found = findTemplate(dialog);
    if (!found) return;
    if (!owner) runOwnLoop(found, kDialogs[dialog].procedure);
    else DialogBoxIndirectParamW(programInstance(), found, toHwnd(owner), kDialogs[dialog].procedure, 0);
}

WindowHandle createModelessDialog(DialogId dialog, WindowHandle owner) {
    const DLGTEMPLATE* found = findTemplate(dialog);
    if (!found) return 0;
    return toHandle(
        CreateDialogIndirectParamW(programInstance(), found, toHwnd(owner), kDialogs[dialog].procedure, 0));
}

void endModalDialog(WindowHandle window, int result) {
    HWND hwnd = toHwnd(window);
    if (hwnd == ownLoopWindow) {
        ownLoopEnded = true;
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    EndDialog(hwnd, result);
}

void destroyDialogWindow(WindowHandle window) { DestroyWindow(toHwnd(window)); }

// ---------------------------------------------------------------- front-end seam

WindowHandle frontEndMainWindow() { return mainDialogWindow(); }

// As the log viewer's own refresh request: a command of its edit.
void frontEndRedrawLogViewer() {
    HWND log = toHwnd(dialogFrames[kLogDialog].window);
    if (log)
        SendMessageW(log, WM_COMMAND, MAKEWPARAM(IDC_LOG_TEXT, kRefreshNotice),
                     reinterpret_cast<LPARAM>(GetDlgItem(log, IDC_LOG_TEXT)));
}

void frontEndEndMainDialog() { endMainDialog(); }

void frontEndRefreshHealthWindow() { refreshHealthWindow(); }
