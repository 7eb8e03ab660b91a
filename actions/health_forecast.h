// How fast a battery wears, from its history: the pace in points of
// health a month and per 100 cycles, and the month in which it reaches
// 80 % at that pace. Only after 60 days of history: a shorter one says
// more about calibration than about wear.
#pragma once

#include <cstdint>

#include "actions/health_history.h"

constexpr int64_t kForecastLeastDays = 60;
constexpr int32_t kForecastHealthPercent = 80;

// Health in tenths of a percent, full capacity over design in the
// battery's own unit, as read (above 1000 when full exceeds the design);
// -1 when either is unknown.
int32_t healthPermille(const BatteryHealth& battery);

// The history of each battery since it was last put in, as running sums:
// a battery that changed (another maker, serial, design) starts afresh.
struct WearTrend {
    BatteryHealth battery;  // as the latest line gave it
    int64_t firstUtc, lastUtc;  // seconds since 1601
    int32_t lastOffset;         // minutes, of the latest line
    int64_t points;
    double sumDays, sumHealth, sumDays2, sumDaysHealth;
    int64_t cyclePoints;
    double sumCycles, sumCycleHealth, sumCycles2, sumHealthAtCycles;
};

constexpr int kMostTrends = 16;

struct HealthTrends {
    int count;
    WearTrend trends[kMostTrends];
};

void startHealthTrends(HealthTrends& trends);
// A HealthRecordSink: `context` is the HealthTrends.
void addToHealthTrends(const HealthRecord& record, void* context);

struct HealthForecast {
    int64_t days;              // of history behind it
    double pointsPerMonth;     // health lost a month (negative: gained)
    bool perCycles;            // the cycle count moved: the next is known
    double pointsPer100Cycles;
    bool reaches;              // wearing: the month below is known
    int32_t year, month;       // local, when health reaches 80 % at that pace
};

// The forecast for `battery` (a live reading) from the trend of the same
// battery; false before 60 days of its history, or without one.
bool forecastHealth(const HealthTrends& trends, const BatteryHealth& battery, HealthForecast* out);
