#include "settings/settings.h"

#include <cstring>

#include "base/text_util.h"
#include "settings/battery_status.h"
#include "settings/settings_keys.h"

Settings liveSettings;
Settings backupSettings;

// W: the Windows directory with exactly one separator at its end.
static void windowsDirectoryWithSeparator(char (&out)[kNameSize + 1]) {
    platformGetWindowsDirectory(out, kNameSize);
    size_t length = strlen(out);
    const char separator[2] = {platformPathSeparator(), '\0'};
    if (length == 0 || out[length - 1] != separator[0]) appendText(out, sizeof out, separator);
}

// Where the system's users expect other defaults than the table's.
static void applySystemDefaults(Settings& s) {
    const PlatformDefaults& system = platformDefaults();
    s.Cscreen.Sshowtasktray = system.showTrayIcon;
    char* const sounds[6] = {s.Csound.Sacfilename,       s.Csound.Sacbatteryfilename,   s.Csound.Schargefilename,
                             s.Csound.Sdischargefilename, s.Csound.Sfullbatteryfilename, s.Csound.Slowbatteryfilename};
    for (int slot = 0; slot < 6; ++slot)
        if (system.sounds[slot]) copyText(sounds[slot], kNameSize, system.sounds[slot]);
}

void setDefaults(Settings& s) {
    memset(&s, 0, sizeof s);
    char windowsDir[kNameSize + 1];
    windowsDirectoryWithSeparator(windowsDir);
    for (const SettingKey& row : settingKeys) {
        if (row.intField) *row.intField(s) = row.intDefault;
        else if (row.textDefaultFormat) formatText(row.textField(s), kNameSize, row.textDefaultFormat, windowsDir);
    }
    applySystemDefaults(s);
    resetBatteryState(s.Cbattery);
}

void initSettingsRecords() {
    setDefaults(liveSettings);
    setDefaults(backupSettings);
}

bool setText(char* field, const char* text) {
    if (hasControlCharacter(text)) return false;
    copyText(field, kNameSize, text);
    return true;
}

void setLogByTime(ClogfileGroup& log, int32_t value) {
    log.Sneedsavelogfiletime = value;
    log.Sneedsavelogfilebattery = value == 0 ? 1 : 0;
}

void setLogByBattery(ClogfileGroup& log, int32_t value) {
    log.Sneedsavelogfilebattery = value;
    log.Sneedsavelogfiletime = value == 0 ? 1 : 0;
}
