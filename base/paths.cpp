#include "base/paths.h"

#include "platform/platform.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }
bool isSlash(char c) { return c == '/' || c == '\\'; }

// Byte length of the character at p: 2 for a lead byte with its trail.
// Trail bytes are 0x40 and up in every double-byte code page, so a quote,
// dot, colon or slash after a stray lead byte keeps its meaning.
size_t charLength(const char* p) {
    return platformIsLeadByte(static_cast<unsigned char>(*p)) && static_cast<unsigned char>(p[1]) >= 0x40
               ? 2
               : 1;
}

struct PathPieces {
    size_t nameStart;  // just after the last separator
    size_t extStart;   // the last dot of the name, or the end
    size_t end;
};

PathPieces locatePieces(const char* path) {
    PathPieces pieces{0, 0, 0};
    size_t lastDot = 0;
    bool dotInName = false;
    size_t i = 0;
    while (path[i]) {
        if (isSeparator(path[i])) {
            pieces.nameStart = i + 1;
            dotInName = false;
        } else if (path[i] == '.') {
            lastDot = i;
            dotInName = true;
        }
        i += charLength(path + i);
    }
    pieces.end = i;
    pieces.extStart = dotInName ? lastDot : i;
    return pieces;
}

// Writes into a PathOut; refuses (empties the output) once it would not fit.
struct Writer {
    PathOut out;
    size_t length;
    bool failed;

    void put(char c) {
        if (failed) return;
        if (length + 1 >= out.size) {
            failed = true;
            return;
        }
        out.text[length++] = c;
    }
    bool finish() {
        if (out.size) out.text[failed ? 0 : length] = '\0';
        return !failed;
    }
};

// Copies [from, to) dropping double quotes.
void putUnquoted(Writer& w, const char* text, size_t from, size_t to) {
    for (size_t i = from; i < to;) {
        size_t n = charLength(text + i);
        if (n == 2 || text[i] != '"')
            for (size_t k = 0; k < n && i + k < to; ++k) w.put(text[i + k]);
        i += n;
    }
}

// The directory text [0, to) tidied: one leading quote skipped, a leading
// pair of backslashes and then of slashes kept, every other run of slashes
// and backslashes written as one backslash, quotes dropped.
void putDirectory(Writer& w, const char* text, size_t to) {
    size_t i = 0;
    if (i < to && text[i] == '"') ++i;
    if (i + 1 < to && text[i] == '\\' && text[i + 1] == '\\') {
        w.put('\\'), w.put('\\');
        i += 2;
    }
    if (i + 1 < to && text[i] == '/' && text[i + 1] == '/') {
        w.put('/'), w.put('/');
        i += 2;
    }
    while (i < to) {
        size_t n = charLength(text + i);
        if (n == 1 && isSlash(text[i])) {
            while (i < to && isSlash(text[i])) ++i;
            w.put(platformPathSeparator());
            continue;
        }
        if (n == 2 || text[i] != '"')
            for (size_t k = 0; k < n && i + k < to; ++k) w.put(text[i + k]);
        i += n;
    }
}

}  // namespace

bool splitPath(const char* path, PathOut dir, PathOut name, PathOut ext) {
    if (!path) path = "";
    PathPieces pieces = locatePieces(path);
    bool fits = true;
    if (dir.text) {
        Writer w{dir, 0, false};
        putDirectory(w, path, pieces.nameStart);
        fits = w.finish() && fits;
    }
    if (name.text) {
        Writer w{name, 0, false};
        putUnquoted(w, path, pieces.nameStart, pieces.extStart);
        fits = w.finish() && fits;
    }
    if (ext.text) {
        Writer w{ext, 0, false};
        putUnquoted(w, path, pieces.extStart, pieces.end);
        fits = w.finish() && fits;
    }
    return fits;
}

char* makePath(const char* dirSource, const char* nameSource, const char* extSource, PathOut out,
               bool takeNameExtension) {
    if (!out.text || out.size == 0) return out.text;
    Writer w{out, 0, false};
    if (dirSource) putDirectory(w, dirSource, locatePieces(dirSource).nameStart);
    PathPieces name{0, 0, 0};
    if (nameSource) {
        name = locatePieces(nameSource);
        putUnquoted(w, nameSource, name.nameStart, name.extStart);
    }
    if (takeNameExtension && nameSource && name.extStart < name.end) {
        putUnquoted(w, nameSource, name.extStart, name.end);
    } else if (extSource) {
        PathPieces ext = locatePieces(extSource);
        putUnquoted(w, extSource, ext.extStart, ext.end);
    }
    w.finish();
    return out.text;
}
