#include "monitor/monitor_timers.h"

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "actions/sound_alerts.h"
#include "base/front_end.h"
#include "base/program.h"
#include "monitor/health_watch.h"
#include "monitor/local_time.h"
#include "monitor/presentation.h"
#include "monitor/sampler.h"
#include "monitor/status_format.h"
#include "settings/settings.h"

LocalTime displayStamp;
LocalTime logStamp;
int32_t fullLatch;
int32_t lowLatch;
static int32_t prevKind = kPowerAcLine;  // the kind at the last kind change

static uintptr_t mainTimer;
static uintptr_t logTimer;
static CountedTime displayCount, logCount;  // of the two stamps

void startMainTimer() {
    stopMainTimer();
    fullLatch = lowLatch = 1;
    platformGetLocalTime(&displayStamp);
    mainTimer = platformStartTimer(kTickMs, mainTick);
    sampleBattery(liveSettings.Cbattery);
    formatStatus(liveSettings);
    updatePresentation();
    armMonitorTimers();
}

void stopMainTimer() {
    if (mainTimer) platformStopTimer(mainTimer);
    mainTimer = 0;
}

void startLogTimer() {
    stopLogTimer();
    platformGetLocalTime(&logStamp);
    logTimer = platformStartTimer(kTickMs, logTick);
    sampleBattery(liveSettings.Cbattery);
    formatStatus(liveSettings);
    // Started anew when settings are applied: the main timer's intervals
    // may have changed too.
    armMonitorTimers();
}

void stopLogTimer() {
    if (logTimer) platformStopTimer(logTimer);
    logTimer = 0;
}

void resetMonitor() {
    fullLatch = lowLatch = 0;
    prevKind = kPowerAcLine;
}

bool mainTimerRunning() { return mainTimer != 0; }
bool logTimerRunning() { return logTimer != 0; }

// ---------------------------------------------------------------- arming
//
// Each timer sleeps through the steps at which its tick would do nothing:
// no query due, no display refresh or log record due, no change waiting
// to be handled. The steps it wakes at are exactly those at which a tick
// on every step would have acted.

static bool mainChangesWaiting(const BatteryStatus& b) {
    if (b.kind == kPowerUnknown) return false;  // handled once a query has told the kind
    if (b.kindChanged[kMainTickSlot] || b.percentChanged[kMainTickSlot]) return true;
    return autoExit && (b.kind == kPowerAcLine || b.kind == kPowerAcBatt);
}

static QuietSpan mainQuietSpan() {
    const BatteryStatus& b = liveSettings.Cbattery;
    if (mainChangesWaiting(b)) return kNeverQuiet;
    return bothQuiet(sampleQuietSpan(b),
                     quietSpan(displayStamp, displayCount, liveSettings.Cscreen.Sdisplayinterval));
}

// The log tick queries too, whichever of the two ticks comes first.
static QuietSpan logQuietSpan() {
    const BatteryStatus& b = liveSettings.Cbattery;
    const ClogfileGroup& log = liveSettings.Clogfile;
    QuietSpan span = sampleQuietSpan(b);
    if (b.kind == kPowerUnknown) return span;
    if (b.kindChanged[kLogTickSlot]) return kNeverQuiet;
    if (log.Sneedsavelogfilebattery) return b.percentChanged[kLogTickSlot] ? kNeverQuiet : span;
    if (log.Sneedsavelogfiletime) return bothQuiet(span, quietSpan(logStamp, logCount, log.Soutputinterval));
    return span;
}

void armMonitorTimers() {
    if (mainTimer) {
        QuietSpan span = mainQuietSpan();
        platformArmTimer(mainTimer, span.from, span.until);
    }
    if (logTimer) {
        QuietSpan span = logQuietSpan();
        platformArmTimer(logTimer, span.from, span.until);
    }
}

// The desktop's notification comes with the alert's sound.
static void fullAlert() {
    if (!fullLatch) return;
    fullLatch = 0;
    const CsoundGroup& sound = liveSettings.Csound;
    playSoundEntry(sound.Sfullbatteryfilename, sound.Sfullbatteryfilenameenable);
    if (sound.Sfullbatteryfilenameenable) frontEndNotifyAlert(true, liveSettings.Cbattery.percent);
}

static void lowAlert() {
    if (!lowLatch) return;
    lowLatch = 0;
    const CsoundGroup& sound = liveSettings.Csound;
    playSoundEntry(sound.Slowbatteryfilename, sound.Slowbatteryfilenameenable);
    if (sound.Slowbatteryfilenameenable) frontEndNotifyAlert(false, liveSettings.Cbattery.percent);
}

// Mains came or the battery came back: the section by where we came from.
static void runMainsSection() {
    if (prevKind == kPowerDischarge) runEventScript(kTriggerAcOn);
    else if (prevKind == kPowerAcLine) runEventScript(kTriggerBatOn);
}

