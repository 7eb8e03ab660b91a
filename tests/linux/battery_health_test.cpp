// Battery health from power-supply trees of our own, laid out as the
// kernel's sysfs: what each layout of files must give, unknown never 0.
#include "platform/linux/battery_health_sysfs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_files.h"

namespace {

constexpr int64_t kUnknown = kHealthUnknown;

class SysfsHealth : public testing::Test {
protected:
    ScratchDirectory root;

    // "BAT0/energy_full=50000000" makes the supply's folder and the file.
    void build(const std::vector<std::string>& files) {
        for (const std::string& line : files) {
            size_t slash = line.find('/'), equals = line.find('=');
            std::filesystem::create_directories(root / line.substr(0, slash));
            writeWholeFile(root / line.substr(0, equals), line.substr(equals + 1) + "\n");
        }
    }

    HealthReading read() {
        HealthReading reading;
        reading.count = -1;
        EXPECT_TRUE(readSysfsBatteryHealth(root.path().c_str(), &reading));
        return reading;
    }

    void TearDown() override { sysfsHealthListed = nullptr; }
};

std::vector<std::string> battery(const std::string& name, std::vector<std::string> files) {
    std::vector<std::string> all = {name + "/type=Battery", name + "/present=1"};
    for (const std::string& file : files) all.push_back(name + "/" + file);
    return all;
}

struct CapacityCase {
    const char* what;
    std::vector<std::string> files;
    int64_t designMwh, fullMwh, designMah, fullMah;
};

// µWh and µAh, with and without a voltage to turn charge into energy.
TEST_F(SysfsHealth, CapacitiesInTheUnitsTheBatteryCounts) {
    const CapacityCase cases[] = {
        {"energy", {"energy_full_design=57020000", "energy_full=51234567"}, 57020, 51234, kUnknown, kUnknown},
        {"charge at the design's least voltage",
         {"charge_full_design=5000000", "charge_full=4500000", "voltage_min_design=11400000", "voltage_now=12600000"},
         57000, 51300, 5000, 4500},
        {"charge at the design's most voltage",
         {"charge_full_design=5000000", "charge_full=4500000", "voltage_max_design=12000000", "voltage_now=12600000"},
         60000, 54000, 5000, 4500},
        {"charge at the voltage now", {"charge_full_design=5000000", "charge_full=4500000", "voltage_now=12600000"},
         63000, 56700, 5000, 4500},
        {"charge without a voltage: no energy", {"charge_full_design=5000000", "charge_full=4500000"}, kUnknown,
         kUnknown, 5000, 4500},
        {"design missing", {"energy_full=51234567"}, kUnknown, 51234, kUnknown, kUnknown},
        {"design 0", {"energy_full_design=0", "energy_full=51234567"}, kUnknown, 51234, kUnknown, kUnknown},
        {"full above the design, kept", {"energy_full_design=50000000", "energy_full=52500000"}, 50000, 52500,
         kUnknown, kUnknown},
        {"not a number", {"energy_full_design=fifty", "energy_full=5e7"}, kUnknown, kUnknown, kUnknown, kUnknown},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root / "BAT0");
        build(battery("BAT0", c.files));
        HealthReading reading = read();
        ASSERT_EQ(reading.count, 1);
        const BatteryHealth& b = reading.batteries[0];
        EXPECT_EQ(b.designMwh, c.designMwh);
        EXPECT_EQ(b.fullMwh, c.fullMwh);
        EXPECT_EQ(b.designMah, c.designMah);
        EXPECT_EQ(b.fullMah, c.fullMah);
    }
}

// A value the firmware does not know: a read that fails (here a folder in
// the file's place, as ENODEV is for sysfs), a missing file, a cycle count
// of 0, a technology of "Unknown". None of them reads as 0.
TEST_F(SysfsHealth, WhatTheFirmwareDoesNotKnowStaysUnknown) {
    build(battery("BAT0", {"cycle_count=0", "technology=Unknown", "manufacturer=  SMP  ", "status=Discharging"}));
    std::filesystem::create_directories(root / "BAT0/energy_full");
    std::filesystem::create_directories(root / "BAT0/power_now");
    HealthReading reading = read();
    ASSERT_EQ(reading.count, 1);
    const BatteryHealth& b = reading.batteries[0];
    EXPECT_STREQ(b.name, "BAT0");
    EXPECT_STREQ(b.maker, "SMP");
    EXPECT_STREQ(b.model, "");
    EXPECT_STREQ(b.technology, "");
    for (int64_t value : {b.designMwh, b.fullMwh, b.designMah, b.fullMah, b.cycles, b.powerMw, b.voltageMv})
        EXPECT_EQ(value, kUnknown);
    EXPECT_FALSE(reportsHealth(b));
}

