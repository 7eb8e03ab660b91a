// The program's 13 icons, drawn from geometry at every size and encoded as
// .ico files. Integer arithmetic only, so every build writes the same bytes.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kIconCount = 13;

// The images of each icon, in file order: the classic 16-colour pair, then
// true colour with alpha for high-DPI screens.
struct IconFormat {
    int size;  // width and height in pixels
    int bits;  // 4 (standard VGA palette) or 32 (BGRA)
};
constexpr IconFormat kIconFormats[] = {
    {32, 4}, {16, 4}, {16, 32}, {20, 32}, {24, 32}, {32, 32}, {48, 32},
};
constexpr int kIconFormatCount = sizeof kIconFormats / sizeof kIconFormats[0];
// After those, Explorer's large icon: true colour, stored as a PNG as
// Windows Vista and later read it.
constexpr int kLargeIconSize = 256;

// The standard 16-colour palette, as red, green, blue.
extern const uint8_t kVgaPalette[16][3];
constexpr uint8_t kVgaBlack = 0, kVgaGray = 8, kVgaRed = 9, kVgaLime = 10,
                  kVgaYellow = 11, kVgaBlue = 12;

// One drawn image, rows top-down. A 16-colour image holds one palette index
// per pixel; a true-colour image holds red, green, blue, alpha per pixel
// (straight alpha). `opaque` is 0 where the picture shows the background.
struct IconImage {
    int size = 0;
    int bits = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> opaque;
};

// Draws icon `id` (1..13) at `size` pixels for the given depth; false for an
// id, size or depth it cannot draw.
bool drawIcon(int id, int size, int bits, IconImage* out);

// The whole .ico file of icon `id` (1..13); empty for any other id.
std::vector<uint8_t> encodeIconFile(int id);

// Icon `id` in true colour at `size` pixels as a PNG file; empty when it
// cannot be drawn.
std::vector<uint8_t> encodeIconPng(int id, int size);
