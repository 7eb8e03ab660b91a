// Shared by the files of the Win32 front end.
#pragma once

#include <windows.h>

#include "platform/platform.h"

inline HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle toHandle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

// The message the shell broadcasts when it has restarted (its tray empty).
extern UINT taskbarCreatedMessage;

// Brings the first instance's main dialog forward (a second start).
void activateOtherInstance();
