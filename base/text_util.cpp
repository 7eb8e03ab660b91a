#include "base/text_util.h"

#include <cstdio>
#include <cstring>

bool copyText(char* dst, size_t size, const char* src) {
    if (size == 0) return false;
    if (!src) src = "";
    size_t length = strlen(src);
    bool fits = length < size;
    if (!fits) length = size - 1;
    memmove(dst, src, length);
    dst[length] = '\0';
    return fits;
}

bool hasControlCharacter(const char* text) {
    for (const char* p = text ? text : ""; *p; ++p)
        if (static_cast<unsigned char>(*p) < 0x20) return true;
    return false;
}

bool appendText(char* dst, size_t size, const char* src) {
    size_t used = strnlen(dst, size);
    if (used >= size) return false;
    return copyText(dst + used, size - used, src);
}

size_t formatText(char* dst, size_t size, const char* format, ...) {
    if (size == 0) return 0;
    va_list args;
    va_start(args, format);
    int written = vsnprintf(dst, size, format, args);
    va_end(args);
    if (written >= 0 && static_cast<size_t>(written) < size) return static_cast<size_t>(written);
    // Cut: some C runtimes leave the end unterminated then.
    dst[size - 1] = '\0';
    return strlen(dst);
}

int32_t clampToInt32(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

TextBuffer makeTextBuffer(char* data, size_t capacity) {
    if (capacity) data[0] = '\0';
    return TextBuffer{data, capacity, 0, capacity == 0};
}

void appendDecimal(TextBuffer& buffer, int64_t value, int width, char pad) {
    // Clock fields, percentages: one or two places, the most frequent case.
    if (value >= 0 && value < 100 && width <= 2) {
        char text[2] = {static_cast<char>(value < 10 ? pad : '0' + value / 10), static_cast<char>('0' + value % 10)};
        bool one = value < 10 && width < 2;
        appendBytes(buffer, one ? text + 1 : text, one ? 1 : 2);
        return;
    }
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    size_t digits = 1;
    for (uint64_t rest = magnitude / 10; rest != 0; rest /= 10) ++digits;
    size_t length = digits + (value < 0);
    size_t size = width > 0 && static_cast<size_t>(width) > length ? static_cast<size_t>(width) : length;
    if (!roomFor(buffer, size)) return;
    // Written in place from the right: digits, then zeros, the sign or blanks.
    char* start = buffer.data + buffer.length;
    char* p = start + size;
    *p = '\0';
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (pad == '0')
        while (p > start + (value < 0)) *--p = '0';
    if (value < 0) *--p = '-';
    while (p > start) *--p = ' ';
    buffer.length += size;
}

void appendFormatted(TextBuffer& buffer, const char* format, ...) {
    if (buffer.overflowed) return;
    size_t room = buffer.capacity - buffer.length;
    va_list args;
    va_start(args, format);
    int written = vsnprintf(buffer.data + buffer.length, room, format, args);
    va_end(args);
    if (written < 0 || static_cast<size_t>(written) >= room) {
        buffer.data[buffer.length] = '\0';
        buffer.overflowed = true;
        return;
    }
    buffer.length += static_cast<size_t>(written);
}
