// `--health` and `--health=json` on the command line: the batteries'
// health read at once and printed, as text with the forecast from the
// history, or as the JSON object scripts rely on.
#pragma once

#include <cstddef>

#include "platform/battery_health.h"

enum class HealthCommand { None, Text, Json, Bad };

// What a command-line word asks for: None when it is no health option,
// Bad for --health= with anything but json.
HealthCommand healthCommandOf(const char* word);

// The output of `command` for `reading`; the text report takes the
// forecast from the history at `historyPath` (null or empty: none).
// Returns the length; always terminated.
size_t renderHealthCommand(HealthCommand command, const HealthReading& reading, const char* historyPath, char* out,
                           size_t size);

// Room for the report of every battery.
constexpr size_t kHealthReportSize = 32768;
