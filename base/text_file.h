// Reading text files line by line and writing them whole, on the platform's
// binary file operations.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// The longest piece of a line handed out at once, as a C runtime's line
// reader with a 1,024-byte buffer would: a longer line comes in pieces.
constexpr size_t kLineBufferSize = 1024;

// The most of a file that is read: a settings file or an event script is
// far smaller, and what is bigger is not one.
constexpr size_t kTextFileLimit = 4u << 20;

// Reads as a C runtime does in text mode, so CR LF and a bare LF both end a
// line (a lone CR is an ordinary byte). A last line without a line end is
// handed out too. Reading ends after kTextFileLimit bytes.
struct LineReader {
    PlatformFile* file;
    char chunk[512];
    size_t chunkLength;
    size_t chunkPos;
    size_t bytesLeft;
    int pushedBack;  // one byte read ahead after a CR, or -1
};

// False when the file cannot be opened.
bool openLineReader(LineReader& reader, const char* path);

enum class TextFileOpen { Opened, Missing, Refused };

// Opens a file whose content the program acts on: only when it may be
// believed (platformIsFileTrusted). A file that cannot be opened is
// Missing; one someone else could have written is Refused, and left closed.
TextFileOpen openTrustedLineReader(LineReader& reader, const char* path);

// The next piece into `line` without its line end; `endedLine` (optional)
// tells whether a line end followed. False at the end of the file.
bool readLine(LineReader& reader, char (&line)[kLineBufferSize], bool* endedLine = nullptr);

// The next line whole: of a line longer than the buffer, the rest is
// skipped up to its line end and `cut` is set. False at the end of the file.
bool readWholeLine(LineReader& reader, char (&line)[kLineBufferSize], bool* cut);

void closeLineReader(LineReader& reader);

// Writes `data` to a new temporary file of a name of its own beside `path`
// and then puts it in the place of `path` in one step, so a crash, a power
// loss or another save at the same time leaves either the old or the new
// file, never a truncated or mixed one. A link at `path` stays and the
// file it names is replaced; so does the file's mode. False (and `path`
// untouched) on any failure, a read-only file among them.
bool writeFileReplacing(const char* path, const char* data, size_t size);