struct PowerCase {
    const char* status;
    std::vector<std::string> files;
    int64_t powerMw;
};

// The ACPI driver's power_now has no sign; the status gives it.
TEST_F(SysfsHealth, PowerTakesItsSignFromTheChargingState) {
    const PowerCase cases[] = {
        {"Discharging", {"power_now=8123456"}, -8123},
        {"Charging", {"power_now=8123456"}, 8123},
        {"Discharging", {"current_now=-700000", "voltage_now=12000000"}, -8400},  // a signed current
        {"Charging", {"current_now=700000", "voltage_now=12000000"}, 8400},
        {"Full", {"power_now=0"}, 0},
        {"Not charging", {"power_now=1200"}, 0},
        {"Unknown", {"power_now=8123456"}, kUnknown},
        {"Discharging", {"current_now=700000"}, kUnknown},  // no voltage: no power
    };
    for (const PowerCase& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + c.files[0]);
        std::filesystem::remove_all(root / "BAT0");
        std::vector<std::string> files = c.files;
        files.push_back(std::string("status=") + c.status);
        build(battery("BAT0", files));
        HealthReading reading = read();
        ASSERT_EQ(reading.count, 1);
        EXPECT_EQ(reading.batteries[0].powerMw, c.powerMw);
    }
}

// Only the system's batteries, in the order of their names; a mouse's
// (scope Device), the mains and an empty bay are not.
TEST_F(SysfsHealth, TwoBatteriesAmongOtherSupplies) {
    build({"AC/type=Mains", "AC/online=1", "hidpp_battery_0/type=Battery", "hidpp_battery_0/scope=Device",
           "hidpp_battery_0/energy_full=1000000", "BAT2/type=Battery", "BAT2/present=0"});
    build(battery("BAT1", {"energy_full_design=24000000", "energy_full=20000000", "cycle_count=42",
                           "model_name=45N1127", "serial_number= 1234", "voltage_now=12300000"}));
    build(battery("BAT0", {"charge_full_design=2000000", "charge_full=1900000", "voltage_min_design=11100000"}));
    HealthReading reading = read();
    ASSERT_EQ(reading.count, 2);
    EXPECT_STREQ(reading.batteries[0].name, "BAT0");
    EXPECT_EQ(reading.batteries[0].fullMwh, 21090);
    EXPECT_STREQ(reading.batteries[1].name, "BAT1");
    EXPECT_EQ(reading.batteries[1].cycles, 42);
    EXPECT_EQ(reading.batteries[1].voltageMv, 12300);
    EXPECT_STREQ(reading.batteries[1].model, "45N1127");
    EXPECT_STREQ(reading.batteries[1].serial, "1234");
}

TEST_F(SysfsHealth, MainsOnlyOrNoClassAtAll) {
    build({"AC/type=Mains", "AC/online=1"});
    EXPECT_EQ(read().count, 0);
    HealthReading reading;
    EXPECT_FALSE(readSysfsBatteryHealth((root / "missing").c_str(), &reading));
    EXPECT_EQ(reading.count, 0);
}

// A battery taken out between the listing and its reading is left out;
// the other one is read.
TEST_F(SysfsHealth, ABatteryRemovedWhileRead) {
    build(battery("BAT0", {"energy_full=20000000"}));
    build(battery("BAT1", {"energy_full=30000000"}));
    static std::string removed;
    removed = root / "BAT0";
    sysfsHealthListed = [] { std::filesystem::remove_all(removed); };
    HealthReading reading = read();
    ASSERT_EQ(reading.count, 1);
    EXPECT_STREQ(reading.batteries[0].name, "BAT1");
    EXPECT_EQ(reading.batteries[0].fullMwh, 30000);
}

}  // namespace
