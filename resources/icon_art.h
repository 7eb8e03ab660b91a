// The program's 13 icons, drawn from geometry at any size: the Linux program
// draws them at run time, the icon generator (tools/icons) into the .ico
// files of the Windows resources. Integer arithmetic only, so every build
// draws the same pixels.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kIconCount = 13;

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
