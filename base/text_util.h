// Bounded text operations on fixed buffers: every copy is cut to fit its
// destination and every result is zero-terminated, so no input can overflow.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Copies src (null counts as empty) into dst of `size` bytes. Returns false
// when src had to be cut.
bool copyText(char* dst, size_t size, const char* src);

template <size_t N>
bool copyText(char (&dst)[N], const char* src) {
    return copyText(dst, N, src);
}

// Whether `text` holds a control character (a byte below 0x20): no name or
// setting may, since a line break would start a new line of a file.
bool hasControlCharacter(const char* text);

// Appends src to the zero-terminated text in dst, cutting it to fit.
bool appendText(char* dst, size_t size, const char* src);

// snprintf that never fails: returns the length written (cut to fit).
size_t formatText(char* dst, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

template <size_t N, typename... Args>
size_t formatText(char (&dst)[N], const char* format, Args... args) {
    return formatText(dst, N, format, args...);
}

// Clamps a 64-bit intermediate result into a 32-bit field.
int32_t clampToInt32(int64_t value);

// A text buffer of the caller's that is written in pieces; once a piece does
// not fit, the buffer is marked overflowed and takes nothing more.
struct TextBuffer {
    char* data;
    size_t capacity;
    size_t length;
    bool overflowed;
};

TextBuffer makeTextBuffer(char* data, size_t capacity);
void appendFormatted(TextBuffer& buffer, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The same without a format string to interpret, for texts rebuilt every
// second: bytes, a text, and a decimal as "%*d" (pad ' ') or "%0*d" (pad
// '0') writes it. A piece that does not fit overflows the buffer as above.
// Room for `size` more bytes and the terminator; otherwise the buffer is
// marked overflowed.
inline bool roomFor(TextBuffer& buffer, size_t size) {
    if (!buffer.overflowed && size < buffer.capacity - buffer.length) return true;
    if (!buffer.overflowed) buffer.data[buffer.length] = '\0';
    buffer.overflowed = true;
    return false;
}

inline void appendBytes(TextBuffer& buffer, const char* data, size_t size) {
    if (!roomFor(buffer, size)) return;
    memcpy(buffer.data + buffer.length, data, size);
    buffer.length += size;
    buffer.data[buffer.length] = '\0';
}

inline void appendString(TextBuffer& buffer, const char* text) { appendBytes(buffer, text, strlen(text)); }

void appendDecimal(TextBuffer& buffer, int64_t value, int width = 0, char pad = ' ');
