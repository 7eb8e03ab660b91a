// Local times as counts of 100 ns units since 1601-01-01 00:00:00 on the
// proleptic Gregorian calendar, the system's FILETIME. Our own portable
// code, so every platform and the simulated one count alike.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// False for a time that is not a valid calendar time (the count is then 0).
bool toTimeCount(const LocalTime& t, int64_t* count);
LocalTime fromTimeCount(int64_t count);
