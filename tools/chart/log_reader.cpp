#include "log_reader.h"

#include <cstring>

#include "platform/time_count.h"
#include "settings/battery_status.h"

namespace {

constexpr int64_t kCountsPerSecond = 10000000;
// 9999-12-31 23:59:59: spans that would carry a date past the four-digit
// years of the markers are not believed.
constexpr int64_t kLastSecond = 265046774399;

// A strict left-to-right match of one line against a printf layout.
struct Cursor {
    const char* p;
    const char* end;
};

bool literal(Cursor& c, const char* text) {
    size_t n = strlen(text);
    if (static_cast<size_t>(c.end - c.p) < n || memcmp(c.p, text, n) != 0) return false;
    c.p += n;
    return true;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Exactly `digits` digits, as %02d or a four-digit %d writes them.
bool fixedDigits(Cursor& c, int digits, int* value) {
    if (c.end - c.p < digits) return false;
    int v = 0;
    for (int i = 0; i < digits; ++i) {
        if (!isDigit(c.p[i])) return false;
        v = v * 10 + (c.p[i] - '0');
    }
    c.p += digits;
    *value = v;
    return true;
}

// A number as %Nd writes it: blanks on the left only as many as make it N
// wide, an optional minus, the digits. Bounded to what fits 32 bits.
bool paddedNumber(Cursor& c, int width, int32_t* value) {
    const char* start = c.p;
    while (c.p < c.end && *c.p == ' ') ++c.p;
    size_t blanks = static_cast<size_t>(c.p - start);
    bool negative = c.p < c.end && *c.p == '-';
    if (negative) ++c.p;
    const char* digits = c.p;
    int64_t v = 0;
    while (c.p < c.end && isDigit(*c.p) && c.p - digits < 10) v = v * 10 + (*c.p++ - '0');
    size_t digitCount = static_cast<size_t>(c.p - digits);
    if (digitCount == 0 || (c.p < c.end && isDigit(*c.p))) return false;
    if ((digitCount > 1 && *digits == '0') || (negative && v == 0)) return false;
    size_t numberWidth = digitCount + (negative ? 1 : 0);
    size_t expectedBlanks = numberWidth < static_cast<size_t>(width) ? width - numberWidth : 0;
    if (blanks != expectedBlanks) return false;
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

// "%2d:%02d:%02d" with the hour below `hourLimit` (no limit when 0).
bool clockTime(Cursor& c, int32_t hourLimit, int* hour, int* minute, int* second) {
    int32_t h;
    if (!paddedNumber(c, 2, &h) || h < 0 || (hourLimit > 0 && h >= hourLimit)) return false;
    if (!literal(c, ":") || !fixedDigits(c, 2, minute) || *minute > 59) return false;
    if (!literal(c, ":") || !fixedDigits(c, 2, second) || *second > 59) return false;
    *hour = h;
    return true;
}

bool validDate(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day),
                static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second), 0};
    int64_t count;
    return toTimeCount(t, &count);
}

// "[Open logfile at %d/%02d/%02d %2d:%02d:%02d]", and Close alike.
bool parseMarker(Cursor c, LogLine* out) {
    if (literal(c, "[Open logfile at ")) {
        out->type = LogLineType::Open;
    } else if (literal(c, "[Close logfile at ")) {
        out->type = LogLineType::Close;
    } else {
        return false;
    }
    if (!fixedDigits(c, 4, &out->year) || !literal(c, "/") || !fixedDigits(c, 2, &out->month) ||
        !literal(c, "/") || !fixedDigits(c, 2, &out->day) || !literal(c, " ") ||
        !clockTime(c, 24, &out->hour, &out->minute, &out->second) || !literal(c, "]") || c.p != c.end)
        return false;
    return validDate(out->year, out->month, out->day, out->hour, out->minute, out->second);
}

struct KindLabel {
    const char* label;  // padded to nine characters, then the separator
    int32_t kind;
    bool battery;       // the layout with percent, rate, end and rest
};

const KindLabel kLabels[] = {
    {"AC-Line   | ", kPowerAcLine, false},   {"AC&Batt   | ", kPowerAcBatt, true},
    {"Charge    | ", kPowerCharge, true},    {"Discharge | ", kPowerDischarge, true},
    {"Unknown   | ", kPowerUnknown, false},
};

bool parseBatteryFields(Cursor& c, LogLine* out) {
    int32_t percent;
    int hour, minute, second;
    if (!paddedNumber(c, 3, &percent) || percent < 0 || percent > 100) return false;
    if (!literal(c, "% | ") || !paddedNumber(c, 4, &out->rateSeconds) || !literal(c, "sec/1% | end "))
        return false;
    if (!clockTime(c, 24, &hour, &minute, &second) || !literal(c, " | rest ")) return false;
    // On mains the remaining time shows its total hours, which may pass 23.
    if (!clockTime(c, 0, &hour, &minute, &second) || !literal(c, " | now ")) return false;
    if (!clockTime(c, 24, &out->hour, &out->minute, &out->second) || !literal(c, " (")) return false;
    if (!paddedNumber(c, 4, &out->spanSeconds) || !literal(c, "sec)")) return false;
    out->percent = percent;
    out->hasSpan = true;
    return true;
}

bool parseNoBatteryFields(Cursor& c, LogLine* out) {
    if (!literal(c, "---% | ----sec/1% | end --:--:-- | rest --:--:-- | now ")) return false;
    if (!clockTime(c, 24, &out->hour, &out->minute, &out->second)) return false;
    return literal(c, " (----sec)");
}

