// Reads the generated .ico files back the way Windows does: directory,
// bitmap headers, bottom-up rows with 32-bit padding, and the mask.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "icon_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t u16(const Bytes& f, size_t at) { return f[at] | uint32_t(f[at + 1]) << 8; }
uint32_t u32(const Bytes& f, size_t at) { return u16(f, at) | u16(f, at + 2) << 16; }

struct Entry {
    int size, bits;
    uint32_t bytes, offset;
};

Entry entry(const Bytes& f, int i) {
    const size_t at = 6 + 16 * size_t(i);
    return {f[at], int(u16(f, at + 6)), u32(f, at + 8), u32(f, at + 12)};
}

// One image decoded top-down: palette index or BGRA per pixel, and whether
// the mask marks it as background.
struct Picture {
    int size = 0;
    std::vector<uint32_t> pixels;
    std::vector<bool> background;
    bool cleanPadding = true;
};

Picture decode(const Bytes& f, const Entry& e) {
    Picture p;
    const int n = p.size = e.size;
    const size_t colourRow = size_t(n * e.bits + 31) / 32 * 4, maskRow = size_t(n + 31) / 32 * 4;
    const size_t colours = e.offset + 40 + (e.bits == 4 ? 64 : 0);
    const size_t mask = colours + colourRow * n;
    p.pixels.resize(size_t(n) * n);
    p.background.resize(size_t(n) * n);
    for (int y = 0; y < n; ++y) {
        const size_t row = colours + colourRow * size_t(n - 1 - y);
        const size_t maskAt = mask + maskRow * size_t(n - 1 - y);
        for (int x = 0; x < n; ++x) {
            p.pixels[y * n + x] = e.bits == 4 ? (f[row + x / 2] >> (x % 2 ? 0 : 4)) & 0x0F
                                              : u32(f, row + 4 * size_t(x));
            p.background[y * n + x] = (f[maskAt + x / 8] >> (7 - x % 8)) & 1;
        }
        for (size_t i = size_t(n * e.bits + 7) / 8; i < colourRow; ++i)
            if (f[row + i]) p.cleanPadding = false;
        for (size_t i = size_t(n + 7) / 8; i < maskRow; ++i)
            if (f[maskAt + i]) p.cleanPadding = false;
    }
    return p;
}

Picture picture(const Bytes& f, int size, int bits) {
    for (int i = 0; i < kIconFormatCount; ++i) {
        const Entry e = entry(f, i);
        if (e.size == size && e.bits == bits) return decode(f, e);
    }
    ADD_FAILURE() << "no " << size << " px " << bits << "-bit image";
    return {};
}

TEST(IconFile, DirectoryAndHeadersDescribeEveryImage) {
    for (int id = 1; id <= kIconCount; ++id) {
        SCOPED_TRACE(id);
        const Bytes f = encodeIconFile(id);
        ASSERT_GT(f.size(), 6u + 16 * kIconFormatCount);
        EXPECT_EQ(u16(f, 0), 0u);
        EXPECT_EQ(u16(f, 2), 1u);  // icon, not cursor
        ASSERT_EQ(u16(f, 4), uint32_t(kIconFormatCount + 1));  // the bitmaps and the large PNG
        uint32_t next = 6 + 16 * (kIconFormatCount + 1);  // images follow each other, no gaps
        for (int i = 0; i < kIconFormatCount; ++i) {
            const Entry e = entry(f, i);
            const IconFormat want = kIconFormats[i];
            const uint8_t* d = &f[6 + 16 * i];  // width, height, colours, 0, planes
            EXPECT_EQ(e.size, want.size);
            EXPECT_EQ(e.bits, want.bits);
            EXPECT_EQ(d[1], want.size);
            EXPECT_EQ(d[2], want.bits == 4 ? 16 : 0);
            EXPECT_EQ(d[3], 0);
            EXPECT_EQ(u16(f, 6 + 16 * i + 4), 1u);
            ASSERT_EQ(e.offset, next);
            ASSERT_LE(uint64_t{e.offset} + e.bytes, f.size());
            const uint32_t rows = uint32_t(want.size * want.bits + 31) / 32 * 4 +
                                  uint32_t(want.size + 31) / 32 * 4;
            EXPECT_EQ(e.bytes, 40 + (want.bits == 4 ? 64u : 0u) + rows * uint32_t(want.size));
            EXPECT_EQ(u32(f, e.offset), 40u);
            EXPECT_EQ(u32(f, e.offset + 4), uint32_t(want.size));
            EXPECT_EQ(u32(f, e.offset + 8), uint32_t(2 * want.size));  // colours and mask
            EXPECT_EQ(u16(f, e.offset + 12), 1u);
            EXPECT_EQ(u16(f, e.offset + 14), uint32_t(want.bits));
            EXPECT_EQ(u32(f, e.offset + 16), 0u);  // uncompressed
            for (int c = 0; want.bits == 4 && c < 16; ++c) {
                const uint8_t* rgb = kVgaPalette[c];
                EXPECT_EQ(u32(f, e.offset + 40 + 4 * c), rgb[2] | rgb[1] << 8 | rgb[0] << 16) << c;
            }
            next = e.offset + e.bytes;
        }
        const Entry large = entry(f, kIconFormatCount);
        EXPECT_EQ(large.offset, next);
        EXPECT_EQ(uint64_t{large.offset} + large.bytes, f.size());
    }
    EXPECT_TRUE(encodeIconFile(0).empty());
    EXPECT_TRUE(encodeIconFile(kIconCount + 1).empty());
}

