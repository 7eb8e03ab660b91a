// The two status texts: the fixed-layout status line the log writes, and
// the display items the user chose for the caption and the tray tip.
#pragma once

#include "settings/settings.h"

// Rebuilds s.statusLine and s.itemsText from the battery state, and stores
// the remaining time in chargeRest or dischargeRest. Reads no clock: the
// current time is the sampler's `now`.
void formatStatus(Settings& s);
