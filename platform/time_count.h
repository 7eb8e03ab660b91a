// Local times as counts of 100 ns units since 1601-01-01 00:00:00 on the
// proleptic Gregorian calendar, the system's FILETIME. Our own portable
// code, so every platform and the simulated one count alike.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// False for a time that is not a valid calendar time, or one beyond the
// largest count (in the year 30828); the count is then 0.
bool toTimeCount(const LocalTime& t, int64_t* count);
LocalTime fromTimeCount(int64_t count);

// The same count in whole milliseconds; -1 where toTimeCount gives false.
int64_t toMsCount(const LocalTime& t);

// Days since 1601-01-01 of t's date; false when the date is not valid.
bool dateDays(const LocalTime& t, int64_t* days);

inline bool isValidTimeOfDay(const LocalTime& t) {
    return t.hour <= 23 && t.minute <= 59 && t.second <= 59 && t.milliseconds <= 999;
}

// Milliseconds since the day's midnight, of a valid time of day.
inline int32_t msOfDay(const LocalTime& t) {
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.milliseconds;
}
