#include "log_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "log_test_lines.h"
#include "settings/battery_status.h"

namespace {

TEST(ChartParseLogLine, ReadsTheStatusLinesTheProgramWrites) {
    struct Row {
        int32_t kind;
        int percent;  // -1: the line shows none
        int32_t rate;
        int hour, minute, second;
        int32_t span;
    } rows[] = {
        {kPowerAcLine, -1, 0, 9, 5, 3, 0},
        {kPowerUnknown, -1, 0, 23, 59, 59, 0},
        {kPowerAcBatt, 100, 200, 0, 0, 0, 0},
        {kPowerAcBatt, 100, 3600, 12, 0, 0, 61},  // a rest of 100 hours
        {kPowerCharge, 15, 74, 19, 5, 0, 300},
        {kPowerCharge, 40, -5, 12, 30, 0, 2},     // a negative rate, as measured
        {kPowerDischarge, 0, 12345, 8, 36, 41, 30601},
        {kPowerDischarge, 37, 72, 14, 5, 9, -3600},  // the clock was set back
    };
    for (const Row& row : rows) {
        std::string text = statusLine(row.kind, row.percent < 0 ? 0 : row.percent, row.rate, row.hour, row.minute,
                                      row.second, row.span);
        LogLine line;
        ASSERT_EQ(parseLogLine(text.data(), text.size(), &line), LogLineType::Status) << text;
        EXPECT_EQ(line.kind, row.kind) << text;
        EXPECT_EQ(line.percent, row.percent) << text;
        EXPECT_EQ(line.hour * 3600 + line.minute * 60 + line.second, row.hour * 3600 + row.minute * 60 + row.second)
            << text;
        if (row.percent >= 0) {
            EXPECT_EQ(line.rateSeconds, row.rate) << text;
            EXPECT_TRUE(line.hasSpan) << text;
            EXPECT_EQ(line.spanSeconds, row.span) << text;
        } else {
            EXPECT_FALSE(line.hasSpan) << text;
        }
    }
}

TEST(ChartParseLogLine, ReadsTheMarkersTheProgramWrites) {
    struct Row {
        bool open;
        int year, month, day, hour, minute, second;
    } rows[] = {{true, 2001, 3, 3, 9, 5, 3}, {false, 2026, 12, 31, 23, 59, 59}, {true, 2028, 2, 29, 0, 0, 0}};
    for (const Row& row : rows) {
        std::string text = markerLine(row.open, row.year, row.month, row.day, row.hour, row.minute, row.second);
        LogLine line;
        ASSERT_EQ(parseLogLine(text.data(), text.size(), &line), row.open ? LogLineType::Open : LogLineType::Close)
            << text;
        EXPECT_EQ(line.year, row.year);
        EXPECT_EQ(line.month, row.month);
        EXPECT_EQ(line.day, row.day);
        EXPECT_EQ(line.hour, row.hour);
        EXPECT_EQ(line.minute, row.minute);
        EXPECT_EQ(line.second, row.second);
    }
}

TEST(ChartParseLogLine, RefusesWhatTheProgramNeverWrites) {
    const std::string good = "Discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)";
    LogLine line;
    ASSERT_EQ(parseLogLine(good.data(), good.size(), &line), LogLineType::Status);
    const std::string bad[] = {
        "",
        "   ",
        good.substr(0, good.size() - 1),                     // cut short
        good.substr(0, 40),
        good + " ",
        "Discharge | 101% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge | 37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge | 037% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 24:05:09 (   0sec)",
        "Discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:60:09 (   0sec)",
        "Discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:9 (   0sec)",
        "Discharge |  37% | 99999999999sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge |  37% |   -0sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge  |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "discharge |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "AC-Line   |  37% |   72sec/1% | end 14:49:03 | rest  0:43:54 | now 14:05:09 (   0sec)",
        "Discharge | ---% | ----sec/1% | end --:--:-- | rest --:--:-- | now 14:05:09 (----sec)",
        good + std::string(1, '\0'),
        "[Open logfile at 2026/02/30 10:00:00]",
        "[Open logfile at 2026/13/08 10:00:00]",
        "[Open logfile at 1600/12/08 10:00:00]",
        "[Open logfile at 2026/12/08 9:00:00]",
        "[Open logfile at 2026/12/08  9:00:00] ",
        "[Open logfile at 2026/12/08  9:00:00",
        "[Opened logfile at 2026/12/08  9:00:00]",
        "[Close logfile at 26/12/08  9:00:00]",
    };
    for (const std::string& text : bad)
        EXPECT_EQ(parseLogLine(text.data(), text.size(), &line), LogLineType::Unreadable) << text;
}

// ------------------------------------------------------------- dating

struct Read {
    std::vector<LogEvent> events;
    LogCounts counts;
};

// The text fed in pieces of `piece` bytes, as a file is read in blocks.
Read readLog(const std::string& text, size_t piece = 4096) {
    Read read;
    LogReader reader;
    startLogReader(
        reader, [](const LogEvent& e, void* context) { static_cast<Read*>(context)->events.push_back(e); }, &read);
    for (size_t at = 0; at < text.size(); at += piece)
        feedLogReader(reader, text.data() + at, std::min(piece, text.size() - at));
    finishLogReader(reader);
    read.counts = reader.counts;
    return read;
}

std::string lines(std::initializer_list<std::string> list) {
    std::string text;
    for (const std::string& line : list) text += line + "\r\n";
    return text;
}

std::string discharge(int percent, int hour, int minute, int second, int span = 0) {
    return statusLine(kPowerDischarge, percent, 200, hour, minute, second, span);
}

TEST(ChartLogDates, StatusLinesTakeTheDayOfTheMarkerAndRollOverAtMidnight) {
    struct Row {
        int year, month, day;               // of the open marker at 23:50
        int nextYear, nextMonth, nextDay;   // of a line at 0:10
    } rows[] = {
        {2026, 12, 8, 2026, 12, 9},
        {2026, 1, 31, 2026, 2, 1},
        {2026, 2, 28, 2026, 3, 1},
        {2028, 2, 28, 2028, 2, 29},
        {2026, 12, 31, 2027, 1, 1},
    };
    for (const Row& row : rows) {
        Read read = readLog(lines({openAt(row.year, row.month, row.day, 23, 50, 0), discharge(50, 23, 55, 0),
                                   discharge(49, 0, 10, 0), discharge(48, 0, 10, 0), discharge(47, 13, 0, 0)}));
        ASSERT_EQ(read.events.size(), 5u);
        EXPECT_EQ(read.events[0].type, LogEventType::Open);
        EXPECT_EQ(read.events[1].time, secondsAt(row.year, row.month, row.day, 23, 55, 0));
        int64_t next = secondsAt(row.nextYear, row.nextMonth, row.nextDay, 0, 10, 0);
        EXPECT_EQ(read.events[2].time, next) << row.year << "/" << row.month << "/" << row.day;
        EXPECT_EQ(read.events[3].time, next);  // the same second is the same day
        EXPECT_EQ(read.events[4].time, next + 12 * 3600 + 50 * 60);
        EXPECT_EQ(read.events[4].percent, 47);
    }
}

TEST(ChartLogDates, TheSpanCountsMidnightsWithoutALine) {
    int64_t threeDays = 3 * kSecondsPerDay;
    Read read = readLog(lines({openAt(2026, 12, 4, 9, 0, 0), statusLine(kPowerAcBatt, 100, 200, 10, 0, 0),
                               // Friday 10:00 to Monday 9:00 at a steady 100 %
                               statusLine(kPowerAcBatt, 99, 200, 9, 0, 0, static_cast<int32_t>(threeDays - 3600)),
                               // a span that does not fit the time of day counts for nothing
                               statusLine(kPowerAcBatt, 98, 200, 8, 0, 0, static_cast<int32_t>(threeDays))}));
    ASSERT_EQ(read.events.size(), 4u);
    EXPECT_EQ(read.events[2].time, secondsAt(2026, 12, 7, 9, 0, 0));
    EXPECT_EQ(read.events[3].time, secondsAt(2026, 12, 8, 8, 0, 0));
}

TEST(ChartLogDates, SkipsAndCountsWhatCannotBeCharted) {
    Read read = readLog(lines({
        discharge(50, 10, 0, 0),                 // 1: no marker yet, no date
        openAt(2026, 12, 8, 10, 0, 0),           // 2
        "garbage",                               // 3
        discharge(49, 10, 30, 0),                // 4
        closeAt(2026, 12, 8, 11, 0, 0),          // 5
        openAt(2026, 12, 8, 9, 0, 0),            // 6: the clock was set back
        discharge(48, 9, 30, 0),                 // 7: still before line 5
        discharge(47, 11, 30, 0),                // 8
        discharge(46, 11, 30, 0).substr(0, 50),  // 9: cut off
    }));
    EXPECT_EQ(read.counts.lines, 9);
    EXPECT_EQ(read.counts.undated, 1);
    EXPECT_EQ(read.counts.firstUndated, 1);
    EXPECT_EQ(read.counts.unreadable, 2);
    EXPECT_EQ(read.counts.firstUnreadable, 3);
    EXPECT_EQ(read.counts.outOfOrder, 2);
    EXPECT_EQ(read.counts.firstOutOfOrder, 6);
    ASSERT_EQ(read.events.size(), 4u);
    EXPECT_EQ(read.events[3].time, secondsAt(2026, 12, 8, 11, 30, 0));
    EXPECT_EQ(read.events[3].percent, 47);
}

TEST(ChartLogDates, NoDatePastTheLastFourDigitYear) {
    Read read = readLog(lines({openAt(9999, 12, 31, 23, 50, 0), discharge(50, 23, 55, 0), discharge(49, 0, 10, 0)}));
    EXPECT_EQ(read.events.size(), 2u);
    EXPECT_EQ(read.counts.unreadable, 1);
    EXPECT_EQ(read.counts.firstUnreadable, 3);
}

TEST(ChartLogReader, LinesArriveWholeHoweverTheFileIsCut) {
    std::string text = "\xEF\xBB\xBF" + lines({openAt(2026, 12, 8, 8, 0, 0), discharge(90, 8, 10, 0)});
    text += std::string(100000, 'x') + "\n";  // a huge line
    text += std::string("Discharge |  37%\0|", 18) + "\n";
    text += discharge(89, 8, 20, 0) + "\n";    // a bare LF ends a line too
    text += closeAt(2026, 12, 8, 8, 30, 0);     // no line end at the very end
    Read whole = readLog(text);
    ASSERT_EQ(whole.events.size(), 4u);
    EXPECT_EQ(whole.events[2].time, secondsAt(2026, 12, 8, 8, 20, 0));
    EXPECT_EQ(whole.events[3].type, LogEventType::Close);
    EXPECT_EQ(whole.counts.lines, 6);
    EXPECT_EQ(whole.counts.unreadable, 2);
    EXPECT_EQ(whole.counts.firstUnreadable, 3);
    for (size_t piece : {1, 2, 7, 255, 256, 257}) {
        Read cut = readLog(text, piece);
        ASSERT_EQ(cut.events.size(), whole.events.size()) << piece;
        for (size_t i = 0; i < cut.events.size(); ++i) EXPECT_EQ(cut.events[i].time, whole.events[i].time) << piece;
        EXPECT_EQ(cut.counts.unreadable, whole.counts.unreadable) << piece;
    }
}

TEST(ChartLogReader, EmptyInputHasNoLines) {
    Read read = readLog("");
    EXPECT_TRUE(read.events.empty());
    EXPECT_EQ(read.counts.lines, 0);
}

}  // namespace
