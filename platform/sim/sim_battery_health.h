// The simulated machine's batteries as their health reader sees them:
// the caller sets the readings, and a read may take simulated time, as
// the system's does.
#pragma once

#include <cstdint>

#include "platform/battery_health.h"

namespace sim {

// What every read gives from now on (reset: no battery).
void setBatteryHealth(const HealthReading& reading);
// A started read is there once this much simulated time has passed (0,
// the start: at once).
void setHealthReadTime(int64_t ms);
void setUtcOffsetMinutes(int32_t minutes);  // reset: 540, Japan

struct HealthReads {
    int started;    // reads started
    int powerOnly;  // of them, for the power alone
    int dropped;    // asked for while one ran
    int now;        // platformReadHealthNow
};
HealthReads healthReads();

// Back to the start; sim::reset() calls it.
void resetBatteryHealth();

}  // namespace sim
