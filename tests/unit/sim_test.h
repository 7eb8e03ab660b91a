// Every test starts from a fresh simulated machine and default settings.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"
#include "settings/settings.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset();
        initSettingsRecords();
    }
};

inline LocalTime at(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return LocalTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0,
                     static_cast<uint16_t>(day), static_cast<uint16_t>(hour), static_cast<uint16_t>(minute),
                     static_cast<uint16_t>(second), static_cast<uint16_t>(ms)};
}
