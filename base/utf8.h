// Reading UTF-8 one character at a time, strictly: no over-long forms,
// surrogates or code points past U+10FFFF.
#pragma once

#include <cstddef>

// One character from `p` (at most `left` bytes, at least one) into `out`;
// returns the bytes it took, 0 when `p` does not start a valid character.
size_t decodeUtf8(const unsigned char* p, size_t left, char32_t* out);
