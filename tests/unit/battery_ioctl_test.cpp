// The battery class driver's answers, made up here, as Windows' devices
// give them: what each must turn into, and when the texts are asked again.
#include "platform/battery_ioctl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr int64_t kUnknown = kHealthUnknown;
constexpr uint32_t kSystem = kBatterySystemBattery;

// One made-up device: its answers and how often it was asked.
struct FakeDevice {
    uint32_t tag = 1;
    RawBatteryInformation information{kSystem, {'L', 'I', 'O', 'N'}, 50000, 45000, 300};
    RawBatteryStatus status{kBatteryDischarging, 30000, 11800, -9500};
    std::string model = "DELL 1234", maker = "SMP", serial = "0042";
    bool statusFails = false;
    int informationAsked = 0, textsAsked = 0, statusAsked = 0;

    BatteryDevice queries() {
        return BatteryDevice{
            this,
            [](void* c, uint32_t* tag) {
                *tag = static_cast<FakeDevice*>(c)->tag;
                return true;
            },
            [](void* c, uint32_t, RawBatteryInformation* out) {
                auto* d = static_cast<FakeDevice*>(c);
                ++d->informationAsked;
                *out = d->information;
                return true;
            },
            [](void* c, uint32_t, BatteryTextKind kind, char* out, size_t size) {
                auto* d = static_cast<FakeDevice*>(c);
                ++d->textsAsked;
                const std::string& text = kind == BatteryTextKind::DeviceName        ? d->model
                                          : kind == BatteryTextKind::ManufactureName ? d->maker
                                                                                     : d->serial;
                snprintf(out, size, "%s", text.c_str());
                return true;
            },
            [](void* c, uint32_t, RawBatteryStatus* out) {
                auto* d = static_cast<FakeDevice*>(c);
                ++d->statusAsked;
                *out = d->status;
                return !d->statusFails;
            },
        };
    }
};

class BatteryIoctl : public testing::Test {
protected:
    BatterySlots slots{};

    HealthReading read(std::initializer_list<FakeDevice*> devices, bool powerOnly = false) {
        HealthReading reading;
        startBatteryReading(slots, &reading);
        uint64_t key = 1;
        for (FakeDevice* device : devices) {
            BatteryDevice queries = device->queries();
            readBatteryDevice(key++, queries, powerOnly, slots, &reading);
        }
        finishBatteryReading(slots);
        return reading;
    }
};

TEST_F(BatteryIoctl, ABatteryInMilliwattHours) {
    FakeDevice device;
    HealthReading reading = read({&device});
    ASSERT_EQ(reading.count, 1);
    const BatteryHealth& b = reading.batteries[0];
    EXPECT_STREQ(b.name, "BAT0");
    EXPECT_STREQ(b.model, "DELL 1234");
    EXPECT_STREQ(b.maker, "SMP");
    EXPECT_STREQ(b.serial, "0042");
    EXPECT_STREQ(b.technology, "LION");
    EXPECT_EQ(b.designMwh, 50000);
    EXPECT_EQ(b.fullMwh, 45000);
    EXPECT_EQ(b.designMah, kUnknown);
    EXPECT_EQ(b.designRelative, kUnknown);
    EXPECT_EQ(b.cycles, 300);
    EXPECT_EQ(b.powerMw, -9500);
    EXPECT_EQ(b.voltageMv, 11800);
}

// With relative capacities only their ratio means anything, and the rate
// is in the same units: no watts.
TEST_F(BatteryIoctl, RelativeCapacitiesAreNoWattHours) {
    FakeDevice device;
    device.information.capabilities = kSystem | kBatteryCapacityRelative;
    device.information.designedCapacity = 100;
    device.information.fullChargedCapacity = 87;
    const BatteryHealth b = read({&device}).batteries[0];
    EXPECT_EQ(b.designMwh, kUnknown);
    EXPECT_EQ(b.fullMwh, kUnknown);
    EXPECT_EQ(b.designRelative, 100);
    EXPECT_EQ(b.fullRelative, 87);
    EXPECT_EQ(b.powerMw, kUnknown);
    EXPECT_EQ(b.voltageMv, 11800);
}

