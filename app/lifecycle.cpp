#include "app/lifecycle.h"

#include "actions/battery_log.h"
#include "app/command_line.h"
#include "app/file_chooser_setup.h"
#include "app/trace.h"
#include "monitor/monitor_timers.h"
#include "monitor/presentation.h"
#include "settings/apply_settings.h"
#include "settings/settings_file.h"

void earlyInitialise() {
    char logFile[kPathSize];
    makePath(programDirectory, "CELWRD.LOG", "CELWRD.LOG", logFile, false);
    setText(liveSettings.Clogfile.Slogfilename, logFile);
    prepareFileChoosers(liveSettings.Clogfile.Slogfilename);
    openTraceFile();
}

void startUp() {
    readSettingsFile();
    logOpenMarker();
    startMainTimer();
    startLogTimer();
    loadMainDialogCopy();
}

void shutDown() {
    stopMainTimer();
    stopLogTimer();
    logCloseMarker();
    removeTrayIcon();
    saveSettingsIfEnabled();
}
