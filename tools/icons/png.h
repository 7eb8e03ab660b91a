// PNG files of the icons: the 256-pixel image inside each .ico (Explorer's
// large icons) and the Linux desktop's themed icons, compressed by zlib.
#pragma once

#include <cstdint>
#include <vector>

// A PNG of `size` x `size` pixels from red, green, blue, alpha bytes per
// pixel (straight alpha), rows top-down: 8-bit RGBA, not interlaced. Empty
// when the pixels do not fit the size or cannot be compressed.
std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba);
