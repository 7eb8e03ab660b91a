// The Linux platform layer's hooks on the Qt front end: windows, tray,
// message boxes, help and the event loop's timers.
#pragma once

// Connects the hooks; the tray's clicks reach the main dialog from now on.
void connectQtFrontEnd();
