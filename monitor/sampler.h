// Power sampling: classifies the power status, notices changes of kind and
// percentage, and measures how long the battery takes per 1 %.
#pragma once

#include "settings/battery_status.h"

// Reads the clock into `now`, and at most once per Scheckinterval queries
// the power status and updates the state.
void sampleBattery(BatteryStatus& status);

// The kind a power reading stands for.
int32_t classifyPower(const PowerReading& reading);
