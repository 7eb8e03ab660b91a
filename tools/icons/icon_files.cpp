#include "icon_files.h"

#include <cstddef>

#include "png.h"

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

uint32_t rowBytes(int pixels, int bits) { return uint32_t((pixels * bits + 31) / 32 * 4); }

uint32_t imageBytes(const IconFormat& f) {
    const uint32_t palette = f.bits == 4 ? 16 * 4 : 0;
    return 40 + palette + (rowBytes(f.size, f.bits) + rowBytes(f.size, 1)) * uint32_t(f.size);
}

// BITMAPINFOHEADER (height doubled for the mask), palette, colour rows, then
// mask rows (1 = background), both bottom-up and padded to 32 bits.
void encodeImage(const IconImage& image, std::vector<uint8_t>& out) {
    const int n = image.size;
    const uint32_t colourRow = rowBytes(n, image.bits), maskRow = rowBytes(n, 1);
    put32(out, 40);
    put32(out, uint32_t(n));
    put32(out, uint32_t(2 * n));
    put16(out, 1);
    put16(out, uint32_t(image.bits));
    put32(out, 0);  // BI_RGB
    put32(out, (colourRow + maskRow) * uint32_t(n));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    if (image.bits == 4) {
        for (const auto& c : kVgaPalette) {
            out.push_back(c[2]);
            out.push_back(c[1]);
            out.push_back(c[0]);
            out.push_back(0);
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        const size_t start = out.size();
        out.resize(start + colourRow, 0);
        uint8_t* row = &out[start];
        for (int x = 0; x < n; ++x) {
            if (image.bits == 4) {
                const uint8_t index = image.pixels[y * n + x] & 0x0F;
                row[x / 2] |= x % 2 ? index : uint8_t(index << 4);
            } else {
                const uint8_t* p = &image.pixels[(y * n + x) * 4];
                row[x * 4 + 0] = p[2];
                row[x * 4 + 1] = p[1];
                row[x * 4 + 2] = p[0];
                row[x * 4 + 3] = p[3];
            }
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        const size_t start = out.size();
        out.resize(start + maskRow, 0);
        for (int x = 0; x < n; ++x)
            if (!image.opaque[y * n + x]) out[start + x / 8] |= uint8_t(0x80 >> (x % 8));
    }
}

}  // namespace

std::vector<uint8_t> encodeIconPng(int id, int size) {
    IconImage image;
    if (!drawIcon(id, size, 32, &image)) return {};
    return encodePng(size, image.pixels);
}

// ICONDIR, one ICONDIRENTRY per image, then the images in the same order:
// the bitmaps, then the large PNG.
std::vector<uint8_t> encodeIconFile(int id) {
    std::vector<uint8_t> out;
    const std::vector<uint8_t> large = encodeIconPng(id, kLargeIconSize);
    if (large.empty()) return out;
    put16(out, 0);
    put16(out, 1);
    put16(out, kIconFormatCount + 1);
    uint32_t offset = 6 + 16 * (kIconFormatCount + 1);
    auto entry = [&](int size, int bits, uint32_t bytes) {
        out.push_back(uint8_t(size == 256 ? 0 : size));
        out.push_back(uint8_t(size == 256 ? 0 : size));
        out.push_back(bits == 4 ? 16 : 0);
        out.push_back(0);
        put16(out, 1);
        put16(out, uint32_t(bits));
        put32(out, bytes);
        put32(out, offset);
        offset += bytes;
    };
    for (const IconFormat& f : kIconFormats) entry(f.size, f.bits, imageBytes(f));
    entry(kLargeIconSize, 32, uint32_t(large.size()));
    IconImage image;
    for (const IconFormat& f : kIconFormats) {
        if (!drawIcon(id, f.size, f.bits, &image)) return {};
        encodeImage(image, out);
    }
    out.insert(out.end(), large.begin(), large.end());
    return out;
}
