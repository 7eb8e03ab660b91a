#include "monitor/local_time.h"

#include <chrono>

#include "settings/battery_status.h"
#include "sim_test.h"

namespace {

TEST(TimeDiff, UnsetEitherSideIsZero) {
    LocalTime set = at(2026, 3, 1, 12, 0, 0);
    EXPECT_EQ(timeDiff(set, LocalTime{}), 0);
    EXPECT_EQ(timeDiff(LocalTime{}, set), 0);
    EXPECT_EQ(timeDiff(LocalTime{}, LocalTime{}), 0);
}

TEST(TimeDiff, SignedAndAntisymmetricAcrossBoundaries) {
    struct Row {
        LocalTime a, b;
        int64_t expected;
    } rows[] = {
        {at(2026, 3, 1, 12, 0, 0), at(2026, 3, 1, 12, 0, 0), 0},
        {at(2026, 3, 1, 23, 59, 59, 900), at(2026, 3, 2, 0, 0, 0, 100), -200},
        {at(2025, 12, 31, 23, 59, 59, 999), at(2026, 1, 1, 0, 0, 0, 0), -1},
        {at(2024, 3, 1, 0, 0, 0), at(2024, 2, 28, 0, 0, 0), 2 * 86400000LL},  // leap day
        {at(2026, 3, 1, 0, 0, 0), at(2026, 2, 28, 0, 0, 0), 86400000LL},
        {at(2026, 12, 8, 10, 0, 0), at(1601, 1, 1, 0, 0, 0), 13441197600000LL},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(timeDiff(row.a, row.b), row.expected);
        EXPECT_EQ(timeDiff(row.b, row.a), -row.expected);
    }
}

TEST(TimeDiffSeconds, IgnoresMilliseconds) {
    EXPECT_EQ(timeDiffSeconds(at(2026, 1, 1, 10, 0, 0, 999), at(2026, 1, 1, 10, 0, 0, 0)), 0);
    EXPECT_EQ(timeDiffSeconds(at(2026, 1, 1, 10, 0, 1, 0), at(2026, 1, 1, 10, 0, 0, 999)), 1000);
}

TEST(TimeAdd, CrossesYearAndSetsDayOfWeek) {
    LocalTime t = at(2026, 12, 31, 23, 59, 59, 500);
    timeAdd(t, 1000);
    EXPECT_EQ(t.year, 2027);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.milliseconds, 500);
    EXPECT_EQ(t.dayOfWeek, 5);  // a Friday
}

TEST(TimeAdd, UnsetTimeSplitsADuration) {
    LocalTime t{};
    timeAdd(t, 90061000);
    EXPECT_EQ(t.year, 1601);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 2);
    EXPECT_EQ(t.hour, 1);
    EXPECT_EQ(t.minute, 1);
    EXPECT_EQ(t.second, 1);
    EXPECT_EQ(t.dayOfWeek, 2);  // 1601-01-01 was a Monday
}

TEST(TimeAdd, NeverGoesBefore1601NorOverflows) {
    LocalTime t = at(1601, 1, 1, 0, 0, 1);
    timeAdd(t, -5000);
    EXPECT_EQ(t.year, 1601);
    EXPECT_EQ(t.second, 0);
    LocalTime far = at(2026, 1, 1, 0, 0, 0);
    timeAdd(far, INT64_MAX);
    EXPECT_GT(far.year, 30000);
}

TEST(TimeCount, RoundTripsAndRejectsInvalidDates) {
    LocalTime t = at(2026, 12, 8, 13, 14, 15, 16);
    int64_t count = 0;
    ASSERT_TRUE(toTimeCount(t, &count));
    LocalTime back = fromTimeCount(count);
    EXPECT_EQ(back.year, 2026);
    EXPECT_EQ(back.day, 8);
    EXPECT_EQ(back.milliseconds, 16);
    EXPECT_EQ(back.dayOfWeek, 2);  // Tuesday
    EXPECT_FALSE(toTimeCount(at(2026, 2, 30, 0, 0, 0), &count));
    EXPECT_FALSE(toTimeCount(at(2026, 13, 1, 0, 0, 0), &count));
    EXPECT_FALSE(toTimeCount(at(2026, 1, 1, 24, 0, 0), &count));
    EXPECT_EQ(timeDiff(at(2026, 2, 30, 0, 0, 0), at(2026, 1, 1, 0, 0, 0)), 0);
}

// Our own calendar against the standard library's, every day of nine
// centuries, in an order that defeats the one-date caches now and then.
TEST(TimeCount, AgreesWithTheStandardCalendarEveryDay) {
    using namespace std::chrono;
    const sys_days epoch = sys_days{year{1601} / January / 1};
    for (int64_t day = 0; day < 328000; day += day % 3 == 0 ? 1 : 2) {
        year_month_day ymd{epoch + days{day}};
        LocalTime t = at(static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                         static_cast<unsigned>(ymd.day()), 13, 14, 15, 16);
        int64_t count;
        ASSERT_TRUE(toTimeCount(t, &count)) << day;
        ASSERT_EQ(count, day * 864000000000 + (((13 * 60 + 14) * 60 + 15) * 1000 + 16) * 10000LL);
        LocalTime back = fromTimeCount(count);
        ASSERT_EQ(back.year, t.year);
        ASSERT_EQ(back.month, t.month);
        ASSERT_EQ(back.day, t.day);
        ASSERT_EQ(back.dayOfWeek, weekday{epoch + days{day}}.c_encoding());
        ASSERT_EQ(back.milliseconds, 16);
        if (day % 97 == 0) fromTimeCount(0), toTimeCount(at(2000, 2, 29, 0, 0, 0), &count);
    }
}

