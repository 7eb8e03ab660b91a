// The fixed order in which the program starts and stops its parts.
#pragma once

// After the command line: the default log file name, the file choosers, and
// the trace file when "-$" asked for it.
void earlyInitialise();

// Settings file, log open marker, main timer, log timer, dialog copy.
void startUp();

// Timers, log close marker, tray icon, and the settings file when saving is
// switched on. No event-script section runs on this path.
void shutDown();
