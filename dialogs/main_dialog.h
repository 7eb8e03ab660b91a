// The main settings dialog: the program's only top-level window. It edits
// the main dialog's working copy, answers the tray icon, and reaches the
// sound dialog, the log viewer, the health window, help, the version box
// and the exit.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/events.h"

// The six entries of each display-item list, by item code, in the chosen
// language: set when the dialog is initialised.
extern const char* displayItemNames[6];

// Back to the state at program start: the first initialisation to come.
void resetMainDialog();

// The main dialog's window, 0 while it does not exist.
inline WindowHandle mainDialogWindow() { return dialogFrames[kMainDialog].window; }

// Ends the main dialog, and so the program; nothing when it is not open.
void endMainDialog();

// The window was made; the first time in a run it also becomes the owner
// of all others, gets its menu items and runs the start-up programs.
intptr_t mainDialogInit(WindowHandle window);

// Once the window is made and the event loop turns: the caption, icon and
// tray that the main timer's start could not show without a window.
void mainDialogSettled(WindowHandle window);

// Activated other than by a click, the controls show the working copy
// again; restored from minimised, the copy is first taken anew from the
// live settings. Every change is traced with "-$".
void mainDialogActivated(WindowHandle window, const ActivationEvent& event);

// A control's notice or a command; returns the result the system expects.
intptr_t mainDialogCommand(WindowHandle window, int id, ControlEvent event);

// An item the program added to the window menu, chosen there (the
// system's own handling of its items still follows).
void mainDialogSysCommand(WindowHandle window, uint32_t command);

// Left: the window comes up from the live settings; right: its menu pops
// up at the pointer. Anything else does nothing.
void mainDialogTrayClicked(WindowHandle window, TrayClick click);

// The window is going.
void mainDialogDestroyed(WindowHandle window);

// Every control into the working copy, the three second counts clamped.
void readMainControls(WindowHandle window);

// The working copy as reading the controls would leave it, for applying
// it without a window (the replay tool).
void normaliseMainDialogCopy();

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
