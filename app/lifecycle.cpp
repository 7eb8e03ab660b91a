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
    // A name too long for the field stays empty rather than naming some
    // other file; so does one with a line break from the folder's name,
    // which would split the settings file when saved.
    char logName[kNameSize];
    pathInFolder(filesDirectory, "CELWRD.LOG", "CELWRD.LOG", logName, false);
    if (!setText(liveSettings.Clogfile.Slogfilename, logName)) liveSettings.Clogfile.Slogfilename[0] = '\0';
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
