// The activation trace: with the option "-$" every activation message of the
// main window is written to CELWRDDB.LOG beside the program.
#pragma once

#include <cstdint>

// Creates (or empties) the trace file when tracing is enabled; a file that
// cannot be opened leaves tracing silent for the rest of the run.
void openTraceFile();

// One "ACTIVATE wwwwwwww llllllll" line, when the trace file is open. Only
// the low 32 bits of each parameter are written.
void traceActivate(uint64_t wParam, uint64_t lParam);

// Closes the trace file (at the end of the run).
void closeTraceFile();
