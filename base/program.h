// The program's own path, directory and options, as the command line gave
// them. Set once at start; every part that names an own file reads them.
#pragma once

#include "base/paths.h"

constexpr int kMaxArguments = 256;

extern char* arguments[kMaxArguments];
extern int argumentCount;
extern char programDirectory[kPathSize];  // with its trailing backslash, or empty
extern int traceEnabled;                  // option "-$"
extern int autoExit;                      // option "-A"

// The base name of the program's own path (no directory, no extension).
void programBaseName(char (&out)[kPathSize]);
