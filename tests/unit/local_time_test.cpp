#include "monitor/local_time.h"

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