TEST(TimeCount, RejectsWhatNoCalendarHasAndTheEndOfTheCount) {
    struct Row {
        LocalTime t;
        bool valid;
    } rows[] = {
        {at(1600, 12, 31, 23, 59, 59), false}, {at(1601, 1, 1, 0, 0, 0), true},
        {at(1700, 2, 29, 0, 0, 0), false},     {at(1900, 2, 29, 0, 0, 0), false},
        {at(2000, 2, 29, 0, 0, 0), true},      {at(2024, 2, 29, 0, 0, 0), true},
        {at(2026, 4, 31, 0, 0, 0), false},     {at(2026, 12, 31, 0, 0, 0), true},
        {at(2026, 1, 0, 0, 0, 0), false},      {at(2026, 1, 1, 0, 60, 0), false},
        {at(2026, 1, 1, 0, 0, 60), false},     {at(2026, 1, 1, 0, 0, 0, 1000), false},
        {at(30828, 9, 14, 2, 48, 5, 477), true}, {at(30828, 9, 14, 2, 48, 5, 478), false},
        {at(65535, 12, 31, 23, 59, 59, 999), false},
    };
    for (const Row& row : rows) {
        int64_t count = 1;
        EXPECT_EQ(toTimeCount(row.t, &count), row.valid) << row.t.year << "-" << row.t.month << "-" << row.t.day;
        if (!row.valid) {
            EXPECT_EQ(count, 0);
        }
        EXPECT_EQ(toMsCount(row.t) >= 0, row.valid);
    }
}

// The kept count follows its time through every kind of change.
TEST(CountedTime, FollowsEveryChangeOfItsTime) {
    const LocalTime sequence[] = {
        at(2026, 3, 1, 12, 0, 0),       at(2026, 3, 1, 12, 0, 0, 100), at(2026, 3, 1, 23, 59, 59, 999),
        at(2026, 3, 2, 0, 0, 0),        at(2026, 3, 2, 24, 0, 0),      at(2026, 3, 2, 1, 0, 0),
        LocalTime{},                    at(2026, 3, 2, 1, 0, 0),       at(2026, 2, 30, 1, 0, 0),
        at(2026, 2, 28, 1, 0, 0),       at(30828, 9, 14, 2, 48, 5, 477), at(30828, 9, 14, 2, 48, 5, 478),
    };
    CountedTime counted;
    for (const LocalTime& t : sequence) {
        int64_t expected = isTimeSet(t) ? toMsCount(t) : -1;
        EXPECT_EQ(countOf(t, counted), expected) << t.year << "-" << t.month << "-" << t.day << " " << t.hour;
        EXPECT_EQ(countOf(t, counted), expected);
        LocalTime weekdayOnly = t;
        weekdayOnly.dayOfWeek = 6;
        EXPECT_EQ(countOf(weekdayOnly, counted), isTimeSet(t) ? expected : -1);
    }
}

// One row per way the clock can stand against a grid stamp.
TEST(StepGrid, DueCatchUpSkipAndSetBack) {
    const LocalTime stamp = at(2026, 3, 1, 12, 0, 0);
    struct Row {
        const char* what;
        int64_t nowAfterStamp;  // ms
        int32_t interval;
        GridStep step;
        int64_t stampMoves;  // ms; for Restarted the stamp becomes now
    } rows[] = {
        {"not yet", 999, 1000, GridStep::NotDue, 0},
        {"due", 1000, 1000, GridStep::Due, 1000},
        {"late", 1500, 1000, GridStep::Due, 1000},
        {"stall of five: one step", 5500, 1000, GridStep::Due, 1000},
        {"stall of ten: one step", 10999, 1000, GridStep::Due, 1000},
        {"eleven behind: to the last point", 11500, 1000, GridStep::Due, 11000},
        {"a day forward", 86400300, 60000, GridStep::Due, 86400000},
        {"set back less than one interval", -999, 1000, GridStep::NotDue, 0},
        {"set back a full interval", -1000, 1000, GridStep::Restarted, -1000},
        {"an hour back", -3600000, 60000, GridStep::Restarted, -3600000},
        {"interval 0", 0, 0, GridStep::Due, 0},
        {"interval below 0", 5, -100, GridStep::Due, 0},
        {"interval 0, set back", -5, 0, GridStep::Restarted, -5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        LocalTime grid = stamp, now = stamp;
        timeAdd(now, row.nowAfterStamp);
        CountedTime counted;
        EXPECT_EQ(stepGrid(grid, counted, now, row.interval), row.step);
        EXPECT_EQ(timeDiff(grid, stamp), row.stampMoves);
    }
    // An unset stamp never gives a difference: due only for intervals of 0.
    LocalTime unset{};
    CountedTime counted;
    EXPECT_EQ(stepGrid(unset, counted, stamp, 1000), GridStep::NotDue);
}

TEST(StampLogRecord, SpanInWholeSecondsThenStamp) {
    BatteryStatus status{};
    status.now = at(2026, 1, 1, 10, 0, 5, 700);
    stampLogRecord(status);
    EXPECT_EQ(status.logSpan, 0);
    EXPECT_EQ(status.prevLogTime.milliseconds, 700);
    status.now = at(2026, 1, 1, 10, 1, 5, 100);
    stampLogRecord(status);
    EXPECT_EQ(status.logSpan, 60000);
    // Spans beyond 32 bits are clamped rather than wrapped.
    status.now = at(2026, 3, 1, 10, 1, 5);
    stampLogRecord(status);
    EXPECT_EQ(status.logSpan, INT32_MAX);
}

}  // namespace
