// The icons as files: the .ico files of the Windows resources and the PNGs
// of the Linux desktop's icon theme.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/icon_art.h"

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

// The whole .ico file of icon `id` (1..13); empty for any other id.
std::vector<uint8_t> encodeIconFile(int id);

// Icon `id` in true colour at `size` pixels as a PNG file; empty when it
// cannot be drawn.
std::vector<uint8_t> encodeIconPng(int id, int size);
