// The time axis of the charts: ticks from seconds to centuries, labelled
// in local time.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int64_t kSecondsPerDay = 86400;

// Ticks of the time axis: a step from minutes to years that gives at most
// `maxTicks` of them. `date` is the line below the label, written where the
// day (or, for steps of days, the year) changes.
struct TimeTick {
    int64_t time;
    char label[16];
    char date[16];
};
constexpr int kMaxTimeTicks = 24;
int timeTicks(int64_t start, int64_t end, int maxTicks, TimeTick (&out)[kMaxTimeTicks]);

// Local seconds since 1601 as a calendar time.
LocalTime localTimeAt(int64_t seconds);
