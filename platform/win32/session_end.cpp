// The end of the session while the user-interface thread waits for an event
// program. That thread handles no message meanwhile, so Windows' notices of
// the end would find it deaf and the steps would be lost when the process
// is ended. A hidden window on a thread of its own hears them instead: it
// wakes the wait, which runs the steps on the user-interface thread, and
// answers only once they are done.
#include "platform/win32/win32_internal.h"

namespace {

HANDLE heard;      // auto-reset: the watcher heard the end of the session
HANDLE stepsDone;  // manual-reset: the steps have run
bool stepsBegun;   // user-interface thread only
void (*endOfSessionSteps)();

LRESULT CALLBACK watcherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION) {
        // The process may be ended as soon as this returns.
        if (wParam) {
            SetEvent(heard);
            WaitForSingleObject(stepsDone, INFINITE);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD WINAPI watcherThread(void* ready) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = watcherProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CellwardenSessionEnd";
    // Top-level and never shown: the end of the session reaches every
    // top-level window, a message-only one would not hear it.
    HWND window = RegisterClassW(&windowClass)
                      ? CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        windowClass.hInstance, nullptr)
                      : nullptr;
    SetEvent(static_cast<HANDLE>(ready));
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

}  // namespace

HANDLE sessionEndEvent() {
    static bool tried;
    if (tried) return heard;
    tried = true;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    heard = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    stepsDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = ready && heard && stepsDone ? CreateThread(nullptr, 0, watcherThread, ready, 0, nullptr) : nullptr;
    if (thread) {
        // Listening before the first program starts.
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(thread);
    } else if (heard) {
        CloseHandle(heard);
        heard = nullptr;
    }
    if (ready) CloseHandle(ready);
    return heard;
}

void win32SetEndOfSessionSteps(void (*steps)()) { endOfSessionSteps = steps; }

void win32EndSession() {
    // Heard twice (the main dialog and the watcher, or a wait inside the
    // steps themselves): the steps run once.
    if (stepsBegun) return;
    stepsBegun = true;
    if (endOfSessionSteps) endOfSessionSteps();
    if (stepsDone) SetEvent(stepsDone);
}
