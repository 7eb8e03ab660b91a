#include "monitor/status_format.h"

#include "base/text_util.h"
#include "monitor/local_time.h"

namespace {

using Estimate = StatusEstimate;

int totalHours(const LocalTime& rest) { return (rest.day - 1) * 24 + rest.hour; }

// Remaining ms from the points left, the rate and the time already spent on
// the current percent; never negative, and within a 32-bit field.
int32_t remainingMs(int64_t points, int32_t rate, int64_t spent) {
    int64_t rest = points * rate - spent;
    return clampToInt32(rest < 0 ? 0 : rest);
}

Estimate estimateFrom(const LocalTime& now, int32_t restMs) {
    Estimate e{now, LocalTime{}};
    timeAdd(e.end, restMs);
    timeAdd(e.rest, restMs);
    return e;
}

// The texts are rebuilt every second, so they are put together piece by
// piece rather than through a format string. The status line reads
//   "%s | %3d%% | %4dsec/1%% | end %2d:%02d:%02d | rest %2d:%02d:%02d | now %2d:%02d:%02d (%4dsec)"
// and without a battery
//   "%s | ---%% | ----sec/1%% | end --:--:-- | rest --:--:-- | now %2d:%02d:%02d (----sec)".

// h:mm:ss with the hour in `hourWidth` places (0: as many as it takes),
// or h:mm without seconds.
void appendClockFields(TextBuffer& out, int hour, int minute, int second, int hourWidth, bool seconds = true) {
    appendDecimal(out, hour, hourWidth);
    appendString(out, ":");
    appendDecimal(out, minute, 2, '0');
    if (!seconds) return;
    appendString(out, ":");
    appendDecimal(out, second, 2, '0');
}

void appendNow(TextBuffer& out, const LocalTime& now) {
    appendString(out, " | now ");
    appendClockFields(out, now.hour, now.minute, now.second, 2);
}

void formatBatteryLine(Settings& s, const char* label, int32_t rate, const Estimate& e, int restHours) {
    const BatteryStatus& b = s.Cbattery;
    TextBuffer out = makeTextBuffer(s.statusLine, sizeof s.statusLine);
    appendString(out, label);
    appendString(out, " | ");
    appendDecimal(out, b.percent, 3);
    appendString(out, "% | ");
    appendDecimal(out, rate / 1000, 4);
    appendString(out, "sec/1% | end ");
    appendClockFields(out, e.end.hour, e.end.minute, e.end.second, 2);
    appendString(out, " | rest ");
    appendClockFields(out, restHours, e.rest.minute, e.rest.second, 2);
    appendNow(out, b.now);
    appendString(out, " (");
    appendDecimal(out, b.logSpan / 1000, 4);
    appendString(out, "sec)");
}

void formatNoBatteryLine(Settings& s, const char* label) {
    TextBuffer out = makeTextBuffer(s.statusLine, sizeof s.statusLine);
    appendString(out, label);
    appendString(out, " | ---% | ----sec/1% | end --:--:-- | rest --:--:--");
    appendNow(out, s.Cbattery.now);
    appendString(out, " (----sec)");
}

// The estimate by the kind; each stores the remaining ms it found. Inlined
// in both callers: the status line is rebuilt every second.
[[gnu::always_inline]] inline Estimate acBattEstimate(BatteryStatus& b) {
    // The full estimate from the current percent; on mains nothing is spent.
    b.dischargeRest = remainingMs(b.percent, b.dischargeRate, 0);
    return estimateFrom(b.now, b.dischargeRest);
}

[[gnu::always_inline]] inline Estimate chargeEstimate(BatteryStatus& b) {
    b.chargeRest = remainingMs(int64_t{100} - b.percent, b.chargeRate, timeDiff(b.now, b.chargeStamp));
    return estimateFrom(b.now, b.chargeRest);
}

[[gnu::always_inline]] inline Estimate dischargeEstimate(BatteryStatus& b) {
    b.dischargeRest = remainingMs(b.percent, b.dischargeRate, timeDiff(b.now, b.dischargeStamp));
    return estimateFrom(b.now, b.dischargeRest);
}

// Step one: the status line, and the estimate the items show.
Estimate formatStatusLine(Settings& s) {
    BatteryStatus& b = s.Cbattery;
    Estimate e{b.now, LocalTime{}};
    switch (b.kind) {
    case kPowerAcLine:
        formatNoBatteryLine(s, "AC-Line  ");
        break;
    case kPowerAcBatt:
        e = acBattEstimate(b);
        formatBatteryLine(s, "AC&Batt  ", b.dischargeRate, e, totalHours(e.rest));
        break;
    case kPowerCharge:
        e = chargeEstimate(b);
        formatBatteryLine(s, "Charge   ", b.chargeRate, e, e.rest.hour);
        break;
    case kPowerDischarge:
        e = dischargeEstimate(b);
        formatBatteryLine(s, "Discharge", b.dischargeRate, e, e.rest.hour);
        break;
    default:
        formatNoBatteryLine(s, "Unknown  ");
        break;
    }
    return e;
}

int hour12(int hour) { return hour % 12; }
const char* meridiem(int hour) { return hour < 12 ? "AM" : "PM"; }

// A clock time in the user's format: 0 h:mm:ss, 1 h:mm, 2 h:mm:ssAM, 3 h:mmAM.
void appendClock(TextBuffer& out, const char* prefix, const LocalTime& t, int32_t format) {
    if (format < 0 || format > 3) return;  // an unknown format writes nothing
    bool twelve = format >= 2;
    appendString(out, prefix);
    appendClockFields(out, twelve ? hour12(t.hour) : t.hour, t.minute, t.second, 0, format % 2 == 0);
    if (twelve) appendString(out, meridiem(t.hour));
}

// A duration never takes the 12-hour suffix.
void appendRest(TextBuffer& out, const LocalTime& rest, int32_t format) {
    if (format < 0 || format > 3) return;
    appendString(out, "R");
    appendClockFields(out, totalHours(rest), rest.minute, rest.second, 0, format % 2 == 0);
}

void appendItem(TextBuffer& out, int32_t item, const Settings& s, const Estimate& e) {
    const BatteryStatus& b = s.Cbattery;
    bool battery = hasBattery(b.kind);
    int32_t format = s.Cscreen.Stimeformat;
    switch (item) {
    case 1:
        if (!battery) {
            appendString(out, "--%");
            break;
        }
        appendDecimal(out, b.percent);
        appendString(out, "%");
        break;
    case 2:
        if (b.kind == kPowerAcBatt || b.kind == kPowerDischarge) appendDecimal(out, b.dischargeRate / 1000);
        else if (b.kind == kPowerCharge) appendDecimal(out, b.chargeRate / 1000);
        else appendString(out, "--");
        appendString(out, "s");
        break;
    case 3:
        if (battery) appendClock(out, "E", e.end, format);
        else appendString(out, "E--");
        break;
    case 4:
        if (battery) appendRest(out, e.rest, format);
        else appendString(out, "R--");
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
        if (written) appendString(out, " ");
        appendItem(out, item, s, e);
        written = true;
    }
}

}  // namespace

StatusEstimate estimateTimeLeft(BatteryStatus& b) {
    switch (b.kind) {
    case kPowerAcBatt: return acBattEstimate(b);
    case kPowerCharge: return chargeEstimate(b);
    case kPowerDischarge: return dischargeEstimate(b);
    default: return Estimate{b.now, LocalTime{}};
    }
}

void formatStatus(Settings& s) {
    Estimate e = formatStatusLine(s);
    formatItems(s, e);
}
