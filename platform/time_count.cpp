#include "platform/time_count.h"

#include <chrono>

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int64_t kCountsPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000;

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
