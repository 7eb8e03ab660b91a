// The sound settings dialog: for each of the six sounds whether it plays
// and which WAV file, and the full and low thresholds. Modal, owned by the
// main dialog; the monitor keeps running while it is open.
#pragma once

#include <cstdint>

#include "base/front_end.h"
#include "dialogs/events.h"
#include "settings/settings.h"

struct SoundRowCopy {
    int32_t enabled;
    char file[kNameSize];
};

// Rows in the order AC, AC&Batt, Charge, Discharge, Full, Low.
struct SoundDialogCopy {
    int32_t fullThreshold;
    int32_t lowThreshold;
    SoundRowCopy rows[6];
};

extern SoundDialogCopy soundDialogCopy;

// Fills the copy from the live settings, takes a new backup and runs the
// dialog; returns when it has ended.
void openSoundDialog();

intptr_t soundDialogInit(WindowHandle window);
intptr_t soundDialogCommand(WindowHandle window, int id, ControlEvent event);

void resetSoundDialog();
