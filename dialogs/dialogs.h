// The messages every dialog window gets, routed to the dialog they belong
// to. A front end's dialog procedures forward to these.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "settings/settings_file.h"

intptr_t dialogInit(DialogId dialog, WindowHandle window);
intptr_t dialogCommand(DialogId dialog, WindowHandle window, int id, int code);
void dialogMoved(DialogId dialog, WindowHandle window);
void dialogSized(DialogId dialog, WindowHandle window);
void dialogDestroyed(DialogId dialog, WindowHandle window);

// A mouse click in the window's own area raises it.
void dialogClicked(WindowHandle window);

// Back to the state at program start.
void resetDialogs();
