#include "svg_text.h"

#include <cstdint>

#include "base/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The next character of a text, or U+FFFD for a byte that starts none.
char32_t nextCharacter(const unsigned char*& p, size_t& left) {
    char32_t c;
    size_t used = decodeUtf8(p, left, &c);
    if (used == 0) c = kReplacement, used = 1;
    p += used;
    left -= used;
    return c;
}

}  // namespace

void appendXmlText(std::string& out, const char* text, size_t maxBytes) {
    if (!text) return;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t left = 0;
    while (left < maxBytes && p[left] != 0) ++left;
    bool cut = p[left] != 0;
    while (left > 0) {
        char32_t c;
        size_t used = decodeUtf8(p, left, &c);
        if (used == 0) {
            // The last character, cut by the limit: leave it out whole.
            if (cut && left < 4 && p[0] >= 0xC0) break;
            c = kReplacement;
            used = 1;
        }
        p += used;
        left -= used;
        // XML 1.0 has no place for these, not even as references.
        if (c < 0x20 || c == 0x7F) c = ' ';
        if (c == 0xFFFE || c == 0xFFFF) c = kReplacement;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: appendUtf8(out, c); break;
        }
    }
}

double textWidth(const char* utf8, double fontSize) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    size_t left = 0;
    while (p[left] != 0) ++left;
    double width = 0;
    while (left > 0) {
        char32_t c = nextCharacter(p, left);
        bool half = c < 0x2000 || (c >= 0xFF61 && c <= 0xFF9F);
        width += half ? fontSize * 0.55 : fontSize;
    }
    return width;
}

std::string utf16ToUtf8(const char16_t* text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string utf8ToUtf16(const char* text) {
    std::u16string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t left = 0;
    while (p[left] != 0) ++left;
    while (left > 0) {
        char32_t c = nextCharacter(p, left);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
