#include "base/text_file.h"

#include <cstring>

#include "base/text_util.h"

bool openLineReader(LineReader& reader, const char* path) {
    reader.file = platformOpenFile(path, FileOpen::Read);
    reader.chunkLength = 0;
    reader.chunkPos = 0;
    reader.pushedBack = -1;
    return reader.file != nullptr;
}

static int nextRawByte(LineReader& reader) {
    if (reader.chunkPos == reader.chunkLength) {
        reader.chunkLength = platformReadFile(reader.file, reader.chunk, sizeof reader.chunk);
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

void closeLineReader(LineReader& reader) {
    if (reader.file) platformCloseFile(reader.file);
    reader.file = nullptr;
}

// Same length as the target, so a path that fits the system's limit still
// fits with its temporary name.
static void temporaryNameFor(const char* path, char (&out)[272]) {
    copyText(out, path);
    size_t length = strlen(out);
    if (length == 0) return;
    out[length - 1] = out[length - 1] == '~' ? '$' : '~';
}

bool writeFileReplacing(const char* path, const char* data, size_t size) {
    if (!path || !*path) return false;
    char temporary[272];
    temporaryNameFor(path, temporary);
    PlatformFile* file = platformOpenFile(temporary, FileOpen::Create);
    if (!file) return false;
    bool written = platformWriteFile(file, data, size);
    bool closed = platformCloseFile(file);
    if (written && closed && platformReplaceFile(temporary, path)) return true;
    platformDeleteFile(temporary);
    return false;
}
