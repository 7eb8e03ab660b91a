// Text at the W API: code-page and UTF-8 bytes to UTF-16 and back, bounded.
#include <climits>

#include "platform/win32/win32_internal.h"

namespace {

constexpr size_t kIntMax = INT_MAX;

int clampToInt(size_t value) { return static_cast<int>(value < kIntMax ? value : kIntMax); }

bool isTrailByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

UINT resolvedCodePage(UINT codePage) { return codePage == CP_ACP ? GetACP() : codePage; }

// Cutting a converted buffer could split a double-byte character or a
// surrogate pair; cutting the input at a character boundary cannot. The
// length is measured first: a conversion into a short buffer is not to be
// trusted (Wine returns half a surrogate pair as success).
void widen(UINT codePage, const char* text, wchar_t* out, size_t count) {
    if (!out || count == 0) return;
    out[0] = L'\0';
    if (!text || count == 1) return;
    const UINT resolved = resolvedCodePage(codePage);
    const size_t length = strnlen(text, kIntMax);
    const int room = clampToInt(count - 1);
    size_t end = length;
    if (length > 0 && MultiByteToWideChar(resolved, 0, text, static_cast<int>(length), nullptr, 0) > room) {
        end = 0;
        int used = 0;
        while (end < length) {
            size_t next = nextCharacter(resolved, text, length, end);
            int wide = MultiByteToWideChar(resolved, 0, text + end, static_cast<int>(next - end), nullptr, 0);
            if (wide <= 0 || wide > room - used) break;
            used += wide;
            end = next;
        }
    }
    int written = end == 0 ? 0 : MultiByteToWideChar(resolved, 0, text, static_cast<int>(end), out, room);
    if (written < 0) written = 0;
    if (written > 0 && IS_HIGH_SURROGATE(out[written - 1])) --written;
    out[written] = L'\0';
}

}  // namespace

size_t nextCharacter(UINT codePage, const char* text, size_t length, size_t pos) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (codePage == CP_UTF8) {
        size_t need = 1;
        if (lead >= 0xF0 && lead <= 0xF4) need = 4;
        else if (lead >= 0xE0 && lead <= 0xEF) need = 3;
        else if (lead >= 0xC2 && lead <= 0xDF) need = 2;
        size_t end = pos + 1;
        while (end < pos + need && end < length && isTrailByte(static_cast<unsigned char>(text[end]))) ++end;
        return end;
    }
    if (pos + 1 < length && text[pos + 1] != '\0' && IsDBCSLeadByteEx(codePage, lead)) return pos + 2;
    return pos + 1;
}

void copyCodePageText(char* out, size_t size, const char* text) {
    if (!out || size == 0) return;
    if (!text) text = "";
    const UINT codePage = GetACP();
    const size_t length = strnlen(text, size);
    size_t end = 0;
    while (end < length) {
        size_t next = nextCharacter(codePage, text, length, end);
        if (next > size - 1) break;
        end = next;
    }
    memcpy(out, text, end);
    out[end] = '\0';
}

void widenFromCodePage(const char* text, wchar_t* out, size_t count) { widen(CP_ACP, text, out, count); }

void widenFromUtf8(const char* text, wchar_t* out, size_t count) { widen(CP_UTF8, text, out, count); }

bool narrowToCodePage(const wchar_t* text, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!text) return false;
    const int room = clampToInt(size);
    int written;
    if (GetACP() == CP_UTF8) {
        // A system set to UTF-8 takes neither the flag nor the default-character test.
        written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, out, room, nullptr, nullptr);
    } else {
        BOOL usedDefault = FALSE;
        written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, out, room, nullptr, &usedDefault);
        if (usedDefault) written = 0;
    }
    if (written <= 0) {
        out[0] = '\0';
        return false;
    }
    return true;
}
