// The program's own path, directory and options, as the command line gave
// them. Set once at start; every part that names an own file reads them.
#pragma once

#include "base/paths.h"

constexpr int kMaxArguments = 256;

extern char* arguments[kMaxArguments];
extern int argumentCount;
extern char programDirectory[kPathSize];  // with its trailing separator, or empty
extern char filesDirectory[kPathSize];    // where its settings, script and logs are; likewise
extern int traceEnabled;                  // option "-$"
extern int autoExit;                      // option "-A"

// The base name of the program's own path (no directory, no extension).
void programBaseName(char (&out)[kPathSize]);

// The folders as the system knows them, taken as they are, in place of
// what the command line's first token gives (Linux: the program's folder
// from /proc/self/exe, its files in the user's configuration folder when
// it is installed). Each ends in its separator. False, changing nothing,
// when either does not fit.
bool setProgramFolders(const char* programDir, const char* filesDir);
bool programFoldersSet();

// `folder` as it is, followed by the name (and extension) makePath takes
// from nameSource and extSource. Returns out.text; empty when it would not
// fit.
char* pathInFolder(const char* folder, const char* nameSource, const char* extSource, PathOut out,
                   bool takeNameExtension);
