// The main settings dialog: the program's only top-level window. It edits
// the main dialog's working copy, answers the tray icon, and reaches the
// sound dialog, the log viewer, help, the version box and the exit.
#pragma once

#include <cstdint>

#include "base/front_end.h"

// The six entries of each display-item list, by item code.
extern const char* const kDisplayItemNames[6];

// Back to the state at program start: the first initialisation to come.
void resetMainDialog();

// WM_INITDIALOG; the first one in a run also makes the window the owner
// of all others, extends its menu and runs the start-up programs.
intptr_t mainDialogInit(WindowHandle window);

// WM_ACTIVATE, with its parameters.
void mainDialogActivate(WindowHandle window, uint64_t wParam, uint64_t lParam);

// WM_COMMAND; returns the message result.
intptr_t mainDialogCommand(WindowHandle window, int id, int code);

// WM_SYSCOMMAND for the two added menu items (the system's own handling
// still follows).
void mainDialogSysCommand(WindowHandle window, uint32_t command);

// The tray icon's callback message.
intptr_t mainDialogTrayNotice(WindowHandle window, uint64_t iconId, uint64_t mouseMessage);

// WM_DESTROY.
void mainDialogDestroyed(WindowHandle window);

// Every control into the working copy, the three second counts clamped.
void readMainControls(WindowHandle window);

// Refill from the live settings, then show the window normally, in front.
void showMainWindow();

// The program was started again: the user wants to see it. Put away
// (minimised or hidden) it comes back as the tray's click brings it;
// already up, it only comes to the front.
void showMainWindowAgain();

// Apply (or restore), then put the window away: hidden when it is to have
// no taskbar button and a tray icon is shown, minimised otherwise.
void acceptMainDialog();
void cancelMainDialog();

// The version box.
void showAbout();
