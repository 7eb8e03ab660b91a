// The Win32 side of the platform seam: the end of the session, which the
// front end hears and the platform layer must hear too while it waits for
// a program, and the text conversions every W call goes through. Included
// only by platform/win32/ and ui/win32/.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

// ----- the end of the session
//
// The user-interface thread hears no message while it waits for an event
// program, so the platform layer listens for the end of the session itself
// then. `steps` are the program's closing steps (the settings saved, the
// log closed, [STOP] and [END] run); the front end gives them before
// start-up, and they run once per run, from whichever hears the end first.
void win32SetEndOfSessionSteps(void (*steps)());

// The session ends (WM_ENDSESSION with its flag set): the steps, unless
// they ran already.
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

// Where the character that starts at text[pos] ends, by the rules of
// `codePage` (a resolved number, never CP_ACP); a broken sequence steps
// one byte at a time.
size_t nextCharacter(UINT codePage, const char* text, size_t length, size_t pos);

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