uint32_t big32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// An 8-bit RGBA PNG read with zlib: every chunk's CRC, then the rows
// unfiltered. Empty on anything else.
Bytes decodePng(const uint8_t* p, size_t size, int* width) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(p, kSignature, 8) != 0) return {};
    Bytes compressed;
    int w = 0;
    for (size_t at = 8; at + 12 <= size;) {
        const uint32_t length = big32(p + at);
        if (at + 12 + length > size || big32(p + at + 8 + length) != crc32(0, p + at + 4, length + 4)) return {};
        const uint8_t* data = p + at + 8;
        if (!std::memcmp(p + at + 4, "IHDR", 4)) {
            w = int(big32(data));
            if (big32(data + 4) != uint32_t(w) || std::memcmp(data + 8, "\x08\x06\0\0\0", 5)) return {};
        }
        if (!std::memcmp(p + at + 4, "IDAT", 4)) compressed.insert(compressed.end(), data, data + length);
        at += 12 + length;
    }
    const size_t stride = size_t(w) * 4;
    Bytes filtered((stride + 1) * size_t(w));
    uLongf got = filtered.size();
    if (w == 0 || uncompress(filtered.data(), &got, compressed.data(), compressed.size()) != Z_OK ||
        got != filtered.size())
        return {};
    Bytes rgba(stride * size_t(w));
    for (size_t y = 0; y < size_t(w); ++y) {
        const uint8_t filter = filtered[y * (stride + 1)];
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? rgba[y * stride + i - 4] : 0, b = y ? rgba[(y - 1) * stride + i] : 0,
                      c = i >= 4 && y ? rgba[(y - 1) * stride + i - 4] : 0;
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predicted = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                                : filter == 4 ? (pa <= pb && pa <= pc ? a : pb <= pc ? b : c) : 0;
            rgba[y * stride + i] = uint8_t(filtered[y * (stride + 1) + 1 + i] + predicted);
        }
    }
    *width = w;
    return rgba;
}

// Explorer's large icon and the desktop theme's sizes are PNGs that an
// independent decoder reads back as the very drawing.
TEST(IconFile, PngImagesDecodeToTheDrawing) {
    for (int id = 1; id <= kIconCount; ++id) {
        SCOPED_TRACE(id);
        const Bytes f = encodeIconFile(id);
        ASSERT_GE(f.size(), 6u + 16 * (kIconFormatCount + 1));
        const Entry large = entry(f, kIconFormatCount);
        EXPECT_EQ(large.size, 0);  // 256
        EXPECT_EQ(f[6 + 16 * kIconFormatCount + 1], 0);
        EXPECT_EQ(large.bits, 32);
        ASSERT_LE(uint64_t{large.offset} + large.bytes, f.size());
        int width = 0;
        const Bytes rgba = decodePng(&f[large.offset], large.bytes, &width);
        IconImage drawn;
        ASSERT_TRUE(drawIcon(id, kLargeIconSize, 32, &drawn));
        EXPECT_EQ(width, kLargeIconSize);
        EXPECT_TRUE(rgba == drawn.pixels);
    }
    const Bytes themed = encodeIconPng(1, 22);
    int width = 0;
    IconImage drawn;
    ASSERT_TRUE(drawIcon(1, 22, 32, &drawn));
    EXPECT_TRUE(decodePng(themed.data(), themed.size(), &width) == drawn.pixels);
    EXPECT_EQ(width, 22);
}

