// The batteries' health from a power-supply class folder laid out as the
// kernel's /sys/class/power_supply: the platform reads that one, the tests
// a tree of their own.
#pragma once

#include "platform/battery_health.h"

// Every battery of the system under `root` into `out`, in the order of
// their names; false when `root` cannot be read.
bool readSysfsBatteryHealth(const char* root, HealthReading* out);

// For the tests: called once the supplies are listed and before any is
// read, so that one can go in between. Null: nothing.
extern void (*sysfsHealthListed)();
