// Alert sounds: one WAV file per power situation, each with its switch.
#pragma once

#include <cstdint>

// Starts playing a WAV file and returns at once; a later sound cuts off an
// earlier one, and a file that cannot be played gives the system's default
// sound. Always succeeds, as far as the caller can tell.
void playAlertSound(const char* file);

// Plays `file` when its switch is on; the name is passed on unchanged, also
// when it is empty.
void playSoundEntry(const char* file, int32_t enabled);
