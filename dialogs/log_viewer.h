// The log viewer: the last 128 log lines, numbered, oldest first, in a
// resizable window beside the main dialog that follows every new line.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "dialogs/events.h"

// Opens the viewer, or brings it to the top without a redraw.
void openLogViewer();

intptr_t logViewerInit(WindowHandle window);
intptr_t logViewerCommand(WindowHandle window, int id, ControlEvent event);

// Its size changed: the placement, then the text area stretched over the
// window.
void logViewerSized(WindowHandle window);

// Redraws an open viewer from the log ring; nothing when none is open.
void redrawLogViewer();
