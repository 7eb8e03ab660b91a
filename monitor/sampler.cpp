#include "monitor/sampler.h"

#include "base/text_util.h"
#include "monitor/local_time.h"

int32_t classifyPower(const PowerReading& reading) {
    if (reading.batteryLifePercent == 255) return kPowerAcLine;
    if (reading.acLineStatus & 1) return (reading.batteryFlag & 8) ? kPowerCharge : kPowerAcBatt;
    return kPowerDischarge;
}

static CountedTime sampleCount;  // of sampleStamp

// True when a query is due on the sampling grid that began at the first call.
static bool querySlotDue(BatteryStatus& s) {
    if (!isTimeSet(s.sampleStamp)) {
        s.sampleStamp = s.now;
        return true;
    }
    GridStep step = stepGrid(s.sampleStamp, sampleCount, s.now, s.Scheckinterval);
    // Nothing is measured across a clock set back.
    if (step == GridStep::Restarted) s.chargeStamp = s.dischargeStamp = LocalTime{};
    return step != GridStep::NotDue;
}

static void startNewKind(BatteryStatus& s, int32_t kind) {
    s.kind = kind;
    raiseAll(s.kindChanged);
    s.chargeRate = s.Stimedef1pcharge;
    s.dischargeRate = s.Stimedef1pdischarge;
    s.chargeAccMs = s.dischargeAccMs = 0;
    s.chargeAccPercent = s.dischargeAccPercent = 0;
    s.chargeStamp = s.dischargeStamp = LocalTime{};
}

// Adds the span since the previous change and the points moved to the
// running totals; the rate is their quotient, or the default at 0 points.
static void measureRate(BatteryStatus& s, LocalTime& stamp, int32_t& accMs, int32_t& accPercent,
                        int32_t& rate, int32_t& defaultRate, int32_t autoSet, int32_t points) {
    if (isTimeSet(stamp)) {
        int64_t span = timeDiff(s.sampleStamp, stamp);
        accMs = clampToInt32(static_cast<int64_t>(accMs) + clampToInt32(span));
        accPercent = clampToInt32(static_cast<int64_t>(accPercent) + points);
        rate = accPercent != 0 ? clampToInt32(static_cast<int64_t>(accMs) / accPercent) : defaultRate;
        if (autoSet) defaultRate = rate;
    } else {
        rate = defaultRate;
    }
    stamp = s.sampleStamp;
}

static void measure(BatteryStatus& s) {
    switch (s.kind) {
    case kPowerCharge:
        measureRate(s, s.chargeStamp, s.chargeAccMs, s.chargeAccPercent, s.chargeRate,
                    s.Stimedef1pcharge, s.Sautosetchargetime, s.percent - s.prevPercent);
        break;
    case kPowerDischarge:
        measureRate(s, s.dischargeStamp, s.dischargeAccMs, s.dischargeAccPercent, s.dischargeRate,
                    s.Stimedef1pdischarge, s.Sautosetdischargetime, s.prevPercent - s.percent);
        break;
    default:  // nothing is measured on mains without charging
        s.chargeRate = s.Stimedef1pcharge;
        s.dischargeRate = s.Stimedef1pdischarge;
        break;
    }
}

// Apart from sampleBattery, whose every-tick path then needs no stack canary.
[[gnu::noinline]] static bool querySample(BatteryStatus& s) {
    PowerReading reading;
    if (!platformGetPowerStatus(&reading)) return true;  // a failed query is a skipped sample
    int32_t kind = classifyPower(reading);
    if (kind != s.kind) startNewKind(s, kind);
    if (reading.batteryLifePercent == s.percent) return true;
    raiseAll(s.percentChanged);
    s.prevPercent = s.percent;
    s.percent = reading.batteryLifePercent;
    measure(s);
    return true;
}

bool sampleBattery(BatteryStatus& s) {
    platformGetLocalTime(&s.now);
    return querySlotDue(s) && querySample(s);
}

QuietSpan sampleQuietSpan(const BatteryStatus& s) {
    if (!isTimeSet(s.sampleStamp)) return kNeverQuiet;  // the first call queries
    return quietSpan(s.sampleStamp, sampleCount, s.Scheckinterval);
}
