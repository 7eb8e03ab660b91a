// Shared by the files of the Win32 front end.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/front_end.h"

inline HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle toHandle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

// The tray registration of the main window: the shell sends the callback
// message with the icon's id and a mouse message.
constexpr UINT kTrayCallbackMessage = 0x8064;  // WM_APP + 0x64
constexpr UINT kTrayIconId = 12345;

// The module whose resources the program shows (its icons, its dialog
// templates): the executable, as WinMain was given it.
HINSTANCE programInstance();

// The page that stands in for a help file: its extension (after the last
// separator) replaced by ".html", or ".html" added. False when it would
// not fit `size` bytes with its terminator.
bool helpPagePath(const char* helpPath, char* out, size_t size);

// The file URL of a UTF-8 path ("C:\dir\x y.html" is
// "file:///C:/dir/x%20y.html", "\\host\x" is "file://host/x") with
// "#fragment" unless that is empty; bytes other than letters, digits and
// "-._~:/" escaped. False when it would not fit `size` bytes with its
// terminator.
bool fileUrl(const char* path, const char* fragment, char* out, size_t size);

// The message the shell broadcasts when it has restarted (its tray empty).
extern UINT taskbarCreatedMessage;

// What a second start asks of the first instance's main dialog: to be
// shown (registered by name, the same number in every process).
extern UINT showAgainMessage;

// The pictures of the dialog's picture controls go (it is being destroyed).
void releasePictures(HWND dialog);

// Shows the first instance's main dialog and brings it forward (a second
// start).
void activateOtherInstance();
