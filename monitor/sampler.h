// Power sampling: classifies the power status, notices changes of kind and
// percentage, and measures how long the battery takes per 1 %.
#pragma once

#include "monitor/local_time.h"
#include "settings/battery_status.h"

// Reads the clock into `now`, and at most once per Scheckinterval queries
// the power status and updates the state. True when a query was due (the
// sampling grid moved), whether or not it succeeded.
bool sampleBattery(BatteryStatus& status);

// The local times between which no query falls due.
QuietSpan sampleQuietSpan(const BatteryStatus& status);

// The kind a power reading stands for.
int32_t classifyPower(const PowerReading& reading);
