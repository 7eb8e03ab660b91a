// A simulated screen for the tests and the replay tool: base/front_end.h
// answered in memory, each call recorded with the simulated platform's
// (sim::calls). While a simulated main dialog is open (sim_controls.h, or
// the Qt dialogs in their own tests) the window calls go to it; without
// one, the main window is whatever the caller set.
#pragma once

#include <string>

#include "base/front_end.h"

namespace simui {

// No main window, not minimised, Yes to every question, no caption, no
// icon, no tray icon, a desktop with a tray.
void resetScreen();

// The main window while no simulated main dialog is open, and whether it
// is minimised and visible.
void setMainWindow(WindowHandle window);
void setMinimisedAndVisible(bool value);

void setYesNoAnswer(bool yes);
std::string caption();
int classIcon();
bool trayIconShown();
// Off: the desktop has no tray, and adding the icon fails.
void setTrayAvailable(bool available);

}  // namespace simui
