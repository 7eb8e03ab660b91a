// The letters of a temporary file's name ("~cw" and these, beside the file
// it will replace): drawn from random bytes, so that no one can plant a
// file or link under the name beforehand. Both real platform layers name
// their temporaries so.
#pragma once

inline void temporaryNameLetters(const unsigned char (&bytes)[6], char (&out)[7]) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int i = 0; i < 6; ++i) out[i] = kLetters[bytes[i] % 36];
    out[6] = '\0';
}
