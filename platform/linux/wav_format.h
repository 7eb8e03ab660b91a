// The layout of a RIFF/WAVE file of PCM samples, found without trusting
// any size the file states: every read is bounded by the file's real size.
#pragma once

#include <cstddef>
#include <cstdint>

enum class WavSample : uint8_t { U8, S16, S24, S32, F32 };

struct WavFormat {
    WavSample sample;
    uint16_t channels;     // 1..8
    uint32_t rate;         // frames per second, 1000..384000
    uint16_t frameBytes;   // bytes of one frame, all channels
    uint64_t dataOffset;   // where the samples start
    uint64_t frameCount;   // whole frames actually present in the file
};

// Reads up to `size` bytes at `offset`; returns how many it got.
struct WavSource {
    void* context;
    uint64_t size;  // of the whole file
    size_t (*readAt)(void* context, uint64_t offset, uint8_t* out, size_t size);
};

// False for anything that is not plain PCM we can play: another format,
// a broken chunk list, a fmt chunk that contradicts itself, no samples.
bool parseWav(const WavSource& source, WavFormat* out);

// The same over bytes in memory.
bool parseWavBytes(const uint8_t* data, size_t size, WavFormat* out);
