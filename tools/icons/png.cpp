#include "png.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// ------------------------------------------------------------- deflate

// Bits go out least significant first; Huffman codes most significant first.
struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t buffer = 0;
    int count = 0;

    void bits(uint32_t value, int n) {
        buffer |= value << count;
        count += n;
        for (; count >= 8; count -= 8, buffer >>= 8) out.push_back(uint8_t(buffer));
    }
    void code(uint32_t value, int n) {
        uint32_t reversed = 0;
        for (int i = 0; i < n; ++i) reversed |= ((value >> i) & 1) << (n - 1 - i);
        bits(reversed, n);
    }
    void flush() {
        if (count > 0) out.push_back(uint8_t(buffer));
        buffer = 0, count = 0;
    }
};

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                        33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The fixed literal/length code of the deflate format.
void symbol(BitWriter& w, int s) {
    if (s <= 143) w.code(0x30 + s, 8);
    else if (s <= 255) w.code(0x190 + s - 144, 9);
    else if (s <= 279) w.code(s - 256, 7);
    else w.code(0xC0 + s - 280, 8);
}

void match(BitWriter& w, int length, int distance) {
    int i = 28;
    while (length < kLengthBase[i]) --i;
    symbol(w, 257 + i);
    w.bits(length - kLengthBase[i], kLengthExtra[i]);
    int d = 29;
    while (distance < kDistanceBase[d]) --d;
    w.code(d, 5);
    w.bits(distance - kDistanceBase[d], kDistanceExtra[d]);
}

constexpr int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kChain = 128, kHashBits = 15;

// Greedy matching over hash chains of three-byte strings: icons are flat
// colour, so long runs and repeated rows are what there is to find.
void deflateFixed(const std::vector<uint8_t>& d, std::vector<uint8_t>& out) {
    BitWriter w{out};
    w.bits(1, 1);  // the last block
    w.bits(1, 2);  // fixed codes
    const int n = int(d.size());
    std::vector<int> head(1 << kHashBits, -1), previous(d.size(), -1);
    auto insert = [&](int p) {
        if (p + kMinMatch > n) return;
        const int h = ((d[p] << 10) ^ (d[p + 1] << 5) ^ d[p + 2]) & ((1 << kHashBits) - 1);
        previous[p] = head[h];
        head[h] = p;
    };
    for (int i = 0; i < n;) {
        int best = 0, distance = 0;
        if (i + kMinMatch <= n) {
            const int h = ((d[i] << 10) ^ (d[i + 1] << 5) ^ d[i + 2]) & ((1 << kHashBits) - 1);
            const int longest = std::min(kMaxMatch, n - i);
            int chain = kChain;
            for (int j = head[h]; j >= 0 && i - j <= kWindow && chain-- > 0; j = previous[j]) {
                int length = 0;
                while (length < longest && d[j + length] == d[i + length]) ++length;
                if (length > best) best = length, distance = i - j;
                if (best == longest) break;
            }
        }
        if (best >= kMinMatch) {
            match(w, best, distance);
            for (int k = 0; k < best; ++k) insert(i + k);
            i += best;
        } else {
            symbol(w, d[i]);
            insert(i++);
        }
    }
    symbol(w, 256);
    w.flush();
}

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// ------------------------------------------------------------- PNG

constexpr std::array<uint32_t, 256> kCrcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBig32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = start; i < out.size(); ++i) crc = kCrcTable[(crc ^ out[i]) & 0xFF] ^ (crc >> 8);
    putBig32(out, crc ^ 0xFFFFFFFFu);
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

}  // namespace

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32 KB window
    deflateFixed(data, out);
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) a = (a + byte) % 65521, b = (b + a) % 65521;
    putBig32(out, b << 16 | a);
    return out;
}

std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba) {
    if (size <= 0 || rgba.size() != size_t(size) * size * 4) return {};
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, uint32_t(size));
    putBig32(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", zlibCompress(filterRows(size, rgba)));
    chunk(out, "IEND", {});
    return out;
}
