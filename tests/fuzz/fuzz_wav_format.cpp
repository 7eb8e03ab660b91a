// Any bytes as a WAV file: the reader never reads outside them, and what it
// accepts describes frames that lie wholly inside them.
#include <cstdlib>

#include "platform/linux/wav_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavFormat format;
    if (!parseWavBytes(data, size, &format)) return 0;
    if (format.channels < 1 || format.channels > 8 || format.frameBytes == 0 || format.frameCount == 0) abort();
    if (format.dataOffset > size || format.frameCount * format.frameBytes > size - format.dataOffset) abort();
    return 0;
}
