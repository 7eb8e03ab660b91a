#include "app/power_broadcast.h"

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "monitor/monitor_timers.h"
#include "monitor/sampler.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

bool suspendStepsDone;

int confirmSuspend() {
    if (!liveSettings.Cmanip.Sasksuspendok) return 0;
    return platformAskYesNo("サスペンドを実行しますか？", "Cellwarden Suspend") ? 0 : 1;
}

static void closingSteps() {
    stopMainTimer();
    stopLogTimer();
    logCloseMarker();
    saveSettingsIfEnabled();
}

static void suspendActions() {
    closingSteps();
    runEventScript(kTriggerSuspend);
    suspendStepsDone = true;
}

static void resumeActions() {
    suspendStepsDone = false;
    resetBatteryState(liveSettings.Cbattery);
    readSettingsFile();
    logOpenMarker();
    startMainTimer();
    startLogTimer();
    runEventScript(kTriggerResume);
}

intptr_t onPowerBroadcast(uint32_t code) {
    switch (code) {
    case kPbtQuerySuspend:
    case kPbtQueryStandby:
        if (suspendStepsDone) return 1;  // already on the way down
        if (confirmSuspend()) return kBroadcastQueryDeny;
        suspendActions();
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
        closingSteps();
        runEventScript(kTriggerShutdown);
    }
    return 0;
}
