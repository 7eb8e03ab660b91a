#include "actions/health_forecast.h"

#include <cstring>

#include "platform/time_count.h"

namespace {

constexpr double kSecondsPerDay = 86400;
constexpr double kDaysPerMonth = 365.2425 / 12;
constexpr double kCenturyDays = 36524.25;

double healthPercent(const BatteryHealth& battery) {
    NativeCapacity c = nativeCapacity(battery);
    if (c.design == kHealthUnknown || c.full == kHealthUnknown || c.design <= 0) return -1;
    return 100.0 * static_cast<double>(c.full) / static_cast<double>(c.design);
}

// The slope of the least-squares line through n points.
bool slope(double n, double sumX, double sumY, double sumX2, double sumXY, double* out) {
    double spread = n * sumX2 - sumX * sumX;
    if (n < 2 || spread <= 0) return false;
    *out = (n * sumXY - sumX * sumY) / spread;
    return true;
}

WearTrend* trendFor(HealthTrends& trends, const BatteryHealth& battery) {
    for (int i = 0; i < trends.count; ++i)
        if (strncmp(trends.trends[i].battery.name, battery.name, sizeof battery.name) == 0) return &trends.trends[i];
    if (trends.count >= kMostTrends) return nullptr;
    WearTrend* trend = &trends.trends[trends.count++];
    *trend = WearTrend{};
    return trend;
}

}  // namespace

int32_t healthPermille(const BatteryHealth& battery) {
    NativeCapacity c = nativeCapacity(battery);
    if (c.design == kHealthUnknown || c.full == kHealthUnknown || c.design <= 0 || c.full < 0) return -1;
    // Rounded to the nearest tenth, in integers where they hold it.
    int64_t doubled, twice;
    if (__builtin_mul_overflow(c.full, 2000, &doubled) || __builtin_mul_overflow(c.design, 2, &twice) ||
        __builtin_add_overflow(doubled, c.design, &doubled)) {
        double permille = 1000.0 * static_cast<double>(c.full) / static_cast<double>(c.design) + 0.5;
        return permille >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(permille);
    }
    int64_t permille = doubled / twice;
    return permille > INT32_MAX ? INT32_MAX : static_cast<int32_t>(permille);
}

void startHealthTrends(HealthTrends& trends) { trends.count = 0; }

void addToHealthTrends(const HealthRecord& record, void* context) {
    HealthTrends& trends = *static_cast<HealthTrends*>(context);
    double health = healthPercent(record.battery);
    if (health < 0) return;
    WearTrend* trend = trendFor(trends, record.battery);
    if (!trend) return;
    int64_t utc = recordUtcSeconds(record);
    // Another battery in its place, or a clock far back: a new history.
    if (trend->points == 0 || !sameBattery(trend->battery, record.battery) || utc < trend->firstUtc) {
        *trend = WearTrend{};
        trend->firstUtc = utc;
    }
    trend->battery = record.battery;
    trend->lastUtc = utc > trend->lastUtc ? utc : trend->lastUtc;
    trend->lastOffset = record.offsetMinutes;
    double days = static_cast<double>(utc - trend->firstUtc) / kSecondsPerDay;
    ++trend->points;
    trend->sumDays += days;
    trend->sumHealth += health;
    trend->sumDays2 += days * days;
    trend->sumDaysHealth += days * health;
    if (record.battery.cycles != kHealthUnknown) {
        double cycles = static_cast<double>(record.battery.cycles);
        ++trend->cyclePoints;
        trend->sumCycles += cycles;
        trend->sumCycleHealth += cycles * health;
        trend->sumCycles2 += cycles * cycles;
        trend->sumHealthAtCycles += health;
    }
}

bool forecastHealth(const HealthTrends& trends, const BatteryHealth& battery, HealthForecast* out) {
    const WearTrend* trend = nullptr;
    for (int i = 0; i < trends.count; ++i)
        if (sameBattery(trends.trends[i].battery, battery)) trend = &trends.trends[i];
    if (!trend || trend->points < 2) return false;
    int64_t days = (trend->lastUtc - trend->firstUtc) / 86400;
    if (days < kForecastLeastDays) return false;
    double n = static_cast<double>(trend->points);
    double perDay;
    if (!slope(n, trend->sumDays, trend->sumHealth, trend->sumDays2, trend->sumDaysHealth, &perDay)) return false;
    *out = HealthForecast{};
    out->days = days;
    out->pointsPerMonth = -perDay * kDaysPerMonth;
    double perCycle;
    out->perCycles = slope(static_cast<double>(trend->cyclePoints), trend->sumCycles, trend->sumHealthAtCycles,
                           trend->sumCycles2, trend->sumCycleHealth, &perCycle);
    if (out->perCycles) out->pointsPer100Cycles = -perCycle * 100;
    if (perDay < 0) {
        // Where the line through the history crosses 80 %; within a century.
        double intercept = (trend->sumHealth - perDay * trend->sumDays) / n;
        double crossing = (kForecastHealthPercent - intercept) / perDay;
        if (crossing < 0) crossing = 0;
        if (crossing < kCenturyDays) {
            int64_t local = (trend->firstUtc + static_cast<int64_t>(crossing * kSecondsPerDay) +
                             static_cast<int64_t>(trend->lastOffset) * 60);
            LocalTime when = fromTimeCount(local * 10000000);
            out->reaches = true;
            out->year = when.year;
            out->month = when.month;
        }
    }
    return true;
}
