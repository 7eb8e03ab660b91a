// The picture of the health history: each battery's health in percent
// over the months, its cycle count on a second axis, a mark where another
// battery took a battery's place, and hatching where no line was kept.
// Whatever the history's length, each battery keeps at most one column per
// pixel, each with the few points that decide what it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/health_history.h"
#include "svg_draw.h"

constexpr int kHealthWidth = 1000;
constexpr PlotArea kHealthPlot{70, 84, 860, 280};
// A line a day is the rhythm: more days than this in a row without one
// are a gap (a weekend is none, a week away is one).
constexpr int64_t kHealthGapDays = 2;
// Batteries drawn; lines of more are counted and left out.
constexpr int kMostHealthSeries = 16;

// Which records count: local seconds, from midnight of the first day to
// midnight after the last.
struct HealthWindow {
    bool haveFrom, haveTo;
    int64_t from, to;
};

// The first pass: how far the history runs and the range of its values.
struct HealthScan {
    HealthWindow window;
    bool any;
    int64_t first, last;  // local seconds
    int32_t lowPermille, highPermille;  // of health; lowPermille > highPermille when none
    int64_t highestCycles;              // -1 when none
};

void startHealthScan(HealthScan& scan, const HealthWindow& window);
// A HealthRecordSink: `context` is the HealthScan.
void scanHealthRecord(const HealthRecord& record, void* context);

struct HealthPoint {
    int64_t time;  // local seconds
    int64_t value;
};

struct HealthColumn {
    int points;  // of health, in permille
    HealthPoint first, low, high, last;
    int cyclePoints;
    HealthPoint cycleFirst, cycleLast;
    bool breakBefore;  // the lines do not join the previous column
};

// One battery in one place: a swap starts another series under the same name.
struct HealthSeries {
    BatteryHealth battery;  // as its latest line gave it
    int64_t firstTime, lastTime;
    int64_t lastDay;        // local days since 1601 of its latest line
    bool replaced;          // another battery took its place
    bool pendingBreak;
    int lastColumn;         // -1 before its first point
    std::vector<HealthColumn> columns;
};

struct HealthGap {
    int64_t from, to;  // midnight after the last line, midnight of the next
};

struct HealthChart {
    HealthWindow window;
    int64_t start, end;  // the time axis, end > start
    double columnSeconds;
    // the scales: health from lowPercent to highPercent in steps; cycles
    // from 0 to cycleTop (0: no cycles known), on the same grid lines
    double lowPercent, highPercent, percentStep, cycleTop;
    std::vector<HealthSeries> series;
    std::vector<int64_t> swaps;
    std::vector<HealthGap> gaps;
    bool any;
    int64_t latestDay;
    int64_t records, dropped;  // drawn, and left out for want of room
};

void startHealthChart(HealthChart& chart, const HealthScan& scan);
// A HealthRecordSink: `context` is the HealthChart.
void addToHealthChart(const HealthRecord& record, void* context);

// Local seconds since 1601 of a record's time.
int64_t recordLocalSeconds(const HealthRecord& record);

// The health in percent and the cycles as y on the plot.
double healthY(const HealthChart& chart, double percent);
double cyclesY(const HealthChart& chart, double cycles);

// The whole SVG document (`standalone`), or the <svg> element alone for a
// page; `title` is UTF-8 (anything else is replaced).
void writeHealthSvg(const HealthChart& chart, const char* title, bool standalone, std::string& out);
