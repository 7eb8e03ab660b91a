// Log lines for the tests, written by the program's own code, so that the
// chart is tested against what the program really writes.
#pragma once

#include <string>

#include "actions/battery_log.h"
#include "monitor/status_format.h"
#include "platform/sim/sim_platform.h"
#include "platform/time_count.h"
#include "settings/settings.h"

inline LocalTime at(int year, int month, int day, int hour, int minute, int second) {
    return LocalTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day),
                     static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second), 0};
}

// Local seconds since 1601 of a calendar time.
inline int64_t secondsAt(int year, int month, int day, int hour, int minute, int second) {
    int64_t count = 0;
    toTimeCount(at(year, month, day, hour, minute, second), &count);
    return count / 10000000;
}

// The status line of a kind at a percent, a rate in seconds per 1 %, a
// time of day and the seconds since the previous record.
inline std::string statusLine(int32_t kind, int percent, int32_t rateSeconds, int hour, int minute, int second,
                              int32_t spanSeconds = 0) {
    sim::reset();
    initSettingsRecords();
    BatteryStatus& b = liveSettings.Cbattery;
    b.kind = kind;
    b.percent = percent;
    b.chargeRate = b.dischargeRate = rateSeconds * 1000;
    b.now = at(2026, 1, 1, hour, minute, second);
    b.logSpan = spanSeconds * 1000;
    formatStatus(liveSettings);
    return liveSettings.statusLine;
}

inline std::string markerLine(bool open, int year, int month, int day, int hour, int minute, int second) {
    static std::string written;
    sim::reset();
    initSettingsRecords();
    sim::setClock(year, month, day, hour, minute, second);
    setLogLineObserver([](const char* line, const char*) { written = line; });
    open ? logOpenMarker() : logCloseMarker();
    setLogLineObserver(nullptr);
    return written;
}

inline std::string openAt(int year, int month, int day, int hour, int minute, int second) {
    return markerLine(true, year, month, day, hour, minute, second);
}

inline std::string closeAt(int year, int month, int day, int hour, int minute, int second) {
    return markerLine(false, year, month, day, hour, minute, second);
}
