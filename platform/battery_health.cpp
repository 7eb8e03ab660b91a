#include "platform/battery_health.h"

#include <cstring>
#include <initializer_list>

BatteryHealth unknownBatteryHealth() {
    BatteryHealth battery{};
    for (int64_t* value : {&battery.designMwh, &battery.fullMwh, &battery.designMah, &battery.fullMah,
                           &battery.designRelative, &battery.fullRelative, &battery.cycles, &battery.powerMw,
                           &battery.voltageMv})
        *value = kHealthUnknown;
    return battery;
}

bool reportsHealth(const BatteryHealth& b) {
    for (int64_t value : {b.designMwh, b.fullMwh, b.designMah, b.fullMah, b.designRelative, b.fullRelative, b.cycles})
        if (value != kHealthUnknown) return true;
    return false;
}

namespace {

// The length of the UTF-8 character at p (at most `left` bytes), 0 when
// none starts there: no over-long forms, surrogates or code points past
// U+10FFFF.
size_t utf8Length(const unsigned char* p, size_t left) {
    unsigned char lead = p[0];
    size_t length;
    unsigned least;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, least = 0x10000;
    else return 0;
    if (left < length) return 0;
    unsigned code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = code << 6 | (p[i] & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

void setHealthText(char* out, size_t size, const char* text, size_t length) {
    if (!out || size == 0) return;
    out[0] = '\0';
    if (!text) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t start = 0, end = length;
    auto blank = [](unsigned char c) { return c <= 0x20 || c == 0x7F; };
    while (start < end && blank(bytes[start])) ++start;
    while (end > start && blank(bytes[end - 1])) --end;
    if (end - start == 7 && memcmp(text + start, "Unknown", 7) == 0) return;
    size_t written = 0;
    for (size_t at = start; at < end;) {
        size_t take = utf8Length(bytes + at, end - at);
        const char* piece = text + at;
        char replacement;
        if (take == 0 || (take == 1 && blank(bytes[at]))) {
            replacement = take == 0 ? '?' : ' ';
            piece = &replacement;
            take = 1;
            at += 1;
        } else {
            at += take;
        }
        if (written + take >= size) break;
        memcpy(out + written, piece, take);
        written += take;
    }
    // A text cut short may end in a blank, which the next reading would drop.
    while (written > 0 && out[written - 1] == ' ') --written;
    out[written] = '\0';
}
