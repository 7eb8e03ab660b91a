// The history's lines and their reading, apart from its file: nothing here
// asks the platform, so a tool reads a history with this alone.
#include "actions/health_history.h"

#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/text_util.h"
#include "platform/time_count.h"

// ---------------------------------------------------------------- lines

namespace {

struct NumberKey {
    std::string_view key;
    int64_t BatteryHealth::*field;
};

const NumberKey kNumbers[] = {
    {"design_mwh", &BatteryHealth::designMwh},      {"full_mwh", &BatteryHealth::fullMwh},
    {"design_mah", &BatteryHealth::designMah},      {"full_mah", &BatteryHealth::fullMah},
    {"design_rel", &BatteryHealth::designRelative}, {"full_rel", &BatteryHealth::fullRelative},
    {"cycles", &BatteryHealth::cycles},             {"mv", &BatteryHealth::voltageMv},
    {"mw", &BatteryHealth::powerMw},
};

struct TextKey {
    std::string_view key;
    size_t offset;
    size_t size;
};

#define HEALTH_TEXT(key, field) {key, offsetof(BatteryHealth, field), sizeof BatteryHealth{}.field}
const TextKey kTexts[] = {
    HEALTH_TEXT("bat", name),       HEALTH_TEXT("maker", maker), HEALTH_TEXT("model", model),
    HEALTH_TEXT("serial", serial), HEALTH_TEXT("tech", technology),
};
#undef HEALTH_TEXT

char* textField(BatteryHealth& battery, const TextKey& key) {
    return reinterpret_cast<char*>(&battery) + key.offset;
}
const char* textField(const BatteryHealth& battery, const TextKey& key) {
    return reinterpret_cast<const char*>(&battery) + key.offset;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly `digits` digits from p.
bool fixedNumber(const char*& p, const char* end, int digits, int* value) {
    int v = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        if (p >= end || !isDigit(*p)) return false;
        v = v * 10 + (*p - '0');
    }
    *value = v;
    return true;
}

bool literal(const char*& p, const char* end, char c) {
    if (p >= end || *p != c) return false;
    ++p;
    return true;
}

// 2026-12-08T14:05:09+09:00 (or Z), a valid calendar time.
bool parseTime(const char* p, const char* end, LocalTime* time, int32_t* offset) {
    int year, month, day, hour, minute, second;
    if (!fixedNumber(p, end, 4, &year) || !literal(p, end, '-') || !fixedNumber(p, end, 2, &month) ||
        !literal(p, end, '-') || !fixedNumber(p, end, 2, &day) || !literal(p, end, 'T') ||
        !fixedNumber(p, end, 2, &hour) || !literal(p, end, ':') || !fixedNumber(p, end, 2, &minute) ||
        !literal(p, end, ':') || !fixedNumber(p, end, 2, &second))
        return false;
    int sign = 1, offsetHours = 0, offsetMinutes = 0;
    if (!literal(p, end, 'Z')) {
        if (literal(p, end, '-')) sign = -1;
        else if (!literal(p, end, '+')) return false;
        if (!fixedNumber(p, end, 2, &offsetHours) || !literal(p, end, ':') ||
            !fixedNumber(p, end, 2, &offsetMinutes) || offsetHours > 23 || offsetMinutes > 59)
            return false;
    }
    if (p != end) return false;
    LocalTime t{static_cast<uint16_t>(year), static_cast<uint16_t>(month),  0,
                static_cast<uint16_t>(day),  static_cast<uint16_t>(hour),   static_cast<uint16_t>(minute),
                static_cast<uint16_t>(second), 0};
    int64_t count;
    if (year == 0 || !isValidTimeOfDay(t) || !toTimeCount(t, &count)) return false;
    *time = fromTimeCount(count);
    *offset = sign * (offsetHours * 60 + offsetMinutes);
    return true;
}

// A decimal integer of at most 18 digits, with an optional minus.
bool parseNumber(const char* p, const char* end, int64_t* out) {
    bool negative = p < end && *p == '-';
    if (negative) ++p;
    if (p == end || end - p > 18) return false;
    int64_t value = 0;
    for (; p < end; ++p) {
        if (!isDigit(*p)) return false;
        value = value * 10 + (*p - '0');
    }
    *out = negative ? -value : value;
    return true;
}

// One key=value pair into the record; false for the time when it is not one.
bool takePair(std::string_view key, const char* value, const char* end, HealthRecord* out, bool* haveTime) {
    if (key == "time") {
        *haveTime = parseTime(value, end, &out->time, &out->offsetMinutes);
        return *haveTime;
    }
    for (const NumberKey& number : kNumbers) {
        if (key != number.key) continue;
        int64_t parsed;
        // A value out of its range is no reading; the rest of the line stands.
        if (parseNumber(value, end, &parsed) && (parsed >= 0 || number.field == &BatteryHealth::powerMw))
            out->battery.*number.field = parsed;
        return true;
    }
    for (const TextKey& text : kTexts)
        if (key == text.key)
            setHealthText(textField(out->battery, text), text.size, value, static_cast<size_t>(end - value));
    return true;
}

}  // namespace

