// What the front end tells the platform layer: its instance and its windows.
#include "platform/win32/win32_internal.h"

namespace {

HINSTANCE programInstance;
Win32FrontEnd frontEnd;

}  // namespace

void win32Connect(HINSTANCE instance, const Win32FrontEnd& hooks) {
    programInstance = instance;
    frontEnd = hooks;
}

HINSTANCE win32Instance() { return programInstance ? programInstance : GetModuleHandleW(nullptr); }

HWND liveWindow(WindowHandle window) {
    HWND handle = reinterpret_cast<HWND>(window);
    return handle && IsWindow(handle) ? handle : nullptr;
}

HWND ownerWindow() { return liveWindow(platformMainWindow()); }

WindowHandle platformMainWindow() {
    return frontEnd.mainWindow ? reinterpret_cast<WindowHandle>(frontEnd.mainWindow()) : 0;
}

void platformRedrawLogViewer() {
    if (frontEnd.redrawLogViewer) frontEnd.redrawLogViewer();
}

void runFrontEndSessionEnd() {
    if (frontEnd.endSession) frontEnd.endSession();
}

void platformEndMainDialog() {
    if (frontEnd.endMainDialog) frontEnd.endMainDialog();
}
