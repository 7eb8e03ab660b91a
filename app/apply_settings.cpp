#include "app/apply_settings.h"

#include <cstring>

#include "actions/battery_log.h"
#include "base/text_util.h"
#include "monitor/monitor_timers.h"
#include "settings/settings_keys.h"

MainDialogCopy mainDialogCopy;

static int32_t secondsToMs(int32_t seconds) { return clampToInt32(static_cast<int64_t>(seconds) * 1000); }

void loadMainDialogCopy() {
    const Settings& s = liveSettings;
    MainDialogCopy& c = mainDialogCopy;
    memcpy(c.displayItems, s.Cscreen.Sdisplayitems, sizeof c.displayItems);
    c.chargeSeconds = s.Cbattery.Stimedef1pcharge / 1000;
    c.autoCharge = s.Cbattery.Sautosetchargetime;
    c.dischargeSeconds = s.Cbattery.Stimedef1pdischarge / 1000;
    c.autoDischarge = s.Cbattery.Sautosetdischargetime;
    c.logEnabled = s.Clogfile.Sneedsavelogfile;
    // The battery trigger wins when the file turned both on; time shows when both are off.
    c.logTrigger = s.Clogfile.Sneedsavelogfilebattery ? 1 : 0;
    copyText(c.logFileName, s.Clogfile.Slogfilename);
    c.logIntervalSeconds = s.Clogfile.Soutputinterval / 1000;
    c.hideTaskbar = s.Cscreen.Shidetaskbar;
    c.showTaskTray = s.Cscreen.Sshowtasktray;
    c.askSuspend = s.Cmanip.Sasksuspendok;
}

// The log settings, in the order that puts the close marker into the old
// file and the open marker into the new one.
static void applyLogSettings(const MainDialogCopy& c, ClogfileGroup& log) {
    int32_t wasLogging = log.Sneedsavelogfile;
    if (strcmp(c.logFileName, log.Slogfilename) != 0) {
        if (wasLogging) logCloseMarker();
        wasLogging = 0;
    }
    if (wasLogging && wasLogging != c.logEnabled) logCloseMarker();
    log.Sneedsavelogfile = c.logEnabled;
    if (c.logTrigger == 0) setLogByTime(log, 1);
    else if (c.logTrigger == 1) setLogByBattery(log, 1);
    setText(log.Slogfilename, c.logFileName);
    log.Soutputinterval = secondsToMs(c.logIntervalSeconds);
    if (c.logEnabled && c.logEnabled != wasLogging) logOpenMarker();
    // Also restarts the time-based log schedule from now.
    stopLogTimer();
    startLogTimer();
}

void applyMainDialogCopy() {
    const MainDialogCopy& c = mainDialogCopy;
    Settings& s = liveSettings;
    applyLogSettings(c, s.Clogfile);
    memcpy(s.Cscreen.Sdisplayitems, c.displayItems, sizeof c.displayItems);
    s.Cbattery.Stimedef1pcharge = secondsToMs(c.chargeSeconds);
    s.Cbattery.Sautosetchargetime = c.autoCharge;
    s.Cbattery.Stimedef1pdischarge = secondsToMs(c.dischargeSeconds);
    s.Cbattery.Sautosetdischargetime = c.autoDischarge;
    s.Cscreen.Shidetaskbar = c.hideTaskbar;
    s.Cscreen.Sshowtasktray = c.showTaskTray;
    s.Cmanip.Sasksuspendok = c.askSuspend;
}

// Logging put back as the backup had it, with the marker that keeps the
// file's open and close markers paired: a close marker in the file logging
// leaves, an open marker in the file it goes to.
static void restoreLogging(ClogfileGroup& log, int32_t enabled, const char* name) {
    bool moved = strcmp(name, log.Slogfilename) != 0;
    bool was = log.Sneedsavelogfile != 0;
    if (was && (moved || !enabled)) logCloseMarker();
    log.Sneedsavelogfile = enabled;
    if (moved) setText(log.Slogfilename, name);
    if (enabled && (moved || !was)) logOpenMarker();
}

// A rate measured since the backup was taken survives while it is measured
// automatically.
static void restoreRate(int32_t& autoSet, int32_t& rate, int32_t backupAutoSet, int32_t backupRate) {
    autoSet = backupAutoSet;
    if (autoSet == 0) rate = backupRate;
}

void restoreFromBackup() {
    Settings& live = liveSettings;
    const Settings& backup = backupSettings;
    live.Cscreen = backup.Cscreen;
    live.Csound = backup.Csound;
    live.Cmanip = backup.Cmanip;
    restoreLogging(live.Clogfile, backup.Clogfile.Sneedsavelogfile, live.Clogfile.Slogfilename);
    live.Clogfile.Sneedsavelogfiletime = backup.Clogfile.Sneedsavelogfiletime;
    live.Clogfile.Sneedsavelogfilebattery = backup.Clogfile.Sneedsavelogfilebattery;
    live.Clogfile.Soutputinterval = backup.Clogfile.Soutputinterval;
    restoreRate(live.Cbattery.Sautosetchargetime, live.Cbattery.Stimedef1pcharge,
                backup.Cbattery.Sautosetchargetime, backup.Cbattery.Stimedef1pcharge);
    restoreRate(live.Cbattery.Sautosetdischargetime, live.Cbattery.Stimedef1pdischarge,
                backup.Cbattery.Sautosetdischargetime, backup.Cbattery.Stimedef1pdischarge);
    armMonitorTimers();  // the intervals may have come back
}

void restoreSettingsFromBackup() {
    Settings& live = liveSettings;
    int32_t measuredCharge = live.Cbattery.Stimedef1pcharge;
    int32_t measuredDischarge = live.Cbattery.Stimedef1pdischarge;
    restoreLogging(live.Clogfile, backupSettings.Clogfile.Sneedsavelogfile, backupSettings.Clogfile.Slogfilename);
    for (const SettingKey& row : settingKeys) {
        if (row.intField) *row.intField(live) = *row.intField(backupSettings);
        else copyText(row.textField(live), kNameSize, row.textField(backupSettings));
    }
    if (live.Cbattery.Sautosetchargetime) live.Cbattery.Stimedef1pcharge = measuredCharge;
    if (live.Cbattery.Sautosetdischargetime) live.Cbattery.Stimedef1pdischarge = measuredDischarge;
    armMonitorTimers();
}

void beginMainDialogEdit() {
    loadMainDialogCopy();
    backupSettings = liveSettings;
}

void applyMainDialogAndSnapshot() {
    applyMainDialogCopy();
    backupSettings = liveSettings;
}
