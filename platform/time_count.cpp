#include "platform/time_count.h"

namespace {

constexpr int64_t kCountsPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000;
// The largest count is INT64_MAX, late in the year 30828.
constexpr int64_t kMaxMs = INT64_MAX / kCountsPerMs;
// 1601-01-01 counted from 0000-03-01, the start of the calendar's 400-year
// cycle as the day arithmetic below counts it.
constexpr int64_t kEpochFromMarch0 = 584694;

bool isLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned daysInMonth(unsigned year, unsigned month) {
    static const uint8_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1601-01-01 of a valid date (H. Hinnant's days_from_civil on
// years that start in March, so the leap day comes last).
int64_t daysFromDate(unsigned year, unsigned month, unsigned day) {
    unsigned y = year - (month <= 2);
    unsigned era = y / 400;
    unsigned yearOfEra = y - era * 400;
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<int64_t>(era) * 146097 + dayOfEra - kEpochFromMarch0;
}

// The monitor compares times of one day all day long: the last date
// turned into days is kept, either way round.
struct DateCache {
    uint64_t key;  // year, month, day; 0 for none
    int64_t days;
    uint16_t year, month, day, dayOfWeek;
};
DateCache toCache;
// Two: the status texts split durations, which lie in January 1601, between
// readings of today.
DateCache fromCache[2] = {{0, -1, 0, 0, 0, 0}, {0, -1, 0, 0, 0, 0}};
unsigned fromCacheNext;

uint64_t dateKey(unsigned year, unsigned month, unsigned day) {
    return year | static_cast<uint64_t>(month) << 16 | static_cast<uint64_t>(day) << 32;
}

void dateFromDays(int64_t days, DateCache& out) {
    int64_t z = days + kEpochFromMarch0;
    int64_t era = z / 146097;
    unsigned dayOfEra = static_cast<unsigned>(z - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    unsigned month = mp < 10 ? mp + 3 : mp - 9;
    out.year = static_cast<uint16_t>(yearOfEra + era * 400 + (month <= 2));
    out.month = static_cast<uint16_t>(month);
    out.day = static_cast<uint16_t>(dayOfYear - (153 * mp + 2) / 5 + 1);
    out.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    out.days = days;
}

}  // namespace

bool dateDays(const LocalTime& t, int64_t* days) {
    uint64_t key = dateKey(t.year, t.month, t.day);
    if (key == toCache.key) {
        *days = toCache.days;
        return true;
    }
    if (t.year < 1601 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month))
        return false;
    toCache.key = key;
    toCache.days = daysFromDate(t.year, t.month, t.day);
    *days = toCache.days;
    return true;
}

int64_t toMsCount(const LocalTime& t) {
    int64_t days;
    if (!isValidTimeOfDay(t) || !dateDays(t, &days)) return -1;
    int64_t ms = days * kMsPerDay + msOfDay(t);
    return ms <= kMaxMs ? ms : -1;
}

bool toTimeCount(const LocalTime& t, int64_t* count) {
    int64_t ms = toMsCount(t);
    *count = ms < 0 ? 0 : ms * kCountsPerMs;
    return ms >= 0;
}

LocalTime fromTimeCount(int64_t count) {
    if (count < 0) count = 0;
    int64_t ms = count / kCountsPerMs;
    int64_t days = ms / kMsPerDay;
    uint32_t inDay = static_cast<uint32_t>(ms - days * kMsPerDay);
    const DateCache* date = &fromCache[0];
    if (days != date->days) {
        date = &fromCache[1];
        if (days != date->days) {
            DateCache& slot = fromCache[fromCacheNext++ % 2];
            dateFromDays(days, slot);
            date = &slot;
        }
    }
    LocalTime t;
    t.year = date->year;
    t.month = date->month;
    t.day = date->day;
    t.dayOfWeek = date->dayOfWeek;
    t.hour = static_cast<uint16_t>(inDay / 3600000);
    t.minute = static_cast<uint16_t>(inDay / 60000 % 60);
    t.second = static_cast<uint16_t>(inDay / 1000 % 60);
    t.milliseconds = static_cast<uint16_t>(inDay % 1000);
    return t;
}
