// The chart of the health window: each battery's health over the kept
// history, drawn into pixels the same way on every system. Two passes over
// the history: the first learns the span and the lowest health, the second
// draws. An 80 % line, a line a battery was swapped at, and no line drawn
// across days for which the history has none (shaded, to be seen).
#pragma once

#include <cstdint>

#include "actions/health_history.h"
#include "dialogs/controls.h"

// More whole days than this without a line are a gap, as in the charts of
// celwrd-chart: a weekend is none, a week away is one.
constexpr int64_t kPlotGapDays = 2;
constexpr int kPlotMostSwaps = 32;

struct PlotSeries {
    BatteryHealth battery;  // its latest line
    int64_t lastDay;        // UTC days since 1601 of its latest line
    int32_t lastX, lastY;   // where the second pass drew it last
};

struct HealthPlot {
    int64_t firstUtc, lastUtc;  // seconds since 1601
    int32_t lowestPermille;
    int records;
    int seriesCount;
    PlotSeries series[kMostBatteries];
    // The second pass: where it draws.
    Picture* picture;
    int32_t left, top, right, bottom;
    int32_t floorPercent;
    int lastYear, lastMonth;
    int32_t lastLabelEnd;
};

void startHealthPlot(HealthPlot& plot);
// HealthRecordSinks, `context` the HealthPlot: the first pass, then, after
// beginHealthPlotDrawing, the second over the same records.
void scanForHealthPlot(const HealthRecord& record, void* context);
void beginHealthPlotDrawing(HealthPlot& plot, Picture& picture);
void drawHealthPlotRecord(const HealthRecord& record, void* context);

// Colours, for the tests too.
constexpr uint32_t kPlotBackground = 0xFFFFFF;
constexpr uint32_t kPlotAxis = 0x404040;
constexpr uint32_t kPlotGrid = 0xE0E0E0;
constexpr uint32_t kPlotLimit = 0xD03030;  // the 80 % line
constexpr uint32_t kPlotSwap = 0xE08000;
constexpr uint32_t kPlotGap = 0xECECEC;  // behind the days without a line
constexpr uint32_t kPlotSeriesColours[kMostBatteries] = {0x1F5FBF, 0x2E9E3E, 0x8E44AD, 0x00838F,
                                                         0x795548, 0xC2185B, 0x5D6D7E, 0x9E9D24};
