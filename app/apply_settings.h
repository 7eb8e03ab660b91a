// The main dialog edits a working copy of the settings it shows; these
// operations move values between that copy, the live record and the backup.
#pragma once

#include <cstdint>

#include "settings/settings.h"

struct MainDialogCopy {
    int32_t displayItems[5];
    int32_t chargeSeconds;
    int32_t autoCharge;
    int32_t dischargeSeconds;
    int32_t autoDischarge;
    int32_t logEnabled;
    char logFileName[kNameSize];
    int32_t logTrigger;  // 0 log by time, 1 log on each percentage change
    int32_t logIntervalSeconds;
    int32_t hideTaskbar;
    int32_t showTaskTray;
    int32_t askSuspend;
};

extern MainDialogCopy mainDialogCopy;

// Live record to copy.
void loadMainDialogCopy();

// Copy to live record. A changed file name or switch closes the old log and
// opens the new one with their markers; the log timer always restarts.
void applyMainDialogCopy();

// Backup to live record, for the settings the dialogs edit; the log file
// name, the run-time state and, while measured automatically, the rates stay.
// Logging switched on or off again writes its open or close marker, so the
// markers in the file stay paired.
void restoreFromBackup();

// Every setting the backup holds back into the live record, for a Cancel
// that undoes a whole dialog: the monitor's run-time state, the log ring
// and the status texts stay as they are now, and so do rates measured
// automatically since the backup was taken. Log markers as for
// restoreFromBackup.
void restoreSettingsFromBackup();

// loadMainDialogCopy, then backup := live.
void beginMainDialogEdit();

// applyMainDialogCopy, then backup := live.
void applyMainDialogAndSnapshot();
