#include "trace_line.h"

#include <cstring>

#include "actions/health_history.h"
#include "monitor/local_time.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Exactly `digits` digits.
bool fixedNumber(const char*& p, int digits, int* value) {
    int v = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        if (!isDigit(*p)) return false;
        v = v * 10 + (*p - '0');
    }
    *value = v;
    return true;
}

bool literal(const char*& p, char c) {
    if (*p != c) return false;
    ++p;
    return true;
}

void skipBlanks(const char*& p) {
    while (isBlank(*p)) ++p;
}

// A decimal status byte, 0..255.
bool statusByte(const char*& p, uint8_t* value) {
    skipBlanks(p);
    int v = 0, digits = 0;
    while (isDigit(*p)) {
        v = v * 10 + (*p++ - '0');
        if (++digits > 3) return false;
    }
    if (digits == 0 || v > 255) return false;
    *value = static_cast<uint8_t>(v);
    return true;
}

bool parseTime(const char*& p, LocalTime* t) {
    int year, month, day, hour, minute, second, ms = 0;
    if (!fixedNumber(p, 4, &year) || !literal(p, '-') || !fixedNumber(p, 2, &month) || !literal(p, '-') ||
        !fixedNumber(p, 2, &day) || !literal(p, ' ') || !fixedNumber(p, 2, &hour) || !literal(p, ':') ||
        !fixedNumber(p, 2, &minute) || !literal(p, ':') || !fixedNumber(p, 2, &second))
        return false;
    if (*p == '.' && !(++p, fixedNumber(p, 3, &ms))) return false;
    *t = LocalTime{static_cast<uint16_t>(year),   static_cast<uint16_t>(month),  0,
                   static_cast<uint16_t>(day),    static_cast<uint16_t>(hour),   static_cast<uint16_t>(minute),
                   static_cast<uint16_t>(second), static_cast<uint16_t>(ms)};
    int64_t count;
    if (!toTimeCount(*t, &count)) return false;
    *t = fromTimeCount(count);  // fills in the day of the week
    return true;
}

struct EventName {
    const char* name;
    TraceEvent event;
};

const EventName kEvents[] = {{"suspend", TraceEvent::Suspend},       {"standby", TraceEvent::Standby},
                             {"resume", TraceEvent::Resume},         {"endsession", TraceEvent::EndSession},
                             {"exit", TraceEvent::Exit}};

bool parseEvent(const char*& p, TraceEvent* event) {
    for (const EventName& e : kEvents) {
        size_t n = strlen(e.name);
        if (strncmp(p, e.name, n) == 0 && (p[n] == '\0' || isBlank(p[n]))) {
            p += n;
            *event = e.event;
            return true;
        }
    }
    return false;
}

// "health KEY=VALUE ... [removed]": the pairs read as a line of the
// health history, blank-separated here.
bool parseHealth(const char*& p, TraceLine* out) {
    if (strncmp(p, "health", 6) != 0 || (p[6] != '\0' && !isBlank(p[6]))) return false;
    p += 6;
    char line[kHistoryLineSize] = "time=2000-01-01T00:00:00Z";
    size_t length = strlen(line);
    for (skipBlanks(p); *p != '\0'; skipBlanks(p)) {
        const char* word = p;
        while (*p != '\0' && !isBlank(*p)) ++p;
        size_t size = static_cast<size_t>(p - word);
        if (size == 7 && strncmp(word, "removed", 7) == 0) {
            out->removed = true;
            continue;
        }
        if (!memchr(word, '=', size) || length + 1 + size >= sizeof line) return false;
        line[length++] = '\t';
        memcpy(line + length, word, size);
        length += size;
    }
    HealthRecord record;
    if (!parseHistoryLine(line, length, &record)) return false;
    out->battery = record.battery;
    return true;
}

}  // namespace

TraceParse parseTraceLine(const char* text, TraceLine* out, const char** error) {
    const char* p = text;
    skipBlanks(p);
    if (*p == '\0' || *p == '#') return TraceParse::Nothing;
    *out = TraceLine{};
    if (!parseTime(p, &out->time)) {
        *error = "expected a valid time YYYY-MM-DD HH:MM:SS[.mmm]";
        return TraceParse::Error;
    }
    if (!isBlank(*p)) {
        *error = "expected a blank after the time";
        return TraceParse::Error;
    }
    skipBlanks(p);
    if (isDigit(*p)) {
        PowerReading& r = out->reading;
        if (!statusByte(p, &r.acLineStatus) || !statusByte(p, &r.batteryFlag) ||
            !statusByte(p, &r.batteryLifePercent)) {
            *error = "expected three status bytes 0..255: AC FLAG PERCENT";
            return TraceParse::Error;
        }
    } else if (strncmp(p, "health", 6) == 0) {
        out->event = TraceEvent::Health;
        if (!parseHealth(p, out)) {
            *error = "expected health bat=NAME and KEY=VALUE pairs of the health history, or removed";
            return TraceParse::Error;
        }
    } else if (!parseEvent(p, &out->event)) {
        *error = "expected AC FLAG PERCENT, health, or one of suspend, standby, resume, endsession, exit";
        return TraceParse::Error;
    }
    skipBlanks(p);
    if (*p != '\0') {
        *error = "unexpected text at the end of the line";
        return TraceParse::Error;
    }
    return TraceParse::Line;
}
