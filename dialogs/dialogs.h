// What every dialog window is told, routed to the dialog it belongs to.
// A front end turns its window system's events into these calls; what is
// the main dialog's alone (its activation, the tray) is in main_dialog.h.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "dialogs/events.h"
#include "settings/settings_file.h"

// The window was made (its controls exist, it is not shown yet).
intptr_t dialogInit(DialogId dialog, WindowHandle window);

// The window was made and the event loop has turned since, so the window
// system has done what it does after a window is made (given the focus,
// shown it): what needs that runs now.
void dialogSettled(DialogId dialog, WindowHandle window);

// A control's notice, or a command from a menu; returns the result the
// system expects (1 handled, 0 not).
intptr_t dialogCommand(DialogId dialog, WindowHandle window, int id, ControlEvent event);

void dialogMoved(DialogId dialog, WindowHandle window);
void dialogSized(DialogId dialog, WindowHandle window);
void dialogDestroyed(DialogId dialog, WindowHandle window);

// A mouse click in the window's own area raises it.
void dialogClicked(WindowHandle window);

// Back to the state at program start.
void resetDialogs();
