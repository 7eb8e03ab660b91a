// Helpers shared by the files of the Win32 platform layer; nothing outside
// platform/win32/ includes this.
#pragma once

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

// Loads a DLL that ships with the system from the system directory only,
// whatever the search order of the process; null when it cannot.
HMODULE loadSystemLibrary(const wchar_t* name);

// Raised when the end of the session came while the user-interface thread
// was busy; the first call starts the thread that listens for it. Null when
// it cannot be had.
HANDLE sessionEndEvent();
