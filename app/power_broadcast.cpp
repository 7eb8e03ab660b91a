#include "app/power_broadcast.h"

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "base/front_end.h"
#include "base/texts.h"
#include "monitor/monitor_timers.h"
#include "monitor/sampler.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

bool suspendStepsDone;
// The save on the way down failed (locked, read-only, disk full): the file
// is older than the settings in force.
static bool settingsFileStale;

void resetPowerBroadcasts() {
    suspendStepsDone = false;
    settingsFileStale = false;
}

int confirmSuspend() {
    if (!liveSettings.Cmanip.Sasksuspendok) return 0;
    return frontEndAskYesNo(text(IDS_SUSPEND_QUESTION), text(IDS_SUSPEND_CAPTION)) ? 0 : 1;
}

static bool closingSteps() {
    stopMainTimer();
    stopLogTimer();
    logCloseMarker();
    return saveSettingsIfEnabled();
}

static void suspendActions() {
    settingsFileStale = !closingSteps();
    // Before the programs: the session may end while they run, and the log
    // is closed already.
    suspendStepsDone = true;
    runEventScript(kTriggerSuspend);
}

static void resumeActions() {
    bool stale = suspendStepsDone && settingsFileStale;
    suspendStepsDone = false;
    BatteryStatus& b = liveSettings.Cbattery;
    int32_t autoCharge = b.Sautosetchargetime, autoDischarge = b.Sautosetdischargetime;
    resetBatteryState(b);
    // Without a file to take them from, the settings in force stay, the two
    // switches the reset turns on included; a stale file would undo changes.
    if (stale || !readSettingsFile()) {
        b.Sautosetchargetime = autoCharge;
        b.Sautosetdischargetime = autoDischarge;
    }
    logOpenMarker();
    startMainTimer();
    startLogTimer();
    runEventScript(kTriggerResume);
}

intptr_t onPowerBroadcast(uint32_t code) {
    switch (code) {
    case kPbtQuerySuspend:
    case kPbtQueryStandby:
        // Asked every time, also when an earlier query was granted and no
        // resume came between; its steps do not run again.
        if (confirmSuspend()) {
            // We had stopped for the earlier query and the machine now stays
            // up: start again as after a suspend that another program refused.
            if (suspendStepsDone) resumeActions();
            return kBroadcastQueryDeny;
        }
        if (!suspendStepsDone) suspendActions();
        return 1;
    case kPbtSuspend:
    case kPbtStandby:
        // Since Vista the only notice, and it cannot be refused; the
        // system reads no answer from it.
        if (!suspendStepsDone) suspendActions();
        return 0;
    case kPbtQuerySuspendFailed:
    case kPbtQueryStandbyFailed:
        // Another program refused after we had stopped: start again.
        if (suspendStepsDone) resumeActions();
        return 0;
    case kPbtResumeCritical:
        // After a critical suspend nothing was announced: the steps run
        // even though the monitor never stopped.
        resumeActions();
        return 0;
    case kPbtResumeSuspend:
    case kPbtResumeStandby:
    case kPbtResumeAutomatic:
        if (suspendStepsDone) resumeActions();
        return 0;
    default:
        return 0;
    }
}

intptr_t onEndSession(uintptr_t ending) {
    if (ending) {
        // After a granted suspend the log is closed already: a second
        // marker would leave the log's markers unpaired.
        if (suspendStepsDone) saveSettingsIfEnabled();
        else closingSteps();
        runEventScript(kTriggerShutdown);
    }
    return 0;
}
