#include "monitor/health_watch.h"

#include "actions/health_history.h"
#include "base/front_end.h"
#include "monitor/local_time.h"

namespace {

struct Watch {
    bool running;      // a reading was started and is not taken yet
    bool runningFull;
    bool fullWanted;   // asked for while a power reading ran
    bool powerWatched;
    int64_t nextFullMs;   // local ms at which the hourly reading falls due; -1: none yet
    int64_t lastFullMs;   // local ms of the latest full reading's start
    int64_t lastPowerMs;  // local ms of the latest power reading's start
    uint32_t count;
    bool haveLatest;
    HealthReading latest;
};

constexpr Watch kStart{false, false, false, false, -1, -1, -1, 0, false, {}};
Watch watch = kStart;

void start(bool full, int64_t nowMs) {
    if (watch.running) {
        watch.fullWanted |= full;
        return;
    }
    watch.running = true;
    watch.runningFull = full;
    if (full) {
        watch.fullWanted = false;
        watch.lastFullMs = nowMs;
    } else {
        watch.lastPowerMs = nowMs;
    }
    platformStartHealthRead(!full);
}

void take(const LocalTime& now) {
    HealthReading reading;
    if (!watch.running || !platformFinishHealthRead(&reading)) return;
    watch.running = false;
    watch.latest = reading;
    watch.haveLatest = true;
    ++watch.count;
    // Only full readings go into the history: a power reading may carry
    // the capacities of an hour ago.
    if (watch.runningFull) recordHealthHistory(reading, now, platformUtcOffsetMinutes());
    frontEndRefreshHealthWindow();
}

}  // namespace

void requestHealthReading(const LocalTime& now) {
    int64_t nowMs = countOf(now, nowCount);
    if (nowMs >= 0) watch.nextFullMs = nowMs + kHealthReadEveryMs;
    // The hour's reading started in this very tick (the first after a
    // resume): it is the one asked for.
    if (nowMs >= 0 && nowMs == watch.lastFullMs) return;
    start(true, nowMs);
    take(now);
}

void healthAfterQuery(const LocalTime& now) {
    take(now);
    int64_t nowMs = countOf(now, nowCount);
    if (nowMs < 0) return;
    // Due, or the clock was set back past the last reading. The hours keep
    // their grid, unless it fell far behind (a suspend, the clock set on).
    bool hourly = watch.nextFullMs >= 0 &&
                  (nowMs >= watch.nextFullMs || nowMs < watch.nextFullMs - kHealthReadEveryMs);
    if (hourly) {
        watch.nextFullMs += kHealthReadEveryMs;
        if (watch.nextFullMs <= nowMs || watch.nextFullMs > nowMs + kHealthReadEveryMs)
            watch.nextFullMs = nowMs + kHealthReadEveryMs;
    }
    if (hourly || (watch.fullWanted && !watch.running)) start(true, nowMs);
    else if (watch.powerWatched && !watch.running &&
             (watch.lastPowerMs < 0 || nowMs - watch.lastPowerMs >= kHealthPowerEveryMs || nowMs < watch.lastPowerMs))
        start(false, nowMs);
    else return;
    take(now);
}

void watchHealthPower(bool on) { watch.powerWatched = on; }

const HealthReading* latestHealth() { return watch.haveLatest ? &watch.latest : nullptr; }

uint32_t healthReadingCount() { return watch.count; }

void resetHealthWatch() {
    watch = kStart;
    resetHealthHistory();
}
