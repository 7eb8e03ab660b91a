#include "app/lifecycle.h"

#include "actions/battery_log.h"
#include "base/program.h"
#include "app/file_chooser_setup.h"
#include "app/trace.h"
#include "monitor/monitor_timers.h"
#include "monitor/presentation.h"
#include "app/apply_settings.h"
#include "settings/settings_file.h"

void earlyInitialise() {
    // Built straight into the field: a name too long for it stays empty
    // rather than naming some other file.
    pathInFolder(filesDirectory, "CELWRD.LOG", "CELWRD.LOG", liveSettings.Clogfile.Slogfilename, false);
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
