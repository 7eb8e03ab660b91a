#include "monitor/local_time.h"

#include <cstring>

#include "base/text_util.h"
#include "settings/battery_status.h"

namespace {

constexpr int64_t kCountsPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000;
// The largest count the system can turn back into a calendar time.
constexpr int64_t kMaxMs = INT64_MAX / kCountsPerMs;
// A grid further behind than this skips ahead instead of catching up.
constexpr int64_t kCatchUpSteps = 10;

// Milliseconds since 1601 of a set, valid time; -1 otherwise.
int64_t msOf(const LocalTime& t) { return isTimeSet(t) ? toMsCount(t) : -1; }

}  // namespace

CountedTime nowCount;

// Apart from recount, whose every-second path then needs no stack canary.
[[gnu::noinline]] static int64_t midnightMs(const LocalTime& t) {
    int64_t days;
    return isTimeSet(t) && dateDays(t, &days) ? days * kMsPerDay : -1;
}

int64_t recount(const LocalTime& t, CountedTime& counted) {
    uint64_t date;
    memcpy(&date, &t, sizeof date);
    // The same date as before (the first eight bytes hold it): only the
    // time of day is new, and the date's count is known.
    bool sameDate = date == counted.bytes[0] && counted.dayMs >= 0;
    memcpy(counted.bytes, &t, sizeof counted.bytes);
    if (sameDate) {
        counted.ms = -1;
        if (isValidTimeOfDay(t)) {
            int64_t ms = counted.dayMs + msOfDay(t);
            if (ms <= kMaxMs) counted.ms = ms;
        }
        return counted.ms;
    }
    counted.dayMs = midnightMs(t);
    counted.ms = msOf(t);
    return counted.ms;
}

int64_t timeDiff(const LocalTime& a, const LocalTime& b) {
    int64_t msA = msOf(a), msB = msOf(b);
    return msA < 0 || msB < 0 ? 0 : msA - msB;
}

int64_t timeDiffSeconds(const LocalTime& a, const LocalTime& b) {
    LocalTime wholeA = a, wholeB = b;
    wholeA.milliseconds = 0;
    wholeB.milliseconds = 0;
    return timeDiff(wholeA, wholeB);
}

void timeAdd(LocalTime& t, int64_t ms) {
    int64_t base = msOf(t);
    if (base < 0) base = 0;  // unset: a duration from 1601-01-01
    int64_t sum;
    if (__builtin_add_overflow(base, ms, &sum)) sum = ms > 0 ? kMaxMs : 0;
    if (sum < 0) sum = 0;  // nothing lies before 1601
    if (sum > kMaxMs) sum = kMaxMs;
    t = fromTimeCount(sum * kCountsPerMs);
}

// How a grid follows the wall clock (the display, the time-based log and
// the power queries all step this way):
// - due once `interval` has passed; the stamp then moves on by exactly one
//   interval, so the grid keeps its phase;
// - behind by up to kCatchUpSteps intervals (the thread was held by a
//   waited program), it catches up one step per call;
// - further behind (the clock was set forward, or a long stall), the stamp
//   moves at once to the last grid point before now: one due step, not a
//   burst of refreshes or log records that would push the whole log ring out;
// - set back by less than one interval, nothing changes: the grid waits until
//   the clock passes the stamp plus the interval again;
// - set back by one interval or more, the grid restarts at now, due at once,
//   rather than waiting (an hour, say) until the clock passes the old stamp.
GridStep moveGrid(LocalTime& stamp, const LocalTime& now, int32_t interval, int64_t elapsed) {
    if (interval < 0) interval = 0;
    if (elapsed < interval && -elapsed < interval) return GridStep::NotDue;
    if (elapsed < 0) {
        stamp = now;
        return GridStep::Restarted;
    }
    int64_t steps = interval > 0 ? elapsed / interval : 1;
    timeAdd(stamp, steps > kCatchUpSteps ? steps * interval : interval);
    return GridStep::Due;
}

void stampLogRecord(BatteryStatus& status) {
    status.logSpan = clampToInt32(timeDiffSeconds(status.now, status.prevLogTime));
    status.prevLogTime = status.now;
}