TEST(IconFile, MaskMatchesThePicture) {
    for (int id = 1; id <= kIconCount; ++id) {
        const Bytes f = encodeIconFile(id);
        for (const IconFormat& format : kIconFormats) {
            SCOPED_TRACE(testing::Message() << id << " at " << format.size << " px, " << format.bits);
            const Picture p = picture(f, format.size, format.bits);
            const int n = p.size;
            EXPECT_TRUE(p.cleanPadding);
            EXPECT_TRUE(p.background[0] && p.background[n - 1]);  // top corners
            int soft = 0, wrong = 0;
            for (size_t i = 0; i < p.pixels.size(); ++i) {
                const uint32_t alpha = format.bits == 4 ? 255 * !p.background[i] : p.pixels[i] >> 24;
                wrong += p.background[i] != (alpha == 0) || (p.background[i] && p.pixels[i] != 0);
                soft += alpha > 0 && alpha < 255;
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_TRUE(format.bits == 4 || soft > 0) << "no anti-aliased edge";
        }
    }
}

// In each column of the cell, how many pixels show `top` and whether all of
// them lie above every pixel that shows `bottom`.
struct Levels {
    int top = 0, bottom = 0;
    bool ordered = true;
};

Levels levels(const Picture& p, uint32_t top, uint32_t bottom) {
    Levels l;
    for (int x = 0; x < p.size; ++x) {
        bool seenBottom = false;
        for (int y = 0; y < p.size; ++y) {
            const uint32_t c = p.pixels[y * p.size + x];
            if (c == bottom) seenBottom = true, ++l.bottom;
            if (c == top) {
                ++l.top;
                if (seenBottom) l.ordered = false;
            }
        }
    }
    return l;
}

TEST(IconFile, LevelsDrainFromTheTopInVisibleSteps) {
    struct Series {
        int first;
        uint8_t full, drained;
    };
    for (const Series s : {Series{3, kVgaBlue, kVgaRed}, Series{8, kVgaLime, kVgaYellow}}) {
        Bytes files[5];
        for (int step = 0; step < 5; ++step) files[step] = encodeIconFile(s.first + step);
        for (const int size : {16, 32}) {
            SCOPED_TRACE(testing::Message() << "icons from " << s.first << " at " << size);
            Levels before;
            for (int step = 0; step < 5; ++step) {
                // Also fails when the rows are stored upside down.
                const Levels l = levels(picture(files[step], size, 4), s.drained, s.full);
                EXPECT_TRUE(l.ordered) << step;
                EXPECT_TRUE(step != 0 || l.top == 0);
                EXPECT_TRUE(step != 4 || l.bottom == 0);
                if (step > 0) {
                    EXPECT_GT(l.top, before.top) << step;
                    EXPECT_LT(l.bottom, before.bottom) << step;
                    EXPECT_EQ(l.top + l.bottom, before.top + before.bottom) << step;
                }
                before = l;
            }
        }
    }
}

TEST(IconFile, PlugsAndPlainBatteryShowTheirColours) {
    struct Case {
        int id;
        uint8_t present, absent;
    };
    for (const Case c : {Case{1, kVgaBlue, kVgaRed}, Case{2, kVgaBlue, kVgaLime},
                         Case{13, kVgaLime, kVgaBlue}}) {
        const Levels l = levels(picture(encodeIconFile(c.id), 16, 4), c.present, c.absent);
        EXPECT_GT(l.top, 0) << c.id;
        EXPECT_EQ(l.bottom, 0) << c.id;
    }
}

}  // namespace