bool parseStatus(Cursor c, LogLine* out) {
    for (const KindLabel& k : kLabels) {
        if (!literal(c, k.label)) continue;
        out->type = LogLineType::Status;
        out->kind = k.kind;
        bool ok = k.battery ? parseBatteryFields(c, out) : parseNoBatteryFields(c, out);
        return ok && c.p == c.end;
    }
    return false;
}

}  // namespace

LogLineType parseLogLine(const char* text, size_t length, LogLine* out) {
    *out = LogLine{};
    out->type = LogLineType::Unreadable;
    out->percent = -1;
    Cursor c{text, text + length};
    bool ok = length > 0 && (text[0] == '[' ? parseMarker(c, out) : parseStatus(c, out));
    if (!ok) {
        *out = LogLine{};
        out->type = LogLineType::Unreadable;
        out->percent = -1;
    }
    return out->type;
}

// ------------------------------------------------------------- dating

namespace {

void noteSkipped(int64_t& count, int64_t& first, int64_t line) {
    if (count++ == 0) first = line;
}

void handOn(LogReader& r, LogEventType type, int64_t time, const LogLine& line) {
    // A clock set back, or logs joined out of order: the chart runs one way.
    if (r.haveLatest && time < r.latest) {
        noteSkipped(r.counts.outOfOrder, r.counts.firstOutOfOrder, r.counts.lines);
        return;
    }
    r.haveLatest = true;
    r.latest = time;
    LogEvent event{type, time, line.kind, line.percent, line.rateSeconds};
    r.sink(event, r.context);
}

void dateMarker(LogReader& r, const LogLine& line) {
    LocalTime t{static_cast<uint16_t>(line.year), static_cast<uint16_t>(line.month), 0,
                static_cast<uint16_t>(line.day), static_cast<uint16_t>(line.hour),
                static_cast<uint16_t>(line.minute), static_cast<uint16_t>(line.second), 0};
    int64_t count;
    toTimeCount(t, &count);  // already checked by the parser
    int64_t time = count / kCountsPerSecond;
    r.haveDate = true;
    r.day = time / kSecondsPerDay;
    r.timeOfDay = time % kSecondsPerDay;
    r.afterStatus = false;
    handOn(r, line.type == LogLineType::Open ? LogEventType::Open : LogEventType::Close, time, line);
}

// A status line has only its time of day: it is on the day of the line
// before, or the next day when the clock went past midnight.
void dateStatus(LogReader& r, const LogLine& line) {
    if (!r.haveDate) {
        noteSkipped(r.counts.undated, r.counts.firstUndated, r.counts.lines);
        return;
    }
    int64_t timeOfDay = (line.hour * 60 + line.minute) * 60 + line.second;
    int64_t time = r.day * kSecondsPerDay + timeOfDay;
    if (timeOfDay < r.timeOfDay) time += kSecondsPerDay;
    // A day or more without a line (on mains at a steady percent): the span
    // since the previous record tells how many midnights went by, when it
    // agrees with the time of day.
    if (r.afterStatus && line.hasSpan && line.spanSeconds >= kSecondsPerDay) {
        int64_t bySpan = r.previousStatus + line.spanSeconds;
        if (bySpan > time && bySpan % kSecondsPerDay == timeOfDay) time = bySpan;
    }
    if (time > kLastSecond) {
        noteSkipped(r.counts.unreadable, r.counts.firstUnreadable, r.counts.lines);
        return;
    }
    r.day = time / kSecondsPerDay;
    r.timeOfDay = timeOfDay;
    r.afterStatus = true;
    r.previousStatus = time;
    handOn(r, LogEventType::Status, time, line);
}

void takeLine(LogReader& r, const char* text, size_t length) {
    ++r.counts.lines;
    if (length > 0 && text[length - 1] == '\r') --length;
    // An editor may have put a byte-order mark in front.
    if (r.counts.lines == 1 && length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    LogLine line;
    switch (parseLogLine(text, length, &line)) {
    case LogLineType::Open:
    case LogLineType::Close: dateMarker(r, line); break;
    case LogLineType::Status: dateStatus(r, line); break;
    case LogLineType::Unreadable:
        noteSkipped(r.counts.unreadable, r.counts.firstUnreadable, r.counts.lines);
        break;
    }
}

void skipOverlongLine(LogReader& r) {
    ++r.counts.lines;
    noteSkipped(r.counts.unreadable, r.counts.firstUnreadable, r.counts.lines);
}

// Collects a piece of a line that continues in the next piece of input.
void collect(LogReader& r, const char* data, size_t size) {
    if (r.overlong) return;
    if (size > sizeof r.line - 1 - r.length) {
        r.overlong = true;
        return;
    }
    memcpy(r.line + r.length, data, size);
    r.length += size;
}

void endCollected(LogReader& r) {
    if (r.overlong)
        skipOverlongLine(r);
    else
        takeLine(r, r.line, r.length);
    r.length = 0;
    r.overlong = false;
}

}  // namespace

void startLogReader(LogReader& reader, LogEventSink sink, void* context) {
    reader = LogReader{};
    reader.sink = sink;
    reader.context = context;
}

void feedLogReader(LogReader& r, const char* data, size_t size) {
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lineEnd ? lineEnd : end;
        size_t length = static_cast<size_t>(stop - p);
        if (lineEnd && r.length == 0 && !r.overlong) {
            // The whole line is in this piece: read it where it is.
            if (length > kMaxLogLine - 1)
                skipOverlongLine(r);
            else
                takeLine(r, p, length);
        } else {
            collect(r, p, length);
            if (lineEnd) endCollected(r);
        }
        p = lineEnd ? lineEnd + 1 : end;
    }
}

void finishLogReader(LogReader& r) {
    if (r.length > 0 || r.overlong) endCollected(r);
}
