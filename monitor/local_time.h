// Arithmetic on local wall-clock times. Times are compared and advanced as
// whole milliseconds on the count of 100 ns units since 1601-01-01; there is
// no time-zone or daylight-saving conversion anywhere.
#pragma once

#include <cstdint>

#include "platform/time_count.h"

struct BatteryStatus;

inline bool isTimeSet(const LocalTime& t) { return t.year != 0; }

// a - b in milliseconds; 0 when either is unset.
int64_t timeDiff(const LocalTime& a, const LocalTime& b);

// Like timeDiff with both millisecond fields taken as 0: whole seconds.
int64_t timeDiffSeconds(const LocalTime& a, const LocalTime& b);

// Adds ms to t in place; an unset t starts at 1601-01-01 00:00:00.000, which
// makes this the splitter of a duration into days, hours, minutes, seconds.
void timeAdd(LocalTime& t, int64_t ms);

enum class GridStep { NotDue, Due, Restarted };

// A stamp on a fixed grid: due once `interval` ms have passed since it, and
// then moved on by exactly one interval, so a short stall is caught up one
// step per call; a grid far behind moves to its last point before `now` in
// one step. A clock set back by less than one interval changes nothing; by
// more, it restarts the grid at `now` at once instead of waiting until the
// clock passes the old stamp again. Intervals below 0 count as 0.
GridStep stepGrid(LocalTime& stamp, const LocalTime& now, int32_t interval);

// logSpan := whole-second span since prevLogTime; prevLogTime := now.
void stampLogRecord(BatteryStatus& status);
