// The battery health window: the report of each battery and of all of
// them together, shown anew with every reading, and a chart of health
// over the kept history. A window of its own beside the main dialog, as
// the log viewer is; while it is open the power is read now and then.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "dialogs/events.h"

// Opens the window, or brings the open one to the front.
void openHealthWindow();

intptr_t healthWindowInit(WindowHandle window);
intptr_t healthWindowCommand(WindowHandle window, int id, ControlEvent event);
void healthWindowDestroyed(WindowHandle window);

// A reading was taken: an open window shows it, and reads the history
// again when a line has been written since it last did.
void refreshHealthWindow();
