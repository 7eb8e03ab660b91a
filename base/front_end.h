// What the core asks of the screen: the one seam between the program and
// whatever draws it. Each front end defines every function here (ui/win32/
// for Windows, ui/qt/ for Linux, ui/sim/ for the tests and the replay
// tool); the core calls them and nothing else of the screen. What the
// operating system provides (clock, power, files, timers, sound, programs)
// is the other seam, platform/platform.h.
//
// Everything is called on the one user-interface thread, at any time after
// start-up began, also before the main dialog exists. Texts are bytes in
// the system code page where they are the user's or the status (captions,
// tips, paths) and UTF-8 where they are the program's own words (message
// boxes).
#pragma once

#include <cstdint>

// Windows are opaque handles; 0 is "no window".
using WindowHandle = uintptr_t;

// ---------------------------------------------------------------- the main window
//
// The main dialog's window carries the status: its caption and taskbar
// button, its class icon. Every call addresses the window it is given and
// does nothing for 0 or for a window that is gone.

// The main dialog's window, or 0 while it does not exist.
WindowHandle frontEndMainWindow();

// The window's title (and so its taskbar button's text).
void frontEndSetCaption(WindowHandle window, const char* text);

// Icon resource `iconId` (1..13) in the title bar and on the taskbar button.
void frontEndSetClassIcon(WindowHandle window, int iconId);

// Minimised and still on the taskbar: the state in which the status hides
// the window behind its tray icon.
bool frontEndIsMinimisedAndVisible(WindowHandle window);

// Hides the window, which takes its button off the taskbar.
void frontEndHideWindow(WindowHandle window);

// Ends the main dialog, which ends the program through its shutdown;
// nothing when it is not open.
void frontEndEndMainDialog();

// ---------------------------------------------------------------- the tray icon
//
// One icon in the desktop's notification area, registered under the main
// window, showing icon resource `iconId` with `tip` (at most 63 bytes are
// shown). Its clicks reach the main dialog as the front end's own events.
// Add and modify return whether the desktop shows the icon now: a desktop
// without a tray says no, and the core adds it again when the front end
// reports a new tray (forgetTrayIcon in monitor/presentation.h).
bool frontEndTrayAdd(WindowHandle window, int iconId, const char* tip);
bool frontEndTrayModify(WindowHandle window, int iconId, const char* tip);
// Takes the icon away, also after the window is gone.
void frontEndTrayDelete(WindowHandle window);

// ---------------------------------------------------------------- messages
//
// Boxes owned by the main window (modal to it alone), returning when the
// user has answered. Text and caption are UTF-8.

// A question with Yes and No; true only for Yes.
bool frontEndAskYesNo(const char* text, const char* caption);

// A message with an OK button and the information icon.
void frontEndShowMessage(const char* text, const char* caption);

// The charge reached the full threshold (`full`) or fell to the low one,
// the moment its alert sounds: where the desktop shows notifications, one
// says so. Returns at once; nothing where none are shown.
void frontEndNotifyAlert(bool full, int32_t percent);

// ---------------------------------------------------------------- help
//
// Opens the help file `path` (program directory, base name, ".HLP") at its
// contents, or where the system has no viewer for that format the page of
// the same name with the extension ".html", at the part in the program's
// language (the fragment languageName names). Nothing is reported when
// neither can be shown.
void frontEndOpenHelp(const char* path);

// ---------------------------------------------------------------- the log viewer
//
// A line was added to the log ring: an open log viewer redraws itself from
// it before this returns; nothing when none is open.
void frontEndRedrawLogViewer();

// ---------------------------------------------------------------- the health window
//
// A reading of the batteries' health was taken: an open health window
// shows it before this returns; nothing when none is open.
void frontEndRefreshHealthWindow();
