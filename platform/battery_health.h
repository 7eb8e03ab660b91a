// What the system says of each of its batteries' health: who made it,
// what it held when new and holds now, how many cycles it has done, and
// the power and voltage at the moment. The system's own batteries only: a
// UPS, a mouse or a pen is never one of them.
//
// Defined by platform/linux/ (sysfs), platform/win32/ (the battery class
// driver's IOCTLs) and platform/sim/ (readings the caller sets).
#pragma once

#include <cstddef>
#include <cstdint>

// A value the battery does not tell. Never 0: a reading of 0 is a value.
constexpr int64_t kHealthUnknown = INT64_MIN;

constexpr size_t kHealthNameSize = 16;
constexpr size_t kHealthTextSize = 64;

// Texts are UTF-8 without control characters, empty when unknown. Numbers
// are kHealthUnknown when unknown. Capacities come in the battery's own
// unit: mWh, or mAh where it counts charge (with mWh beside them only
// where a voltage converts them), or units of its own ("relative", whose
// only meaning is their ratio). A full capacity above the design is kept
// as read.
struct BatteryHealth {
    char name[kHealthNameSize];  // BAT0, BAT1, ... as the system names it
    char maker[kHealthTextSize];
    char model[kHealthTextSize];
    char serial[kHealthTextSize];
    char technology[kHealthNameSize];  // Li-ion, LION, NiMH ...
    int64_t designMwh, fullMwh;
    int64_t designMah, fullMah;
    int64_t designRelative, fullRelative;
    int64_t cycles;
    int64_t powerMw;  // + charging, - discharging
    int64_t voltageMv;
};

constexpr int kMostBatteries = 8;

struct HealthReading {
    int count;
    BatteryHealth batteries[kMostBatteries];
};

// A record with every value unknown.
BatteryHealth unknownBatteryHealth();

// Whether the battery tells anything of its wear: a capacity or a cycle count.
bool reportsHealth(const BatteryHealth& battery);

// Starts reading every battery and returns at once. The status of a
// battery can take tens of milliseconds to come from the embedded
// controller, so where that is so the reading runs beside the caller.
// `powerOnly`: only the power and voltage need be fresh; what does not
// change by the second may come from the last full reading. A read still
// running when another is asked for goes on, and the new request is
// dropped.
void platformStartHealthRead(bool powerOnly);

// Takes the reading once it is there: true once per started read, with
// `out` filled; false while it runs or when none was started.
bool platformFinishHealthRead(HealthReading* out);

// Reads every battery and returns when done, for a program that may wait
// (the command line). False when the system could not be asked at all.
bool platformReadHealthNow(HealthReading* out);

// Minutes east of universal time of the local time now (Japan: 540).
int32_t platformUtcOffsetMinutes();

// ----- for the implementations

// `length` bytes of what the system gave as a battery's text, into `out`:
// control characters become blanks, bytes that are not UTF-8 become '?',
// blanks at either end go, and a character is never split to fit. A text
// of "Unknown" (sysfs) is no text.
void setHealthText(char* out, size_t size, const char* text, size_t length);
