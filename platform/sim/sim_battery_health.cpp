#include "platform/sim/sim_battery_health.h"

#include "platform/sim/sim_platform.h"
#include "platform/time_count.h"

namespace {

struct HealthState {
    HealthReading reading{};
    int64_t readTime = 0;
    int32_t offset = 540;
    sim::HealthReads reads{};
    bool running = false;
    int64_t due = 0;  // ms count at which the running read is done
    HealthReading result{};
};

HealthState health;

int64_t nowMs() { return toMsCount(sim::clock()); }

}  // namespace

namespace sim {

void setBatteryHealth(const HealthReading& reading) { health.reading = reading; }
void setHealthReadTime(int64_t ms) { health.readTime = ms; }
void setUtcOffsetMinutes(int32_t minutes) { health.offset = minutes; }
HealthReads healthReads() { return health.reads; }
void resetBatteryHealth() { health = HealthState{}; }

}  // namespace sim

void platformStartHealthRead(bool powerOnly) {
    if (health.running) {
        ++health.reads.dropped;
        return;
    }
    ++health.reads.started;
    if (powerOnly) ++health.reads.powerOnly;
    health.running = true;
    health.due = nowMs() + health.readTime;
    // The batteries as they are when the read begins.
    health.result = health.reading;
}

bool platformFinishHealthRead(HealthReading* out) {
    if (!health.running || !out || nowMs() < health.due) return false;
    health.running = false;
    *out = health.result;
    return true;
}

bool platformReadHealthNow(HealthReading* out) {
    if (!out) return false;
    ++health.reads.now;
    *out = health.reading;
    return true;
}

int32_t platformUtcOffsetMinutes() { return health.offset; }