TEST_F(BatteryIoctl, EveryUnknownValueStaysUnknown) {
    FakeDevice device;
    device.information = RawBatteryInformation{kSystem, {0, 0, 0, 0}, kBatteryUnknownCapacity, kBatteryUnknownCapacity, 0};
    device.status = RawBatteryStatus{kBatteryPowerOnLine, kBatteryUnknownCapacity, kBatteryUnknownVoltage,
                                     kBatteryUnknownRate};
    device.model = device.maker = device.serial = "";
    const BatteryHealth b = read({&device}).batteries[0];
    for (int64_t value : {b.designMwh, b.fullMwh, b.designRelative, b.fullRelative, b.cycles, b.powerMw, b.voltageMv})
        EXPECT_EQ(value, kUnknown);
    EXPECT_STREQ(b.technology, "");
    EXPECT_FALSE(reportsHealth(b));
    // A status that cannot be had at all is the same.
    device.status = RawBatteryStatus{kBatteryDischarging, 1, 11000, -5000};
    device.statusFails = true;
    EXPECT_EQ(read({&device}).batteries[0].powerMw, kUnknown);
}

// Drivers that give the rate unsigned: the state gives the sign.
TEST_F(BatteryIoctl, TheStateSignsTheRate) {
    FakeDevice device;
    device.status.rate = 9500;
    EXPECT_EQ(read({&device}).batteries[0].powerMw, -9500);
    device.status = RawBatteryStatus{kBatteryPowerOnLine | kBatteryCharging, 1, 12000, -20000};
    EXPECT_EQ(read({&device}).batteries[0].powerMw, 20000);
    device.status = RawBatteryStatus{kBatteryPowerOnLine, 1, 12000, 0};
    EXPECT_EQ(read({&device}).batteries[0].powerMw, 0);
}

// A UPS (short term) and a device's own battery are no system battery;
// the batteries left are named in the order read.
TEST_F(BatteryIoctl, TwoBatteriesBesideAUpsAndAMouse) {
    FakeDevice ups, first, mouse, second;
    ups.information.capabilities = kSystem | kBatteryIsShortTerm;
    mouse.information.capabilities = 0;
    second.serial = "0043";
    HealthReading reading = read({&ups, &first, &mouse, &second});
    ASSERT_EQ(reading.count, 2);
    EXPECT_STREQ(reading.batteries[0].name, "BAT0");
    EXPECT_STREQ(reading.batteries[0].serial, "0042");
    EXPECT_STREQ(reading.batteries[1].name, "BAT1");
    EXPECT_STREQ(reading.batteries[1].serial, "0043");
    EXPECT_EQ(ups.textsAsked + mouse.textsAsked, 0);
    EXPECT_EQ(ups.statusAsked + mouse.statusAsked, 0);
}

// The texts once per tag; the information (full capacity, cycles) at every
// full reading, and not for the power alone. A new tag is another battery.
TEST_F(BatteryIoctl, ANewTagReadsTheBatteryAgain) {
    FakeDevice device;
    read({&device});
    EXPECT_EQ(device.textsAsked, 3);
    EXPECT_EQ(device.informationAsked, 1);
    device.information.fullChargedCapacity = 44000;
    device.serial = "changed without a new tag";
    BatteryHealth b = read({&device}).batteries[0];
    EXPECT_EQ(b.fullMwh, 44000);
    EXPECT_STREQ(b.serial, "0042");
    EXPECT_EQ(device.textsAsked, 3);
    EXPECT_EQ(device.informationAsked, 2);

    device.information.fullChargedCapacity = 43000;
    device.status.rate = -7000;
    b = read({&device}, true).batteries[0];
    EXPECT_EQ(b.fullMwh, 44000);  // from the last full reading
    EXPECT_EQ(b.powerMw, -7000);
    EXPECT_EQ(device.informationAsked, 2);

    device.tag = 2;
    device.serial = "9999";
    device.information.designedCapacity = 60000;
    b = read({&device}, true).batteries[0];  // even for the power alone
    EXPECT_STREQ(b.serial, "9999");
    EXPECT_EQ(b.designMwh, 60000);
    EXPECT_EQ(device.textsAsked, 6);
}

// An empty bay (tag 0) reports nothing; the battery put in later is read whole.
TEST_F(BatteryIoctl, AnEmptyBay) {
    FakeDevice device;
    device.tag = kBatteryTagInvalid;
    EXPECT_EQ(read({&device}).count, 0);
    EXPECT_EQ(device.informationAsked, 0);
    device.tag = 7;
    EXPECT_EQ(read({&device}).count, 1);
    EXPECT_EQ(device.textsAsked, 3);
}

}  // namespace
