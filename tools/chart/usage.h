// How the machine was used, month by month: from the battery log's lines
// the days the program ran, its hours running and on the battery and the
// charge lost on the battery; from the health history the batteries' full
// capacity (to turn that charge into watts) and the power they reported
// while discharging.
#pragma once

#include <cstdint>
#include <map>

#include "actions/health_history.h"
#include "health_chart.h"
#include "log_reader.h"

struct UsageMonth {
    int64_t days;                 // days the program ran some of
    double runningSeconds;
    double batterySeconds;        // running on the battery
    double percentLost;           // points of charge lost on the battery
    int64_t powerReadings;        // the history's readings while discharging
    double powerSumMw;
    bool haveCapacity;            // the batteries' full capacity together, at the month's last line
    double capacityMwh;
};

struct Usage {
    HealthWindow window;
    std::map<int64_t, UsageMonth> months;  // by year * 12 + month - 1
    // the log, as it is read
    bool logAny;
    int state;  // the power kind (kPowerUnknown while not known yet), or stopped
    int64_t since;
    int lastPercent;  // of the last status line of this run; -1 none
    int64_t lastCountedDay;
    // the history, as it is read: the latest full capacity of each battery
    struct Latest {
        char name[kHealthNameSize];
        int64_t fullMwh;
    };
    Latest latest[kMostHealthSeries];
    int latestCount;
};

void startUsage(Usage& usage, const HealthWindow& window);
// A LogEventSink: `context` is the Usage.
void addLogToUsage(const LogEvent& event, void* context);
// A HealthRecordSink: `context` is the Usage.
void addHistoryToUsage(const HealthRecord& record, void* context);

// Figures of one month or of the whole, each with whether it is known.
struct UsageFigures {
    int64_t days;
    bool haveHours;  // days > 0
    double runningHoursPerDay, batteryHoursPerDay;
    bool haveDrain;  // some time on the battery
    double percentPerHour;
    bool haveEstimate;  // and a capacity for it
    double estimatedWatts;
    bool haveMeasured;
    double measuredWatts;
};

UsageFigures usageOfMonth(const Usage& usage, int64_t month);
UsageFigures usageOfAll(const Usage& usage);
