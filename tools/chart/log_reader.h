// Reads the battery log as the program writes it: open and close markers
// with their date, and status lines that carry only the time of day. The
// reader gives every line its full date and hands the lines on as events,
// in one pass over the file and in fixed memory whatever its size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "time_axis.h"

// The program's lines are under 128 characters; a line longer than this is
// not one of them and is skipped without being looked at.
constexpr size_t kMaxLogLine = 256;

enum class LogLineType { Open, Close, Status, Unreadable };

// One line as written. Markers fill the date; status lines only the time of
// day and the fields of their layout.
struct LogLine {
    LogLineType type;
    int year, month, day;
    int hour, minute, second;
    int32_t kind;          // PowerKind of a status line
    int percent;           // -1 on a line that shows none
    int32_t rateSeconds;   // seconds per 1 %; 0 on a line that shows none
    bool hasSpan;          // the seconds since the previous record are shown
    int32_t spanSeconds;
};

// `text` without its line end. Anything that is not exactly one of the
// program's layouts is Unreadable.
LogLineType parseLogLine(const char* text, size_t length, LogLine* out);

enum class LogEventType { Open, Close, Status };

struct LogEvent {
    LogEventType type;
    int64_t time;  // local seconds since 1601-01-01 00:00:00
    int32_t kind;
    int percent;
    int32_t rateSeconds;
};

// What was skipped, with the first line number of each sort for the user.
struct LogCounts {
    int64_t lines;
    int64_t unreadable;  // not a line of the log (garbage, cut, too long)
    int64_t undated;     // a status line before any marker
    int64_t outOfOrder;  // earlier than a line already handed on
    int64_t firstUnreadable, firstUndated, firstOutOfOrder;
};

using LogEventSink = void (*)(const LogEvent& event, void* context);

struct LogReader {
    LogEventSink sink;
    void* context;
    // the line being collected across pieces of input
    char line[kMaxLogLine];
    size_t length;
    bool overlong;
    // dating: the day of the last marker or status line and its time of day
    bool haveDate;
    int64_t day;
    int64_t timeOfDay;
    bool afterStatus;        // the previous line was a status line of this run
    int64_t previousStatus;  // and its time
    bool haveLatest;
    int64_t latest;
    LogCounts counts;
};

void startLogReader(LogReader& reader, LogEventSink sink, void* context);
// Any piece of the file; lines may be split anywhere between pieces.
void feedLogReader(LogReader& reader, const char* data, size_t size);
// The last line, when the file does not end with a line end.
void finishLogReader(LogReader& reader);
