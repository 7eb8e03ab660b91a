#include "monitor/local_time.h"

#include "base/text_util.h"
#include "settings/battery_status.h"

namespace {

constexpr int64_t kCountsPerMs = 10000;
// The largest count the system can turn back into a calendar time.
constexpr int64_t kMaxMs = INT64_MAX / kCountsPerMs;

}  // namespace

int64_t timeDiff(const LocalTime& a, const LocalTime& b) {
    if (!isTimeSet(a) || !isTimeSet(b)) return 0;
    int64_t countA, countB;
    if (!toTimeCount(a, &countA) || !toTimeCount(b, &countB)) return 0;
    return (countA - countB) / kCountsPerMs;
}

int64_t timeDiffSeconds(const LocalTime& a, const LocalTime& b) {
    LocalTime wholeA = a, wholeB = b;
    wholeA.milliseconds = 0;
    wholeB.milliseconds = 0;
    return timeDiff(wholeA, wholeB);
}

void timeAdd(LocalTime& t, int64_t ms) {
    int64_t count = 0;
    if (isTimeSet(t)) toTimeCount(t, &count);
    int64_t base = count / kCountsPerMs;
    int64_t sum;
    if (__builtin_add_overflow(base, ms, &sum)) sum = ms > 0 ? kMaxMs : 0;
    if (sum < 0) sum = 0;  // nothing lies before 1601
    if (sum > kMaxMs) sum = kMaxMs;
    t = fromTimeCount(sum * kCountsPerMs);
}

GridStep stepGrid(LocalTime& stamp, const LocalTime& now, int32_t interval) {
    int64_t elapsed = timeDiff(now, stamp);
    if (elapsed < 0) {
        stamp = now;
        return GridStep::Restarted;
    }
    if (interval < 0) interval = 0;
    if (elapsed < interval) return GridStep::NotDue;
    timeAdd(stamp, interval);
    return GridStep::Due;
}

void stampLogRecord(BatteryStatus& status) {
    status.logSpan = clampToInt32(timeDiffSeconds(status.now, status.prevLogTime));
    status.prevLogTime = status.now;
}
