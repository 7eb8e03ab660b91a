// Clock and the system facts the core asks for.
#include <ctime>

#include "platform/platform.h"

void platformGetLocalTime(LocalTime* out) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    time_t seconds = now.tv_sec;
    tm local{};
    if (!localtime_r(&seconds, &local)) {
        // Only a clock beyond the calendar's range gets here; the epoch
        // is still a valid date.
        *out = LocalTime{1970, 1, 4, 1, 0, 0, 0, 0};
        return;
    }
    *out = LocalTime{static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
                     static_cast<uint16_t>(local.tm_wday),        static_cast<uint16_t>(local.tm_mday),
                     static_cast<uint16_t>(local.tm_hour),        static_cast<uint16_t>(local.tm_min),
                     // A leap second reads as the second before it.
                     static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec),
                     static_cast<uint16_t>(now.tv_nsec / 1000000)};
}

// logind's delay lock holds a suspend back for a while, never off.
bool platformCanRefuseSuspend() { return false; }

char platformPathSeparator() { return '/'; }

// The tray icon on, for desktops without a taskbar; the sounds by name from
// the desktop's sound theme (freedesktop's names, which every theme has or
// inherits).
const PlatformDefaults& platformDefaults() {
    static const PlatformDefaults desktop{
        1, {"power-plug", "power-plug", "power-plug", "power-unplug", "complete", "dialog-warning"}};
    return desktop;
}

// There is no Windows directory: no default names a file in it.

void platformGetWindowsDirectory(char* out, size_t size) {
    if (out && size > 0) out[0] = '\0';
}

// The core's bytes are UTF-8 here; no byte starts a two-byte character.
bool platformIsLeadByte(unsigned char) { return false; }
