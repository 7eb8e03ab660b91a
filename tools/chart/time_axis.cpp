#include "time_axis.h"

#include <algorithm>
#include <iterator>

#include "base/text_util.h"
#include "platform/time_count.h"

constexpr int64_t kCountsPerSecond = 10000000;

LocalTime localTimeAt(int64_t seconds) { return fromTimeCount(seconds * kCountsPerSecond); }

namespace {

struct AxisStep {
    int64_t seconds;  // a fixed step, or
    int months;       // calendar months
};

constexpr AxisStep kSteps[] = {
    {1, 0},      {2, 0},      {5, 0},         {10, 0},        {15, 0},    {30, 0},
    {60, 0},     {120, 0},    {300, 0},       {600, 0},       {900, 0},   {1800, 0},   {3600, 0},
    {7200, 0},   {10800, 0},  {21600, 0},     {43200, 0},     {86400, 0}, {172800, 0},
    // Day 0 of the count was a Monday: weeks start on Mondays.
    {604800, 0}, {1209600, 0}, {0, 1},        {0, 2},         {0, 3},     {0, 6},      {0, 12},
    {0, 24},     {0, 60},     {0, 120},       {0, 240},       {0, 600},   {0, 1200},   {0, 2400},
    {0, 6000},   {0, 12000},  {0, 24000},     {0, 60000},     {0, 120000},
};

int64_t firstOfMonth(int64_t monthIndex) {
    LocalTime t{static_cast<uint16_t>(monthIndex / 12), static_cast<uint16_t>(monthIndex % 12 + 1), 0, 1, 0, 0, 0, 0};
    int64_t count;
    if (!toTimeCount(t, &count)) return INT64_MAX;
    return count / kCountsPerSecond;
}

double stepLength(const AxisStep& step) {
    return step.months ? step.months * 30.436875 * kSecondsPerDay : static_cast<double>(step.seconds);
}

void labelTick(TimeTick& tick, const AxisStep& step, const LocalTime* previous) {
    LocalTime t = localTimeAt(tick.time);
    tick.date[0] = '\0';
    if (step.months >= 12) {
        formatText(tick.label, "%d", t.year);
    } else if (step.months > 0) {
        formatText(tick.label, "%d/%02d", t.year, t.month);
    } else if (step.seconds >= kSecondsPerDay) {
        formatText(tick.label, "%02d/%02d", t.month, t.day);
        if (!previous || previous->year != t.year) formatText(tick.date, "%d", t.year);
    } else {
        if (step.seconds < 60)
            formatText(tick.label, "%d:%02d:%02d", t.hour, t.minute, t.second);
        else
            formatText(tick.label, "%d:%02d", t.hour, t.minute);
        if (!previous || previous->day != t.day || previous->month != t.month || previous->year != t.year)
            formatText(tick.date, "%02d/%02d", t.month, t.day);
    }
}

}  // namespace

int timeTicks(int64_t start, int64_t end, int maxTicks, TimeTick (&out)[kMaxTimeTicks]) {
    if (end <= start) return 0;
    maxTicks = std::clamp(maxTicks, 2, kMaxTimeTicks);
    const AxisStep* step = &kSteps[std::size(kSteps) - 1];
    for (const AxisStep& s : kSteps) {
        if (static_cast<double>(end - start) / stepLength(s) <= maxTicks - 1) {
            step = &s;
            break;
        }
    }
    int count = 0;
    LocalTime previous{};
    if (step->months == 0) {
        int64_t t = (start + step->seconds - 1) / step->seconds * step->seconds;
        for (; t <= end && count < maxTicks; t += step->seconds) {
            out[count].time = t;
            labelTick(out[count], *step, count ? &previous : nullptr);
            previous = localTimeAt(t);
            ++count;
        }
    } else {
        LocalTime s = localTimeAt(start);
        int64_t month = static_cast<int64_t>(s.year) * 12 + s.month - 1;
        month = (month + step->months - 1) / step->months * step->months;
        if (firstOfMonth(month) < start) month += step->months;
        for (; count < maxTicks; month += step->months) {
            int64_t t = firstOfMonth(month);
            if (t > end) break;
            out[count].time = t;
            labelTick(out[count], *step, nullptr);
            ++count;
        }
    }
    return count;
}
