// The monitor's measured battery state. It lives inside the Cbattery group
// of the settings record, beside the five battery settings it works with.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum PowerKind : int32_t {
    kPowerUnknown = -1,   // no sample since the last reset
    kPowerAcLine = 0,     // mains, the battery percentage is unknown
    kPowerAcBatt = 1,     // mains, battery present, not charging
    kPowerCharge = 2,     // mains, battery charging
    kPowerDischarge = 3,  // running on the battery
};

// Change flags have one slot per consumer: the producer raises all eight,
// each consumer lowers only its own.
constexpr int kChangeSlots = 8;
constexpr int kMainTickSlot = 0;
constexpr int kLogTickSlot = 1;

struct BatteryStatus {
    int32_t kind;
    int32_t Stimedef1pcharge;     // setting: ms per 1 % while charging
    int32_t Stimedef1pdischarge;  // setting: ms per 1 % while discharging
    int32_t chargeRate;           // current ms per 1 %, measured or default
    int32_t dischargeRate;
    int32_t chargeAccMs;          // ms between measured changes since the kind changed
    int32_t dischargeAccMs;
    int32_t chargeAccPercent;     // points gained over those changes
    int32_t dischargeAccPercent;  // points lost
    int32_t chargeRest;           // ms until full, as last formatted
    int32_t dischargeRest;        // ms until empty, as last formatted
    int32_t logSpan;              // ms between the last two log records
    LocalTime now;                // time of the last sampler call
    LocalTime sampleStamp;        // grid time of the last power query
    LocalTime chargeStamp;        // sampleStamp of the last change while charging
    LocalTime dischargeStamp;
    LocalTime prevLogTime;        // time of the previous log record
    int32_t percent;              // 0..100, or 255 unknown
    int32_t prevPercent;
    int32_t Sautosetchargetime;     // setting: measurements replace Stimedef1pcharge
    int32_t Sautosetdischargetime;  // setting: the same for discharging
    int32_t Scheckinterval;         // setting: least ms between power queries
    int32_t kindChanged[kChangeSlots];
    int32_t percentChanged[kChangeSlots];
};

inline bool hasBattery(int32_t kind) {
    return kind == kPowerAcBatt || kind == kPowerCharge || kind == kPowerDischarge;
}

// Raises every consumer's slot of a change flag.
void raiseAll(int32_t (&flags)[kChangeSlots]);

// Back to the starting state (after a resume); the rate settings and the
// check interval are kept, the automatic flags are switched on.
void resetBatteryState(BatteryStatus& status);
