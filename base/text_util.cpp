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
