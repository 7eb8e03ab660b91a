#include "usage.h"

#include <algorithm>
#include <cstring>

#include "platform/time_count.h"
#include "settings/battery_status.h"
#include "time_axis.h"

namespace {

constexpr int kStopped = -2;  // beside the power kinds

int64_t monthKey(const LocalTime& t) { return static_cast<int64_t>(t.year) * 12 + t.month - 1; }

// Local seconds at the start of a month; far ahead past the calendar.
int64_t monthStart(int64_t key) {
    LocalTime t{static_cast<uint16_t>(key / 12), static_cast<uint16_t>(key % 12 + 1), 0, 1, 0, 0, 0, 0};
    int64_t count;
    if (key / 12 > 9999 || !toTimeCount(t, &count)) return INT64_MAX;
    return count / 10000000;
}

// The stretch [from, to) spent in `state`, clipped to the window and
// split at the months. Days are counted once however many stretches they hold.
void attribute(Usage& u, int64_t from, int64_t to, int state) {
    if (state == kStopped) return;
    if (u.window.haveFrom) from = std::max(from, u.window.from);
    if (u.window.haveTo) to = std::min(to, u.window.to);
    while (from < to) {
        int64_t key = monthKey(localTimeAt(from));
        int64_t end = std::min(to, monthStart(key + 1));
        if (end <= from) break;
        UsageMonth& month = u.months[key];
        month.runningSeconds += static_cast<double>(end - from);
        if (state == kPowerDischarge) month.batterySeconds += static_cast<double>(end - from);
        int64_t firstDay = std::max(from / kSecondsPerDay, u.lastCountedDay + 1);
        int64_t lastDay = (end - 1) / kSecondsPerDay;
        if (lastDay >= firstDay) {
            month.days += lastDay - firstDay + 1;
            u.lastCountedDay = lastDay;
        }
        from = end;
    }
}

bool inWindow(const HealthWindow& w, int64_t time) {
    return (!w.haveFrom || time >= w.from) && (!w.haveTo || time < w.to);
}

// The capacity of the month's batteries: its own, else the nearest
// month's before it, else after it.
bool capacityFor(const Usage& u, int64_t key, double* mwh) {
    auto after = u.months.upper_bound(key);
    for (auto it = after; it != u.months.begin();) {
        --it;
        if (it->second.haveCapacity) return *mwh = it->second.capacityMwh, true;
    }
    for (auto it = after; it != u.months.end(); ++it)
        if (it->second.haveCapacity) return *mwh = it->second.capacityMwh, true;
    return false;
}

struct Totals {
    int64_t days = 0;
    double running = 0, battery = 0, lost = 0;
    double estimatedMwh = 0, estimatedSeconds = 0;
    int64_t readings = 0;
    double powerSum = 0;
};

void addMonth(Totals& t, const Usage& u, int64_t key, const UsageMonth& m) {
    t.days += m.days;
    t.running += m.runningSeconds;
    t.battery += m.batterySeconds;
    t.lost += m.percentLost;
    double capacity;
    if (m.batterySeconds > 0 && capacityFor(u, key, &capacity)) {
        t.estimatedMwh += m.percentLost / 100 * capacity;
        t.estimatedSeconds += m.batterySeconds;
    }
    t.readings += m.powerReadings;
    t.powerSum += m.powerSumMw;
}

UsageFigures figuresOf(const Totals& t) {
    UsageFigures f{};
    f.days = t.days;
    f.haveHours = t.days > 0;
    if (f.haveHours) {
        f.runningHoursPerDay = t.running / 3600 / static_cast<double>(t.days);
        f.batteryHoursPerDay = t.battery / 3600 / static_cast<double>(t.days);
    }
    f.haveDrain = t.battery > 0;
    if (f.haveDrain) f.percentPerHour = t.lost / (t.battery / 3600);
    f.haveEstimate = t.estimatedSeconds > 0;
    if (f.haveEstimate) f.estimatedWatts = t.estimatedMwh / 1000 / (t.estimatedSeconds / 3600);
    f.haveMeasured = t.readings > 0;
    if (f.haveMeasured) f.measuredWatts = -t.powerSum / 1000 / static_cast<double>(t.readings);
    return f;
}

}  // namespace

void startUsage(Usage& u, const HealthWindow& window) {
    u.window = window;
    u.months.clear();
    u.logAny = false;
    u.state = kStopped;
    u.since = 0;
    u.lastPercent = -1;
    u.lastCountedDay = INT64_MIN / 2;
    u.latestCount = 0;
}

void addLogToUsage(const LogEvent& e, void* context) {
    Usage& u = *static_cast<Usage*>(context);
    u.logAny = true;
    switch (e.type) {
    case LogEventType::Open:
        // No close marker before: when the program stopped is not known.
        u.state = kPowerUnknown;
        u.since = e.time;
        u.lastPercent = -1;
        break;
    case LogEventType::Close:
        attribute(u, u.since, e.time, u.state);
        u.state = kStopped;
        u.lastPercent = -1;
        break;
    case LogEventType::Status:
        attribute(u, u.since, e.time, u.state);
        // What went while on the battery, since its last line.
        if (u.state == kPowerDischarge && u.lastPercent >= 0 && e.percent >= 0 && e.percent < u.lastPercent &&
            inWindow(u.window, e.time))
            u.months[monthKey(localTimeAt(e.time))].percentLost += u.lastPercent - e.percent;
        u.state = e.kind;
        u.lastPercent = e.percent;
        u.since = e.time;
        break;
    }
}

void addHistoryToUsage(const HealthRecord& record, void* context) {
    Usage& u = *static_cast<Usage*>(context);
    int64_t time = recordLocalSeconds(record);
    if (!inWindow(u.window, time)) return;
    UsageMonth& month = u.months[monthKey(record.time)];
    if (record.battery.powerMw != kHealthUnknown && record.battery.powerMw < 0) {
        ++month.powerReadings;
        month.powerSumMw += static_cast<double>(record.battery.powerMw);
    }
    Usage::Latest* latest = nullptr;
    for (int i = 0; i < u.latestCount; ++i)
        if (strncmp(u.latest[i].name, record.battery.name, kHealthNameSize) == 0) latest = &u.latest[i];
    if (!latest && u.latestCount < kMostHealthSeries) {
        latest = &u.latest[u.latestCount++];
        memcpy(latest->name, record.battery.name, kHealthNameSize);
    }
    if (!latest) return;
    latest->fullMwh = record.battery.fullMwh;
    // All the batteries together, where each gives its energy.
    double sum = 0;
    for (int i = 0; i < u.latestCount; ++i) {
        if (u.latest[i].fullMwh == kHealthUnknown || u.latest[i].fullMwh <= 0) return;
        sum += static_cast<double>(u.latest[i].fullMwh);
    }
    month.haveCapacity = true;
    month.capacityMwh = sum;
}

UsageFigures usageOfMonth(const Usage& u, int64_t key) {
    Totals t;
    auto it = u.months.find(key);
    if (it != u.months.end()) addMonth(t, u, key, it->second);
    return figuresOf(t);
}

UsageFigures usageOfAll(const Usage& u) {
    Totals t;
    for (const auto& [key, month] : u.months) addMonth(t, u, key, month);
    return figuresOf(t);
}
