// The activation trace: with the option "-$" every activation message of the
// main window is written to CELWRDDB.LOG beside the program.
#pragma once

#include <cstdint>

// Creates (or empties) the trace file when tracing is enabled; a file that
// cannot be opened leaves tracing silent for the rest of the run.
void openTraceFile();

// One "ACTIVATE wwwwwwww llllllll" line, when the trace file is open, in
// the words of Windows' activation message: the state (0 inactive, 1
// active, 2 by a click) with the minimised flag in the high half, then the
// window on the other side of the change (its low 32 bits).
void traceActivate(int state, bool minimised, uint64_t otherWindow);

// Closes the trace file (at the end of the run).
void closeTraceFile();
