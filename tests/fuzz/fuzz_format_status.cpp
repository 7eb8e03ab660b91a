// Any battery state and display settings through formatStatus: the texts
// stay inside their buffers, and they are exactly what printf makes of the
// layouts (the status texts are put together without a format string).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/text_util.h"
#include "monitor/local_time.h"
#include "monitor/status_format.h"
#include "settings/settings.h"

// The formatter as it was written with a format string, as the judge of the
// texts; the estimate they show is the program's own.
namespace reference {
namespace {

using Estimate = StatusEstimate;

int totalHours(const LocalTime& rest) { return (rest.day - 1) * 24 + rest.hour; }

const char* const kBatteryLayout =
    "%s | %3d%% | %4dsec/1%% | end %2d:%02d:%02d | rest %2d:%02d:%02d | now %2d:%02d:%02d (%4dsec)";

void formatBatteryLine(Settings& s, const char* label, int32_t rate, const Estimate& e, int restHours) {
    const BatteryStatus& b = s.Cbattery;
    formatText(s.statusLine, kBatteryLayout, label, b.percent, rate / 1000, e.end.hour, e.end.minute,
               e.end.second, restHours, e.rest.minute, e.rest.second, b.now.hour, b.now.minute,
               b.now.second, b.logSpan / 1000);
}

void formatNoBatteryLine(Settings& s, const char* label) {
    const LocalTime& now = s.Cbattery.now;
    formatText(s.statusLine,
               "%s | ---%% | ----sec/1%% | end --:--:-- | rest --:--:-- | now %2d:%02d:%02d (----sec)",
               label, now.hour, now.minute, now.second);
}

// Step one: the status line, and the estimate the items show.
Estimate formatStatusLine(Settings& s) {
    BatteryStatus& b = s.Cbattery;
    Estimate e = estimateTimeLeft(b);
    switch (b.kind) {
    case kPowerAcLine: formatNoBatteryLine(s, "AC-Line  "); break;
    case kPowerAcBatt: formatBatteryLine(s, "AC&Batt  ", b.dischargeRate, e, totalHours(e.rest)); break;
    case kPowerCharge: formatBatteryLine(s, "Charge   ", b.chargeRate, e, e.rest.hour); break;
    case kPowerDischarge: formatBatteryLine(s, "Discharge", b.dischargeRate, e, e.rest.hour); break;
    default: formatNoBatteryLine(s, "Unknown  "); break;
    }
    return e;
}

int hour12(int hour) { return hour % 12; }
const char* meridiem(int hour) { return hour < 12 ? "AM" : "PM"; }

// A clock time in the user's format: 0 h:mm:ss, 1 h:mm, 2 h:mm:ssAM, 3 h:mmAM.
void appendClock(TextBuffer& out, const char* prefix, const LocalTime& t, int32_t format) {
    switch (format) {
    case 0: appendFormatted(out, "%s%d:%02d:%02d", prefix, t.hour, t.minute, t.second); break;
    case 1: appendFormatted(out, "%s%d:%02d", prefix, t.hour, t.minute); break;
    case 2:
        appendFormatted(out, "%s%d:%02d:%02d%s", prefix, hour12(t.hour), t.minute, t.second,
                        meridiem(t.hour));
        break;
    case 3: appendFormatted(out, "%s%d:%02d%s", prefix, hour12(t.hour), t.minute, meridiem(t.hour)); break;
    default: break;  // an unknown format writes nothing
    }
}

// A duration never takes the 12-hour suffix.
void appendRest(TextBuffer& out, const LocalTime& rest, int32_t format) {
    if (format == 0 || format == 2)
        appendFormatted(out, "R%d:%02d:%02d", totalHours(rest), rest.minute, rest.second);
    else if (format == 1 || format == 3)
        appendFormatted(out, "R%d:%02d", totalHours(rest), rest.minute);
}

void appendItem(TextBuffer& out, int32_t item, const Settings& s, const Estimate& e) {
    const BatteryStatus& b = s.Cbattery;
    bool battery = hasBattery(b.kind);
    int32_t format = s.Cscreen.Stimeformat;
    switch (item) {
    case 1:
        if (battery) appendFormatted(out, "%d%%", b.percent);
        else appendFormatted(out, "--%%");
        break;
    case 2:
        if (b.kind == kPowerAcBatt || b.kind == kPowerDischarge) appendFormatted(out, "%ds", b.dischargeRate / 1000);
        else if (b.kind == kPowerCharge) appendFormatted(out, "%ds", b.chargeRate / 1000);
        else appendFormatted(out, "--s");
        break;
    case 3:
        if (battery) appendClock(out, "E", e.end, format);
        else appendFormatted(out, "E--");
        break;
    case 4:
        if (battery) appendRest(out, e.rest, format);
        else appendFormatted(out, "R--");
        break;
    case 5: appendClock(out, "", b.now, format); break;
    default: break;
    }
}

// Step two: the chosen items, joined by single blanks.
void formatItems(Settings& s, const Estimate& e) {
    TextBuffer out = makeTextBuffer(s.itemsText, sizeof s.itemsText);
    bool written = false;
    for (int32_t item : s.Cscreen.Sdisplayitems) {
        if (item < 1 || item > 5) continue;
        if (written) appendFormatted(out, " ");
        appendItem(out, item, s, e);
        written = true;
    }
}

}  // namespace

void formatStatusByPrintf(Settings& s) {
    Estimate e = formatStatusLine(s);
    formatItems(s, e);
}

}  // namespace reference

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) v = v << 8 | *data;
        return v;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint16_t u16() { return static_cast<uint16_t>(u32() >> 16); }
    uint8_t u8() { return static_cast<uint8_t>(u32() >> 24); }
};

