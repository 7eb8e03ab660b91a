#include "monitor/local_time.h"

#include <chrono>

#include "app/text_util.h"
#include "monitor/battery_status.h"

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int64_t kCountsPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000;
// The largest count the system can turn back into a calendar time.
constexpr int64_t kMaxMs = INT64_MAX / kCountsPerMs;

const sys_days kEpoch = sys_days{std::chrono::year{1601} / std::chrono::January / 1};

}  // namespace

bool toTimeCount(const LocalTime& t, int64_t* count) {
    year_month_day date{std::chrono::year{t.year}, std::chrono::month{t.month},
                        std::chrono::day{t.day}};
    *count = 0;
    if (t.year < 1601 || !date.ok() || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.milliseconds > 999)
        return false;
    int64_t dayCount = (sys_days{date} - kEpoch).count();
    int64_t ms = ((dayCount * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
    *count = (ms * 1000 + t.milliseconds) * kCountsPerMs;
    return true;
}

LocalTime fromTimeCount(int64_t count) {
    if (count < 0) count = 0;
    int64_t ms = count / kCountsPerMs;
    int64_t dayCount = ms / kMsPerDay;
    int64_t inDay = ms % kMsPerDay;
    sys_days date = kEpoch + days{dayCount};
    year_month_day ymd{date};
    LocalTime t;
    t.year = static_cast<uint16_t>(static_cast<int>(ymd.year()));
    t.month = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
    t.dayOfWeek = static_cast<uint16_t>(std::chrono::weekday{date}.c_encoding());
    t.hour = static_cast<uint16_t>(inDay / 3600000);
    t.minute = static_cast<uint16_t>(inDay / 60000 % 60);
    t.second = static_cast<uint16_t>(inDay / 1000 % 60);
    t.milliseconds = static_cast<uint16_t>(inDay % 1000);
    return t;
}

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
