// The battery class driver's answers (Windows: IOCTL_BATTERY_QUERY_TAG,
// _QUERY_INFORMATION and _QUERY_STATUS) turned into BatteryHealth. Plain
// copies of the system's records, so that the rules can be tried on any
// machine with answers made up for the purpose; platform/win32/ asks the
// devices and hands the answers here.
#pragma once

#include <cstdint>

#include "platform/battery_health.h"

// BATTERY_INFORMATION's fields that matter here.
struct RawBatteryInformation {
    uint32_t capabilities;
    uint8_t chemistry[4];  // "LION", "PbAc", "LiP ", "NiMH" ...
    uint32_t designedCapacity;
    uint32_t fullChargedCapacity;
    uint32_t cycleCount;
};

// BATTERY_STATUS.
struct RawBatteryStatus {
    uint32_t powerState;
    uint32_t capacity;
    uint32_t voltage;  // mV
    int32_t rate;      // mW; relative units an hour with relative capacities
};

// The system's flags and markers of unknown values.
constexpr uint32_t kBatterySystemBattery = 0x80000000;
constexpr uint32_t kBatteryCapacityRelative = 0x40000000;
constexpr uint32_t kBatteryIsShortTerm = 0x20000000;
constexpr uint32_t kBatteryPowerOnLine = 0x1;
constexpr uint32_t kBatteryDischarging = 0x2;
constexpr uint32_t kBatteryCharging = 0x4;
constexpr uint32_t kBatteryUnknownCapacity = 0xFFFFFFFF;
constexpr uint32_t kBatteryUnknownVoltage = 0xFFFFFFFF;
constexpr int32_t kBatteryUnknownRate = INT32_MIN;  // 0x80000000
constexpr uint32_t kBatteryTagInvalid = 0;

enum class BatteryTextKind { DeviceName, ManufactureName, SerialNumber };

// One battery device as the driver answers it; each query false when it
// failed. Texts come as UTF-8.
struct BatteryDevice {
    void* context;
    bool (*queryTag)(void* context, uint32_t* tag);
    bool (*queryInformation)(void* context, uint32_t tag, RawBatteryInformation* out);
    bool (*queryText)(void* context, uint32_t tag, BatteryTextKind kind, char* out, size_t size);
    bool (*queryStatus)(void* context, uint32_t tag, RawBatteryStatus* out);
};

// Whether the device is one of the system's batteries: a UPS (short term)
// or a device's own battery (no system battery) is not.
bool isSystemBattery(const RawBatteryInformation& information);

// The capacities, cycle count and chemistry of `information`, the power
// and voltage of `status` (null: unknown), into `out`, whose texts and
// name are left alone.
void convertBatteryInformation(const RawBatteryInformation& information, const RawBatteryStatus* status,
                               BatteryHealth* out);

// What is kept of each battery between readings: its texts are read once
// per tag (a new tag is a battery put in, perhaps another one), its
// information at each full reading.
struct BatterySlot {
    uint64_t device;  // the device's key (a hash of its path); 0: free
    uint32_t tag;
    bool system;
    RawBatteryInformation information;
    BatteryHealth texts;  // maker, model and serial
    bool seen;            // in the latest reading
};

struct BatterySlots {
    BatterySlot slots[kMostBatteries];
};

void startBatteryReading(BatterySlots& slots, HealthReading* out);

// Reads one device into the next entry of `out`, named BAT0, BAT1 ... in
// the order read. `powerOnly` reads the status alone where the slot knows
// the battery's tag and information already.
void readBatteryDevice(uint64_t device, const BatteryDevice& queries, bool powerOnly, BatterySlots& slots,
                       HealthReading* out);

// Frees the slots of devices not read since startBatteryReading.
void finishBatteryReading(BatterySlots& slots);

// A key for a device's path (FNV-1a), never 0.
uint64_t batteryDeviceKey(const char* path);
