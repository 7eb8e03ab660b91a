// When the batteries' health is read: at the start, at each change of the
// power kind (a resume is one), and once an hour, always in a tick that
// runs anyway, so nothing wakes the program for it. While someone watches
// the power (the health window), a power reading now and then as well.
// The system may take its time: a reading is taken at a later tick.
#pragma once

#include <cstdint>

#include "platform/battery_health.h"
#include "platform/platform.h"

constexpr int64_t kHealthReadEveryMs = 60 * 60 * 1000;
constexpr int64_t kHealthPowerEveryMs = 5000;

// A full reading, started now (the kind changed at the tick of `now`).
void requestHealthReading(const LocalTime& now);

// After each power query of either tick, `now` being the tick's time: the
// hourly reading, the power while watched, and a reading that has come.
void healthAfterQuery(const LocalTime& now);

// On while the power is watched: a reading of the power at most every
// kHealthPowerEveryMs.
void watchHealthPower(bool on);

// The latest reading, or null before the first has come.
const HealthReading* latestHealth();

// Grows by one with each reading taken: a window compares it to redraw.
uint32_t healthReadingCount();

// Back to the start of a run (the tests, the replay).
void resetHealthWatch();