size_t formatHistoryLine(const HealthRecord& record, char* out, size_t size) {
    const LocalTime& t = record.time;
    int32_t offset = record.offsetMinutes < 0 ? -record.offsetMinutes : record.offsetMinutes;
    if (offset > 23 * 60 + 59) offset = 0;
    TextBuffer line = makeTextBuffer(out, size);
    appendFormatted(line, "time=%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second, record.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    for (const TextKey& text : kTexts) {
        const char* value = textField(record.battery, text);
        size_t length = strnlen(value, text.size);
        if (length == 0) continue;
        appendFormatted(line, "\t%.*s=", static_cast<int>(text.key.size()), text.key.data());
        // A tab or line end in a text would break the line.
        for (size_t i = 0; i < length; ++i) {
            char c = static_cast<unsigned char>(value[i]) < 0x20 ? ' ' : value[i];
            appendBytes(line, &c, 1);
        }
    }
    for (const NumberKey& number : kNumbers) {
        int64_t value = record.battery.*number.field;
        if (value == kHealthUnknown) continue;
        appendFormatted(line, "\t%.*s=", static_cast<int>(number.key.size()), number.key.data());
        appendDecimal(line, value);
    }
    if (line.overflowed) {
        if (size) out[0] = '\0';
        return 0;
    }
    return line.length;
}

bool parseHistoryLine(const char* line, size_t length, HealthRecord* out) {
    *out = HealthRecord{};
    out->battery = unknownBatteryHealth();
    bool haveTime = false;
    const char* end = line + length;
    for (const char* field = line; field < end;) {
        const char* fieldEnd = static_cast<const char*>(memchr(field, '\t', static_cast<size_t>(end - field)));
        if (!fieldEnd) fieldEnd = end;
        const char* equals = static_cast<const char*>(memchr(field, '=', static_cast<size_t>(fieldEnd - field)));
        if (equals && !takePair(std::string_view(field, static_cast<size_t>(equals - field)), equals + 1, fieldEnd, out,
                                &haveTime))
            return false;
        field = fieldEnd + 1;
    }
    return haveTime && out->battery.name[0] != '\0';
}

int64_t recordUtcSeconds(const HealthRecord& record) {
    int64_t ms = toMsCount(record.time);
    return ms < 0 ? 0 : ms / 1000 - static_cast<int64_t>(record.offsetMinutes) * 60;
}

// ---------------------------------------------------------------- reading

void startHistoryReader(HistoryReader& reader, HealthRecordSink sink, void* context) {
    reader.sink = sink;
    reader.context = context;
    reader.length = 0;
    reader.overlong = false;
    reader.records = reader.skipped = 0;
    reader.any = false;
    reader.endsInLine = true;
}

static void endLine(HistoryReader& reader) {
    size_t length = reader.length;
    if (length > 0 && reader.line[length - 1] == '\r') --length;
    HealthRecord record;
    if (!reader.overlong && parseHistoryLine(reader.line, length, &record)) {
        ++reader.records;
        if (reader.sink) reader.sink(record, reader.context);
    } else if (length > 0 || reader.overlong) {
        ++reader.skipped;
    }
    reader.length = 0;
    reader.overlong = false;
}

void feedHistoryReader(HistoryReader& reader, const char* data, size_t size) {
    if (size == 0) return;
    reader.any = true;
    for (size_t at = 0; at < size;) {
        const char* newline = static_cast<const char*>(memchr(data + at, '\n', size - at));
        size_t piece = newline ? static_cast<size_t>(newline - (data + at)) : size - at;
        if (!reader.overlong) {
            if (reader.length + piece < sizeof reader.line) {
                memcpy(reader.line + reader.length, data + at, piece);
                reader.length += piece;
            } else {
                reader.overlong = true;
            }
        }
        at += piece;
        if (newline) {
            endLine(reader);
            ++at;
        }
    }
    reader.endsInLine = data[size - 1] == '\n';
}

void finishHistoryReader(HistoryReader& reader) {
    if (reader.length > 0 || reader.overlong) ++reader.skipped;
    reader.length = 0;
    reader.overlong = false;
}

// ---------------------------------------------------------------- batteries

NativeCapacity nativeCapacity(const BatteryHealth& b) {
    if (b.designMah != kHealthUnknown || b.fullMah != kHealthUnknown) return {b.designMah, b.fullMah, 0};
    if (b.designMwh != kHealthUnknown || b.fullMwh != kHealthUnknown) return {b.designMwh, b.fullMwh, 1};
    if (b.designRelative != kHealthUnknown || b.fullRelative != kHealthUnknown)
        return {b.designRelative, b.fullRelative, 2};
    return {kHealthUnknown, kHealthUnknown, -1};
}

bool sameBattery(const BatteryHealth& a, const BatteryHealth& b) {
    for (const TextKey& text : kTexts)
        if (strncmp(textField(a, text), textField(b, text), text.size) != 0) return false;
    NativeCapacity ca = nativeCapacity(a), cb = nativeCapacity(b);
    return ca.unit == cb.unit && ca.design == cb.design;
}
