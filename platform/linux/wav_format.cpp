#include "platform/linux/wav_format.h"

#include <cstring>

namespace {

// A file with more chunks before its samples than this is not a sound.
constexpr int kMostChunks = 256;

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

bool readExactly(const WavSource& source, uint64_t offset, uint8_t* out, size_t size) {
    if (offset > source.size || source.size - offset < size) return false;
    return source.readAt(source.context, offset, out, size) == size;
}

bool sampleKind(uint16_t tag, uint16_t bits, WavSample* kind) {
    if (tag == kFormatFloat) {
        *kind = WavSample::F32;
        return bits == 32;
    }
    if (tag != kFormatPcm) return false;
    switch (bits) {
    case 8: *kind = WavSample::U8; return true;
    case 16: *kind = WavSample::S16; return true;
    case 24: *kind = WavSample::S24; return true;
    case 32: *kind = WavSample::S32; return true;
    default: return false;
    }
}

// The fmt chunk's body: at least the 16 bytes every format has; the
// extensible form names its real format in the first two bytes of its GUID.
bool parseFormat(const uint8_t* body, size_t size, WavFormat* out) {
    if (size < 16) return false;
    uint16_t tag = le16(body);
    uint16_t channels = le16(body + 2);
    uint32_t rate = le32(body + 4);
    uint16_t blockAlign = le16(body + 12);
    uint16_t bits = le16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40) return false;
        tag = le16(body + 24);
    }
    if (!sampleKind(tag, bits, &out->sample)) return false;
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return false;
    if (blockAlign != channels * (bits / 8)) return false;
    out->channels = channels;
    out->rate = rate;
    out->frameBytes = blockAlign;
    return true;
}

size_t readFromMemory(void* context, uint64_t offset, uint8_t* out, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(context);
    memcpy(out, bytes + offset, size);
    return size;
}

}  // namespace

bool parseWav(const WavSource& source, WavFormat* out) {
    uint8_t header[12];
    if (!out || !readExactly(source, 0, header, sizeof header)) return false;
    if (memcmp(header, "RIFF", 4) != 0 || memcmp(header + 8, "WAVE", 4) != 0) return false;
    // The RIFF size may be wrong either way (a recorder that never fixed it
    // up, a truncated copy): the file's own end is the end.
    uint64_t end = source.size;
    uint64_t riffEnd = 8 + static_cast<uint64_t>(le32(header + 4));
    if (riffEnd >= 12 && riffEnd < end) end = riffEnd;

    WavFormat format{};
    bool haveFormat = false;
    uint64_t at = 12;
    for (int chunk = 0; chunk < kMostChunks && at < end && end - at >= 8; ++chunk) {
        uint8_t chunkHeader[8];
        if (!readExactly(source, at, chunkHeader, sizeof chunkHeader)) return false;
        uint64_t bodyAt = at + 8;
        uint64_t bodySize = le32(chunkHeader + 4);
        if (memcmp(chunkHeader, "fmt ", 4) == 0) {
            uint8_t body[40];
            size_t wanted = bodySize < sizeof body ? static_cast<size_t>(bodySize) : sizeof body;
            if (haveFormat || !readExactly(source, bodyAt, body, wanted) || !parseFormat(body, wanted, &format))
                return false;
            haveFormat = true;
        } else if (memcmp(chunkHeader, "data", 4) == 0) {
            if (!haveFormat) return false;
            // A data chunk cut short plays as far as it goes.
            uint64_t present = end - bodyAt < bodySize ? end - bodyAt : bodySize;
            format.dataOffset = bodyAt;
            format.frameCount = present / format.frameBytes;
            if (format.frameCount == 0) return false;
            *out = format;
            return true;
        }
        // Chunks are padded to an even size.
        uint64_t next = bodyAt + bodySize + (bodySize & 1);
        if (next > end) return false;
        at = next;
    }
    return false;
}

bool parseWavBytes(const uint8_t* data, size_t size, WavFormat* out) {
    if (!data && size > 0) return false;
    WavSource source{const_cast<uint8_t*>(data), size, readFromMemory};
    return parseWav(source, out);
}