// Unset, any sixteen bytes, or a real time somewhere in the counted range.
LocalTime someTime(Input& in) {
    switch (in.u8() % 4) {
    case 0: return LocalTime{};
    case 1: {
        LocalTime t;
        uint16_t* field = &t.year;
        for (int i = 0; i < 8; ++i) field[i] = in.u16();
        return t;
    }
    default: {
        LocalTime t{};
        t.year = static_cast<uint16_t>(1601 + in.u16() % 29000);
        t.month = static_cast<uint16_t>(1 + in.u8() % 12);
        t.day = static_cast<uint16_t>(1 + in.u8() % 28);
        t.hour = static_cast<uint16_t>(in.u8() % 24);
        t.minute = static_cast<uint16_t>(in.u8() % 60);
        t.second = static_cast<uint16_t>(in.u8() % 60);
        t.milliseconds = static_cast<uint16_t>(in.u16() % 1000);
        return t;
    }
    }
}

// Small values near the edges as often as any 32-bit value.
int32_t someNumber(Input& in) {
    static const int32_t edges[] = {0, 1, -1, 99, 100, 101, 255, 1000, 999999, INT32_MAX, INT32_MIN};
    uint8_t pick = in.u8();
    return pick < 64 ? edges[pick % (sizeof edges / sizeof *edges)] : in.i32();
}

bool terminated(const char* text, size_t size) { return memchr(text, '\0', size) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Settings ours, judge;
    Input in{data, size};
    memset(&ours, 0, sizeof ours);
    BatteryStatus& b = ours.Cbattery;
    b.kind = in.u8() % 8 - 2;  // the five kinds and some that are none
    if (in.u8() % 8 == 0) b.kind = in.i32();
    b.percent = someNumber(in);
    b.chargeRate = someNumber(in);
    b.dischargeRate = someNumber(in);
    b.logSpan = someNumber(in);
    b.now = someTime(in);
    b.chargeStamp = in.u8() % 2 ? b.now : someTime(in);
    b.dischargeStamp = in.u8() % 2 ? b.now : someTime(in);
    if (in.u8() % 2) timeAdd(b.chargeStamp, -static_cast<int64_t>(in.u32()));
    for (int32_t& item : ours.Cscreen.Sdisplayitems) item = in.u8() % 8 == 0 ? in.i32() : in.u8() % 7;
    ours.Cscreen.Stimeformat = in.u8() % 8 == 0 ? in.i32() : in.u8() % 5;
    memset(ours.statusLine, 'x', sizeof ours.statusLine);
    memset(ours.itemsText, 'x', sizeof ours.itemsText);
    judge = ours;

    formatStatus(ours);
    reference::formatStatusByPrintf(judge);
    if (!terminated(ours.statusLine, sizeof ours.statusLine) || !terminated(ours.itemsText, sizeof ours.itemsText))
        abort();
    if (strcmp(ours.statusLine, judge.statusLine) != 0 || strcmp(ours.itemsText, judge.itemsText) != 0) abort();
    if (b.chargeRest != judge.Cbattery.chargeRest || b.dischargeRest != judge.Cbattery.dischargeRest) abort();
    return 0;
}
