// The Qt front end's share of start-up: the event loop watches the
// platform's timers, and the tray's clicks reach the main dialog.
#pragma once

// Before the program runs, once the QApplication exists.
void connectQtFrontEnd();
