#include "png.h"

#include <zlib.h>

#include <cstdlib>

namespace {

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBig32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, uint32_t(crc32(crc32(0, Z_NULL, 0), &out[start], uInt(out.size() - start))));
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Each row with the filter that leaves the smallest sum of its bytes taken
// as signed: the usual guess at what compresses best.
std::vector<uint8_t> filterRows(int size, const std::vector<uint8_t>& rgba) {
    const size_t stride = size_t(size) * 4;
    std::vector<uint8_t> out;
    std::vector<uint8_t> zero(stride, 0), candidate(stride), best(stride);
    for (int y = 0; y < size; ++y) {
        const uint8_t* row = &rgba[y * stride];
        const uint8_t* up = y ? &rgba[(y - 1) * stride] : zero.data();
        long bestCost = -1;
        int bestFilter = 0;
        for (int filter = 0; filter < 5; ++filter) {
            long cost = 0;
            for (size_t i = 0; i < stride; ++i) {
                const int a = i >= 4 ? row[i - 4] : 0, b = up[i], c = i >= 4 ? up[i - 4] : 0;
                const int predicted = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                                    : filter == 4 ? paeth(a, b, c) : 0;
                candidate[i] = uint8_t(row[i] - predicted);
                cost += std::abs(int(int8_t(candidate[i])));
            }
            if (bestCost < 0 || cost < bestCost) bestCost = cost, bestFilter = filter, best.swap(candidate);
        }
        out.push_back(uint8_t(bestFilter));
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

// The zlib stream of `data` at zlib's best compression: the same bytes on
// every run with one zlib, so a release is reproducible.
bool compressed(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
    uLongf size = compressBound(uLong(data.size()));
    out.resize(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK) return false;
    out.resize(size);
    return true;
}

}  // namespace

std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba) {
    if (size <= 0 || rgba.size() != size_t(size) * size * 4) return {};
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, uint32_t(size));
    putBig32(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    std::vector<uint8_t> image;
    if (!compressed(filterRows(size, rgba), image)) return {};
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", image);
    chunk(out, "IEND", {});
    return out;
}
