#include "base/text_file.h"

#include <cstring>

#include "base/text_util.h"

bool openLineReader(LineReader& reader, const char* path) {
    reader.file = platformOpenFile(path, FileOpen::Read);
    reader.chunkLength = 0;
    reader.chunkPos = 0;
    reader.bytesLeft = kTextFileLimit;
    reader.pushedBack = -1;
    return reader.file != nullptr;
}

TextFileOpen openTrustedLineReader(LineReader& reader, const char* path) {
    if (!openLineReader(reader, path)) return TextFileOpen::Missing;
    if (platformIsFileTrusted(reader.file, path)) return TextFileOpen::Opened;
    closeLineReader(reader);
    return TextFileOpen::Refused;
}

static int nextRawByte(LineReader& reader) {
    if (reader.chunkPos == reader.chunkLength) {
        size_t wanted = reader.bytesLeft < sizeof reader.chunk ? reader.bytesLeft : sizeof reader.chunk;
        reader.chunkLength = wanted ? platformReadFile(reader.file, reader.chunk, wanted) : 0;
        reader.bytesLeft -= reader.chunkLength;
        reader.chunkPos = 0;
        if (reader.chunkLength == 0) return -1;
    }
    return static_cast<unsigned char>(reader.chunk[reader.chunkPos++]);
}

// One byte of the text-mode view of the file: CR LF reads as LF.
static int nextTextByte(LineReader& reader) {
    int byte = reader.pushedBack;
    reader.pushedBack = -1;
    if (byte < 0) byte = nextRawByte(reader);
    if (byte != '\r') return byte;
    int following = nextRawByte(reader);
    if (following == '\n') return '\n';
    reader.pushedBack = following;
    return '\r';
}

bool readLine(LineReader& reader, char (&line)[kLineBufferSize], bool* endedLine) {
    size_t length = 0;
    bool ended = false;
    while (length < kLineBufferSize - 1) {
        int byte = nextTextByte(reader);
        if (byte < 0) break;
        if (byte == '\n') {
            ended = true;
            break;
        }
        line[length++] = static_cast<char>(byte);
    }
    line[length] = '\0';
    if (endedLine) *endedLine = ended;
    return length > 0 || ended;
}

bool readWholeLine(LineReader& reader, char (&line)[kLineBufferSize], bool* cut) {
    bool ended = false;
    bool read = readLine(reader, line, &ended);
    bool skipped = false;
    if (read && !ended) {
        int byte;
        while ((byte = nextTextByte(reader)) >= 0 && byte != '\n') skipped = true;
    }
    if (cut) *cut = skipped;
    return read;
}

void closeLineReader(LineReader& reader) {
    if (reader.file) platformCloseFile(reader.file);
    reader.file = nullptr;
}

bool writeFileReplacing(const char* path, const char* data, size_t size) {
    if (!path || !*path) return false;
    // Room for a link's target deep in another folder.
    char target[kLineBufferSize];
    char temporary[kLineBufferSize];
    if (!platformSaveTarget(path, target, sizeof target)) return false;
    PlatformFile* file = platformCreateTemporaryFile(target, temporary, sizeof temporary);
    if (!file) return false;
    bool written = platformWriteFile(file, data, size);
    bool closed = platformCloseFile(file);
    if (written && closed && platformReplaceFile(temporary, target)) return true;
    platformDeleteFile(temporary);
    return false;
}
