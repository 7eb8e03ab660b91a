// The battery log: every line goes to the in-memory ring of the last 128
// lines, then to an open log viewer, then (while file logging is on) to the
// log file, which is opened and closed for each line.
#pragma once

#include <cstddef>

// The viewer's text needs at most 128 lines of 3 + 2 + 127 + 3 bytes.
constexpr size_t kLogViewSize = 32768;

void appendLogLine(const char* text);

// The current statusLine, exactly as formatStatus last built it.
void logStatusLine();

// "[Open logfile at ...]" and "[Close logfile at ...]" with the local time.
void logOpenMarker();
void logCloseMarker();

// The ring, oldest first, numbered from 1, as "%3d: %s\r\r\n" lines.
// Returns the length written; always zero-terminated.
size_t renderLogRing(char* out, size_t size);

// Told of every line as it is added: the line, and the log file's path when
// the line was also written there (null otherwise, also when the file could
// not be written). For the replay tool.
using LogLineObserver = void (*)(const char* line, const char* filePath);
void setLogLineObserver(LogLineObserver observer);
