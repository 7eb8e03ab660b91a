// The batteries' health as people and scripts read it: the figures worked
// out from a reading, the report as text (what the health window shows)
// and as one JSON object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "actions/health_forecast.h"
#include "base/text_util.h"
#include "platform/battery_health.h"

// Health and wear in tenths of a percent, for display: health at most
// 100 % (a full capacity above the design is kept as read, and shown so
// only here); -1 when unknown.
struct HealthFigures {
    int32_t healthPermille;
    int32_t wearPermille;
};
HealthFigures healthFigures(const BatteryHealth& battery);

// The batteries together: each capacity summed where every battery gives
// it in that unit, the power summed where every battery gives it; texts,
// cycles and voltage unknown. Named by the combined text.
BatteryHealth combinedHealth(const HealthReading& reading);

// The report as text, UTF-8, lines ended by LF: each battery with its
// fields, health, wear, power and, where `trends` allow, the pace of its
// wear and the forecast; the batteries together when there are several;
// that there is none. Returns the length; cut to fit, always terminated.
size_t formatHealthText(const HealthReading& reading, const HealthTrends* trends, char* out, size_t size);

// {"batteries":[{"name":..., "maker":..., "model":..., "serial":...,
// "technology":..., "design_wh":..., "full_wh":..., "design_mah":...,
// "full_mah":..., "health_percent":..., "cycles":..., "power_w":...,
// "voltage_v":...}, ...]} and a line end. Unknown values are null,
// numbers carry no unit, power_w is negative while discharging. Returns
// the length; 0 (and an empty text) when it does not fit.
size_t formatHealthJson(const HealthReading& reading, char* out, size_t size);

// One value as the text report shows it, without its label: a capacity
// ("57.00 Wh (3900 mAh)", "3900 mAh", "5000 (relative)"), a percentage of
// tenths ("89.9 %"), thousandths with their unit ("-8.12 W"); the unknown
// text where there is none. Then the pace of the wear and the forecast.
void appendCapacityText(TextBuffer& out, int64_t mwh, int64_t mah, int64_t relative);
void appendPermilleText(TextBuffer& out, int32_t permille);
void appendMilliText(TextBuffer& out, int64_t milli, const char* unit);
void appendPaceText(TextBuffer& out, const HealthForecast& forecast);
void appendForecastText(TextBuffer& out, const HealthForecast& forecast);
