// Clock, power status and the system facts the core asks for.
#include "platform/win32/win32_internal.h"

void platformGetLocalTime(LocalTime* out) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    *out = LocalTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                     now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

bool platformGetPowerStatus(PowerReading* out) {
    SYSTEM_POWER_STATUS status;
    if (!GetSystemPowerStatus(&status)) return false;
    *out = PowerReading{status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent};
    return true;
}

bool platformCanRefuseSuspend() { return true; }

char platformPathSeparator() { return '\\'; }

// The table's: the tray icon off, the sounds of the Windows directory.
const PlatformDefaults& platformDefaults() {
    static const PlatformDefaults windows{0, {}};
    return windows;
}

void platformGetWindowsDirectory(char* out, size_t size) {
    if (!out || size == 0) return;
    char directory[MAX_PATH * 2];
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) directory[0] = '\0';
    copyCodePageText(out, size, directory);
}

bool platformIsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }
