// The Linux platform layer's hooks on the Qt front end: windows, tray,
// message boxes and help; the event loop watches the platform's timers.
#pragma once

// Connects the hooks; the tray's clicks reach the main dialog from now on.
void connectQtFrontEnd();
