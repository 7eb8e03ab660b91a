// The Win32 side of the platform seam: what the front end tells the
// platform layer about its windows, and the text conversions every W call
// goes through. Included only by platform/win32/ and ui/win32/.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

// The tray registration of the main window.
constexpr UINT kTrayCallbackMessage = 0x8064;  // WM_APP + 0x64
constexpr UINT kTrayIconId = 12345;

// Set once by the front end before start-up; each hook may be called at
// any time after that, also before the main dialog exists.
struct Win32FrontEnd {
    HWND (*mainWindow)();       // the main dialog, or null while it does not exist
    void (*redrawLogViewer)();  // redraw an open log viewer from the log ring
    void (*endMainDialog)();    // end the main dialog (the program then shuts down)
    void (*endSession)();       // the end-of-session steps (WM_ENDSESSION with its flag set)
};

void win32Connect(HINSTANCE instance, const Win32FrontEnd& frontEnd);
HINSTANCE win32Instance();

// The session ends (WM_ENDSESSION with its flag set): the front end's
// end-of-session steps, once per run. The wait for an event program calls
// it too when the session ends meanwhile.
void win32EndSession();

// First thing in the entry: DLLs are loaded from the system directory
// only, never from the program's own (often a downloads folder), where the
// system offers that.
void win32RestrictDllSearch();

// ----- text at the W API
//
// The program keeps paths, settings and log lines as bytes in the system
// code page (CP_ACP) and its interface texts in UTF-8 (CP_UTF8). Each is
// widened from what it is. Both are bounded: the result is cut to fit
// `count` wide characters including the terminator and always terminated.
void widenFromCodePage(const char* text, wchar_t* out, size_t count);
void widenFromUtf8(const char* text, wchar_t* out, size_t count);

// Back to the system code page, for names the user picked. False (and an
// empty result) when a character has no code-page form or the result does
// not fit: such a name could not be stored or opened again.
bool narrowToCodePage(const wchar_t* text, char* out, size_t size);

template <size_t N>
void widenFromCodePage(const char* text, wchar_t (&out)[N]) { widenFromCodePage(text, out, N); }
template <size_t N>
void widenFromUtf8(const char* text, wchar_t (&out)[N]) { widenFromUtf8(text, out, N); }

// Copies `text` into out cut to fit `size` bytes with its terminator,
// never splitting a character of the system code page.
void copyCodePageText(char* out, size_t size, const char* text);

// GetProcAddress for a function of a known type, looked up at run time
// because older systems lack it.
template <typename Function>
Function procAddress(HMODULE module, const char* name) {
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    Function function;
    static_assert(sizeof function == sizeof proc);
    memcpy(&function, &proc, sizeof function);
    return function;
}
