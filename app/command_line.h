// The command line: the program's own path, its directory and the options.
#pragma once

#include <cstddef>

#include "app/paths.h"

constexpr int kMaxArguments = 256;

// Set once by parseCommandLine, read everywhere else.
extern char* arguments[kMaxArguments];
extern int argumentCount;
extern char programDirectory[kPathSize];  // with its trailing backslash, or empty
extern int traceEnabled;                  // option "-$"
extern int autoExit;                      // option "-A"

// Splits a private copy of `commandLine` (kept for the whole run) into
// arguments and options. Returns the number of arguments, 0 on failure:
// also when the program's directory is too long to hold, since every own
// file would otherwise be looked for in the current directory instead.
int parseCommandLine(const char* commandLine);

// The base name of the program's own path (no directory, no extension).
void programBaseName(char (&out)[kPathSize]);
