// The two status texts: the fixed-layout status line the log writes, and
// the display items the user chose for the caption and the tray tip.
#pragma once

#include "settings/settings.h"

// Rebuilds s.statusLine and s.itemsText from the battery state, and stores
// the remaining time in chargeRest or dischargeRest. Reads no clock: the
// current time is the sampler's `now`.
void formatStatus(Settings& s);

// What the texts show of the time left: the clock time at which charging or
// discharging ends, and the remaining duration split from 1601-01-01 (its
// day - 1 whole days). Stores the remaining ms in chargeRest or
// dischargeRest by the kind; without a battery the end is `now` and the
// duration unset.
struct StatusEstimate {
    LocalTime end;
    LocalTime rest;
};
StatusEstimate estimateTimeLeft(BatteryStatus& b);
