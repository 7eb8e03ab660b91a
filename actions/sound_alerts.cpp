#include "actions/sound_alerts.h"

#include "platform/platform.h"

void playAlertSound(const char* file) { platformPlaySound(file ? file : ""); }

void playSoundEntry(const char* file, int32_t enabled) {
    if (enabled) playAlertSound(file);
}
