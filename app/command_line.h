// The command line: the program's own path, its directory and the options.
#pragma once

#include "base/program.h"

// Splits a private copy of `commandLine` (kept for the whole run) into
// arguments and options. Returns the number of arguments, 0 on failure:
// also when the program's directory, base name or settings file name is
// too long to hold, since the program's own files would otherwise be other
// files (the current directory's, or "C:\.INI").
int parseCommandLine(const char* commandLine);
