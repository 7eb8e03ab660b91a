#include "platform/battery_ioctl.h"

#include <cstdio>
#include <cstring>

bool isSystemBattery(const RawBatteryInformation& information) {
    return (information.capabilities & kBatterySystemBattery) && !(information.capabilities & kBatteryIsShortTerm);
}

namespace {

// 0 and the marker are no capacity: a battery that held nothing would not run.
int64_t capacity(uint32_t value) {
    return value == kBatteryUnknownCapacity || value == 0 ? kHealthUnknown : static_cast<int64_t>(value);
}

// The driver's sign where it agrees with the state; drivers that give the
// rate unsigned are common, so the state decides.
int64_t signedRate(const RawBatteryStatus& status) {
    if (status.rate == kBatteryUnknownRate) return kHealthUnknown;
    int64_t magnitude = status.rate < 0 ? -static_cast<int64_t>(status.rate) : status.rate;
    if (status.powerState & kBatteryDischarging) return -magnitude;
    if (status.powerState & kBatteryCharging) return magnitude;
    return status.rate;
}

}  // namespace

void convertBatteryInformation(const RawBatteryInformation& information, const RawBatteryStatus* status,
                               BatteryHealth* out) {
    bool relative = information.capabilities & kBatteryCapacityRelative;
    int64_t design = capacity(information.designedCapacity);
    int64_t full = capacity(information.fullChargedCapacity);
    out->designMwh = relative ? kHealthUnknown : design;
    out->fullMwh = relative ? kHealthUnknown : full;
    out->designRelative = relative ? design : kHealthUnknown;
    out->fullRelative = relative ? full : kHealthUnknown;
    out->designMah = out->fullMah = kHealthUnknown;
    out->cycles = information.cycleCount == 0 ? kHealthUnknown : static_cast<int64_t>(information.cycleCount);
    setHealthText(out->technology, sizeof out->technology, reinterpret_cast<const char*>(information.chemistry),
                  strnlen(reinterpret_cast<const char*>(information.chemistry), sizeof information.chemistry));
    out->powerMw = out->voltageMv = kHealthUnknown;
    if (!status) return;
    // With relative capacities the rate is in the battery's own units too.
    if (!relative) out->powerMw = signedRate(*status);
    if (status->voltage != kBatteryUnknownVoltage && status->voltage != 0) out->voltageMv = status->voltage;
}

void startBatteryReading(BatterySlots& slots, HealthReading* out) {
    for (BatterySlot& slot : slots.slots) slot.seen = false;
    out->count = 0;
}

void finishBatteryReading(BatterySlots& slots) {
    for (BatterySlot& slot : slots.slots)
        if (!slot.seen) slot = BatterySlot{};
}

namespace {

BatterySlot* slotFor(BatterySlots& slots, uint64_t device) {
    for (BatterySlot& slot : slots.slots)
        if (slot.device == device) return &slot;
    for (BatterySlot& slot : slots.slots)
        if (slot.device == 0) {
            slot = BatterySlot{};
            slot.device = device;
            return &slot;
        }
    return nullptr;
}

void readTexts(const BatteryDevice& queries, uint32_t tag, BatteryHealth* texts) {
    struct Field {
        BatteryTextKind kind;
        char* out;
        size_t size;
    };
    const Field fields[] = {{BatteryTextKind::DeviceName, texts->model, sizeof texts->model},
                            {BatteryTextKind::ManufactureName, texts->maker, sizeof texts->maker},
                            {BatteryTextKind::SerialNumber, texts->serial, sizeof texts->serial}};
    for (const Field& field : fields) {
        char text[kHealthTextSize * 2] = "";
        if (!queries.queryText(queries.context, tag, field.kind, text, sizeof text)) text[0] = '\0';
        text[sizeof text - 1] = '\0';
        setHealthText(field.out, field.size, text, strlen(text));
    }
}

}  // namespace

void readBatteryDevice(uint64_t device, const BatteryDevice& queries, bool powerOnly, BatterySlots& slots,
                       HealthReading* out) {
    BatterySlot* slot = slotFor(slots, device);
    if (!slot) return;
    slot->seen = true;
    uint32_t tag = kBatteryTagInvalid;
    if (!queries.queryTag(queries.context, &tag) || tag == kBatteryTagInvalid) {
        slot->tag = kBatteryTagInvalid;  // no battery in it now
        return;
    }
    if (tag != slot->tag) {
        // Another battery, or the first look: everything is read anew.
        slot->tag = kBatteryTagInvalid;
        RawBatteryInformation information;
        if (!queries.queryInformation(queries.context, tag, &information)) return;
        slot->information = information;
        slot->system = isSystemBattery(information);
        slot->texts = unknownBatteryHealth();
        if (slot->system) readTexts(queries, tag, &slot->texts);
        slot->tag = tag;
    } else if (!powerOnly) {
        // Full capacity and cycle count change over the months.
        RawBatteryInformation information;
        if (queries.queryInformation(queries.context, tag, &information)) slot->information = information;
    }
    if (!slot->system || out->count >= kMostBatteries) return;
    RawBatteryStatus status;
    bool haveStatus = queries.queryStatus(queries.context, tag, &status);
    BatteryHealth& battery = out->batteries[out->count];
    battery = slot->texts;
    snprintf(battery.name, sizeof battery.name, "BAT%d", out->count);
    convertBatteryInformation(slot->information, haveStatus ? &status : nullptr, &battery);
    ++out->count;
}

uint64_t batteryDeviceKey(const char* path) {
    uint64_t hash = 14695981039346656037ull;
    for (const char* p = path; p && *p; ++p) {
        hash ^= static_cast<unsigned char>(*p);
        hash *= 1099511628211ull;
    }
    return hash ? hash : 1;
}
