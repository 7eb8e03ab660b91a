// The picture of a battery log: the charge over time on a background banded
// by power kind, with gaps where the program did not run, and below it the
// measured seconds per 1 % while charging and discharging. Whatever the
// log's length, the chart keeps at most one column per pixel, each with the
// few points that decide what it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log_reader.h"
#include "svg_draw.h"
#include "time_axis.h"

constexpr int kChartWidth = 1000;
constexpr int kChartHeight = 700;
constexpr PlotArea kChargePlot{70, 84, 900, 290};
constexpr PlotArea kRatePlot{70, 494, 900, 150};
// At most one column per pixel of the plots' width.
constexpr int kColumns = kChargePlot.width;
// Where a pixel would be more than this many seconds, columns are days.
constexpr int64_t kDayColumnsFrom = 3 * 3600;

// What the background shows for a stretch of time.
enum BandState : int {
    kBandNone = -1,   // before the first line
    kBandGap,         // the program did not run
    kBandRunning,     // running, the power kind not known yet
    kBandAcLine,
    kBandAcBatt,
    kBandCharge,
    kBandDischarge,
    kBandStates
};

struct ChargePoint {
    int64_t time;
    int percent;
};

struct RateSum {
    int64_t count;
    double rateSum;
    double offsetSum;  // seconds after the chart's start
};

struct ChartColumn {
    double seconds[kBandStates];  // time spent in each state
    // The first, lowest, highest and last point draw the column's pixel as
    // all its points would.
    int points;
    ChargePoint first, low, high, last;
    bool breakBefore;  // the line does not join the previous column
    RateSum charge, discharge;
};

struct Chart {
    int64_t start, end;  // the time axis, end > start
    bool haveEvents;     // anything at all was handed in
    // Column i covers columnSeconds from origin + i * columnSeconds.
    int64_t origin;
    double columnSeconds;
    std::vector<ChartColumn> columns;
    int state;           // BandState since `stateSince`
    int64_t stateSince;
    // the charge line, and the points just outside the axis it runs to
    bool pendingBreak;
    bool lineLive;       // the last event was a point, at this percent
    int livePercent;
    int lastColumn;      // -1 before the first point on the axis
    bool haveBefore, haveAfter, afterDecided;
    ChargePoint before, after;
};

void startChart(Chart& chart, int64_t start, int64_t end);
void addToChart(Chart& chart, const LogEvent& event);

// x of a time on the plots; y of a value on a plot whose scale ends at
// `top`, and of a percent on the charge plot.
double chartX(const Chart& chart, int64_t time);
double valueY(const PlotArea& plot, double value, double top);
double chargeY(int percent);

// The whole SVG document. `title` is UTF-8 (anything else is replaced).
void writeChartSvg(const Chart& chart, const char* title, std::string& out);