// Latches, then the event section, then the sound.
static void handleKindChange(int32_t kind, int32_t p) {
    const CsoundGroup& sound = liveSettings.Csound;
    bool full = p >= sound.Sfullbatteryperc;
    bool low = p <= sound.Slowbatteryperc;
    switch (kind) {
    case kPowerAcLine:
        fullLatch = lowLatch = 1;
        runEventScript(kTriggerBatOff);
        playSoundEntry(sound.Sacfilename, sound.Sacfilenameenable);
        break;
    case kPowerAcBatt:
        // Between AC&Batt and Charge the latches survive: a full alert
        // heard while charging is not repeated when charging stops.
        if (prevKind != kPowerCharge) fullLatch = lowLatch = 1;
        runMainsSection();
        if (full) fullAlert();
        else if (low) lowAlert();
        else playSoundEntry(sound.Sacbatteryfilename, sound.Sacbatteryfilenameenable);
        break;
    case kPowerCharge:
        if (prevKind != kPowerAcBatt) fullLatch = lowLatch = 1;
        runMainsSection();
        if (full) fullAlert();
        else playSoundEntry(sound.Schargefilename, sound.Schargefilenameenable);
        break;
    case kPowerDischarge:
        fullLatch = lowLatch = 1;
        runEventScript(kTriggerAcOff);
        if (low) lowAlert();
        else playSoundEntry(sound.Sdischargefilename, sound.Sdischargefilenameenable);
        break;
    default:
        break;
    }
}

static void handlePercentChange(int32_t kind, int32_t p) {
    const CsoundGroup& sound = liveSettings.Csound;
    if (kind == kPowerCharge && p >= sound.Sfullbatteryperc && fullLatch) {
        runEventScript(kTriggerBatFull);
        fullAlert();
    } else if (kind == kPowerDischarge && p <= sound.Slowbatteryperc && lowLatch) {
        runEventScript(kTriggerBatLow);
        lowAlert();
    }
}

// At most one of the two changes per tick. Until a query has succeeded
// there is no kind to report: the change waits for it, and prevKind keeps
// the kind last reported. True when a change was handled.
static bool handleChanges(BatteryStatus& b) {
    if (b.kind == kPowerUnknown) return false;
    int32_t p = b.percent;
    if (b.kindChanged[kMainTickSlot]) {
        b.kindChanged[kMainTickSlot] = 0;
        b.percentChanged[kMainTickSlot] = 0;
        handleKindChange(b.kind, p);
        prevKind = b.kind;
        // The start, a resume or another kind: the batteries may have changed.
        requestHealthReading(b.now);
        return true;
    }
    if (!b.percentChanged[kMainTickSlot]) return false;
    b.percentChanged[kMainTickSlot] = 0;
    handlePercentChange(b.kind, p);
    return true;
}

// A tick that changed nothing leaves the timers as they were armed; any
// other may have moved what either of them waits for.
void mainTick() {
    BatteryStatus& b = liveSettings.Cbattery;
    bool moved = sampleBattery(b);
    if (moved) healthAfterQuery(b.now);
    moved |= handleChanges(b);
    if (stepGrid(displayStamp, displayCount, b.now, liveSettings.Cscreen.Sdisplayinterval) != GridStep::NotDue) {
        moved = true;
        formatStatus(liveSettings);
        updatePresentation();
    }
    if (autoExit && (b.kind == kPowerAcLine || b.kind == kPowerAcBatt)) frontEndEndMainDialog();
    if (moved) armMonitorTimers();
}

static void writeLogRecord() {
    stampLogRecord(liveSettings.Cbattery);
    formatStatus(liveSettings);
    logStatusLine();
}

static bool logIfDue(BatteryStatus& b, const ClogfileGroup& log) {
    if (b.kind == kPowerUnknown) return false;  // nothing measured yet
    if (b.kindChanged[kLogTickSlot]) {
        b.kindChanged[kLogTickSlot] = 0;
        b.percentChanged[kLogTickSlot] = 0;
    } else if (log.Sneedsavelogfilebattery) {
        if (!b.percentChanged[kLogTickSlot]) return false;
        b.percentChanged[kLogTickSlot] = 0;
    } else if (!log.Sneedsavelogfiletime ||
               stepGrid(logStamp, logCount, b.now, log.Soutputinterval) == GridStep::NotDue) {
        return false;
    }
    writeLogRecord();
    return true;
}

void logTick() {
    BatteryStatus& b = liveSettings.Cbattery;
    bool moved = sampleBattery(b);
    if (moved) healthAfterQuery(b.now);
    moved |= logIfDue(b, liveSettings.Clogfile);
    if (moved) armMonitorTimers();
}
