// How the monitor shows itself: the main window's caption and class icon,
// and the tray icon whose tip repeats the caption.
#pragma once

#include <cstdint>

#include "base/front_end.h"

// The caption when every display item is hidden.
extern const char* const kBanner;

// The window the tray icon is registered under, or 0.
WindowHandle trayIconOwner();

// The desktop's tray started anew (the shell restarted, a panel came): it
// holds no icon of ours, and the next refresh adds it again. As at start.
void forgetTrayIcon();

// Icon resource 1..13 for a power kind and percentage.
int chooseIcon(int32_t kind, int32_t percent);

// Caption, class icon and tray icon from the live settings' status texts.
void updatePresentation();

// Whether the system said the tray icon was shown at its last add or
// change: only then is the icon a way back to a hidden window.
bool trayIconShown();

// Deletes the tray icon last registered, whether or not it still is.
void removeTrayIcon();

// Opens the help file named like the program, with the extension ".HLP".
void openHelp();
