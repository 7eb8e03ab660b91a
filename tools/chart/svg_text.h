// Text for the SVG: well-formed XML from whatever bytes a title or a file
// name brings, and the room a label takes.
#pragma once

#include <cstddef>
#include <string>

// Appends at most `maxBytes` bytes of `text` as XML character data: the
// markup characters escaped, control characters as blanks, and bytes that
// are not UTF-8 as U+FFFD, never cutting a character in two.
void appendXmlText(std::string& out, const char* text, size_t maxBytes);

// Width of a label in pixels at `fontSize`: half-width characters take half
// the height of the font, the others all of it.
double textWidth(const char* utf8, double fontSize);

// Appends the character `c` in UTF-8.
void appendUtf8(std::string& out, char32_t c);

// UTF-16 to UTF-8 and back, for the command line and file names on Windows.
// Unpaired surrogates and bytes that are not UTF-8 become U+FFFD.
std::string utf16ToUtf8(const char16_t* text);
std::u16string utf8ToUtf16(const char* text);
