// Every word the health chart and the battery report show, from the
// program's string tables. The batteries' fields take their names from
// healthTexts().
#pragma once

struct ReportTexts {
    // the health chart
    const char* healthTitle;      // before the history file's name
    const char* healthAxis;       // the left axis: health in percent
    const char* cyclesAxis;       // the right axis
    const char* swapped;          // where another battery took a place
    const char* noLines;          // a gap: no line kept for days
    const char* nothingToChart;
    const char* dateRange;        // a format: %d/%02d/%02d twice, first and last day
    // the report
    const char* reportTitle;
    const char* historyFile;      // the health history's file
    const char* logFile;          // the battery log's file
    const char* notFound;         // after a file's name
    const char* nothingFound;     // neither file
    const char* linesRead;        // a format: %lld lines of a file
    const char* batteriesHeading;
    const char* replaced;         // a battery that another took the place of
    const char* period;           // the days a battery's lines span
    const char* historyHeading;
    const char* noHistory;
    const char* logHeading;
    const char* noLog;
    const char* usageHeading;
    const char* whole;            // the whole period, above the months
    const char* month;            // a format: %d year, %d month
    const char* days;             // days the program ran
    const char* runningPerDay;    // hours running a day
    const char* batteryPerDay;    // hours on the battery a day
    const char* drainPerHour;     // percent lost an hour on the battery
    const char* powerFromLog;     // discharge power, from the log and capacity
    const char* powerMeasured;    // discharge power, as the batteries said
    const char* usageNotes[4];    // what each figure is made of
};

// The texts of the program's language, valid until the next call.
const ReportTexts& reportTexts();
