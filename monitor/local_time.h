// Arithmetic on local wall-clock times. Times are compared and advanced as
// whole milliseconds on the count of 100 ns units since 1601-01-01; there is
// no time-zone or daylight-saving conversion anywhere.
#pragma once

#include <cstdint>
#include <cstring>

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

// A time's count in milliseconds kept beside the bytes it was taken from,
// for times tested ten times a second: the grid stamps and the clock
// reading. The count is taken again only when the bytes have changed.
struct CountedTime {
    uint64_t bytes[2] = {0, 0};  // the all-zero time is unset,
    int64_t ms = -1;             // and -1 says so: unset or not a valid time
    int64_t dayMs = -1;          // the count at the date's midnight, -1 unknown
};

int64_t recount(const LocalTime& t, CountedTime& counted);

inline int64_t countOf(const LocalTime& t, CountedTime& counted) {
    uint64_t bytes[2];
    memcpy(bytes, &t, sizeof bytes);
    if (((bytes[0] ^ counted.bytes[0]) | (bytes[1] ^ counted.bytes[1])) == 0) return counted.ms;
    return recount(t, counted);
}

// The count of the latest clock reading, shared by every grid test.
extern CountedTime nowCount;

enum class GridStep { NotDue, Due, Restarted };

// The part of stepGrid past the idle test; `elapsed` is timeDiff(now, stamp).
GridStep moveGrid(LocalTime& stamp, const LocalTime& now, int32_t interval, int64_t elapsed);

// A stamp on a fixed grid: due once `interval` ms have passed since it, and
// then moved on by exactly one interval, so a short stall is caught up one
// step per call; a grid far behind moves to its last point before `now` in
// one step. A clock set back by less than one interval changes nothing; by
// more, it restarts the grid at `now` at once instead of waiting until the
// clock passes the old stamp again. Intervals below 0 count as 0.
// `counted` is the caller's cache of the stamp's count.
inline GridStep stepGrid(LocalTime& stamp, CountedTime& counted, const LocalTime& now, int32_t interval) {
    int64_t stampMs = countOf(stamp, counted);
    int64_t nowMs = countOf(now, nowCount);
    int64_t elapsed = (stampMs | nowMs) < 0 ? 0 : nowMs - stampMs;  // as timeDiff
    int64_t least = interval < 0 ? 0 : interval;
    if (elapsed < least && -elapsed < least) return GridStep::NotDue;
    return moveGrid(stamp, now, interval, elapsed);
}

// The local times, in ms since 1601, strictly between which a grid is not
// due: stepGrid's test turned round, so a timer can sleep through them.
// `from` at or after `until` is never quiet.
struct QuietSpan {
    int64_t from;
    int64_t until;
};
constexpr QuietSpan kNeverQuiet{0, 0};
constexpr QuietSpan kAlwaysQuiet{INT64_MIN, INT64_MAX};

inline QuietSpan quietSpan(const LocalTime& stamp, CountedTime& counted, int32_t interval) {
    int64_t least = interval < 0 ? 0 : interval;
    if (least == 0) return kNeverQuiet;
    int64_t stampMs = countOf(stamp, counted);
    if (stampMs < 0) return kAlwaysQuiet;  // an unset stamp never falls due
    return QuietSpan{stampMs - least, stampMs + least};
}

// Quiet only where both are.
inline QuietSpan bothQuiet(QuietSpan a, QuietSpan b) {
    QuietSpan span{a.from > b.from ? a.from : b.from, a.until < b.until ? a.until : b.until};
    return span.from < span.until ? span : kNeverQuiet;
}

// logSpan := whole-second span since prevLogTime; prevLogTime := now.
void stampLogRecord(BatteryStatus& status);
