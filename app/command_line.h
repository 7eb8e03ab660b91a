// The command line: the program's own path, its directory and the options.
#pragma once

#include "base/program.h"

// Splits a private copy of `commandLine` (kept for the whole run) into
// arguments and options. Returns the number of arguments, 0 on failure:
// also when the program's directory is too long to hold, since every own
// file would otherwise be looked for in the current directory instead.
int parseCommandLine(const char* commandLine);
