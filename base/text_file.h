// Reading text files line by line and writing them whole, on the platform's
// binary file operations.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// The longest piece of a line handed out at once, as a C runtime's line
// reader with a 1,024-byte buffer would: a longer line comes in pieces.
constexpr size_t kLineBufferSize = 1024;

// Reads as a C runtime does in text mode, so CR LF and a bare LF both end a
// line (a lone CR is an ordinary byte). A last line without a line end is
// handed out too.
struct LineReader {
    PlatformFile* file;
    char chunk[512];
    size_t chunkLength;
    size_t chunkPos;
    int pushedBack;  // one byte read ahead after a CR, or -1
};

// False when the file cannot be opened.
bool openLineReader(LineReader& reader, const char* path);

// The next piece into `line` without its line end; `endedLine` (optional)
// tells whether a line end followed. False at the end of the file.
bool readLine(LineReader& reader, char (&line)[kLineBufferSize], bool* endedLine = nullptr);

void closeLineReader(LineReader& reader);

// Writes `data` to a temporary file beside `path` and then puts it in the
// place of `path` in one step, so a crash or power loss leaves either the
// old or the new file, never a truncated one. False (and `path` untouched)
// on any failure.
bool writeFileReplacing(const char* path, const char* data, size_t size);
