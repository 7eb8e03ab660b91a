// Shared by the files of the Win32 front end.
#pragma once

#include <windows.h>

#include "platform/platform.h"

inline HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle toHandle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

// The message the shell broadcasts when it has restarted (its tray empty).
extern UINT taskbarCreatedMessage;

// What a second start asks of the first instance's main dialog: to be
// shown (registered by name, the same number in every process).
extern UINT showAgainMessage;

// Shows the first instance's main dialog and brings it forward (a second
// start).
void activateOtherInstance();
