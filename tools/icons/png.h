// PNG files of the icons: the 256-pixel image inside each .ico (Explorer's
// large icons) and the Linux desktop's themed icons. Compressed by a deflate
// of our own, so every build writes the same bytes whatever zlib the
// machine has.
#pragma once

#include <cstdint>
#include <vector>

// A PNG of `size` x `size` pixels from red, green, blue, alpha bytes per
// pixel (straight alpha), rows top-down: 8-bit RGBA, not interlaced.
std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba);

// The zlib stream of `data`: one deflate block with the fixed codes.
std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data);
