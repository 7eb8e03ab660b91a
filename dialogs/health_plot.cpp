#include "dialogs/health_plot.h"

#include <cstring>

#include "actions/health_forecast.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// A short history is drawn over a month at least, so a few days of it do
// not fill the width as if they were years.
constexpr int64_t kLeastSpanSeconds = 30 * kSecondsPerDay;

// Digits and the per cent sign, 3 by 5 pixels: a row a byte, bit 2 the left.
constexpr uint8_t kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {5, 1, 2, 4, 5},
};
constexpr int kPercentGlyph = 10;

void put(Picture& p, int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
    p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] = colour;
}

void fill(Picture& p, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour) {
    for (int32_t row = y; row < y + height; ++row)
        for (int32_t column = x; column < x + width; ++column) put(p, column, row, colour);
}

// Dashed: four on, three off.
void horizontal(Picture& p, int32_t x0, int32_t x1, int32_t y, uint32_t colour, bool dashed) {
    for (int32_t x = x0; x <= x1; ++x)
        if (!dashed || (x - x0) % 7 < 4) put(p, x, y, colour);
}

void vertical(Picture& p, int32_t x, int32_t y0, int32_t y1, uint32_t colour, bool dashed) {
    for (int32_t y = y0; y <= y1; ++y)
        if (!dashed || (y - y0) % 7 < 4) put(p, x, y, colour);
}

// Two pixels thick, so a line stays visible on any screen.
void segment(Picture& p, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    int32_t dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
    int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int32_t error = dx + dy;
    for (;;) {
        put(p, x0, y0, colour);
        put(p, x0, y0 + 1, colour);
        if (x0 == x1 && y0 == y1) return;
        int32_t twice = 2 * error;
        if (twice >= dy) error += dy, x0 += sx;
        if (twice <= dx) error += dx, y0 += sy;
    }
}

// Shades the columns between two lines, leaving what is drawn there.
void shadeGap(Picture& p, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) {
            if (x < 0 || y < 0 || x >= p.width || y >= p.height) continue;
            uint32_t& pixel = p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)];
            if (pixel == kPlotBackground || pixel == kPlotGrid) pixel = kPlotGap;
        }
}

int scaleOf(const Picture& p) { return p.height >= 90 ? 2 : 1; }

// The glyphs of `value` (and a per cent sign), into `out`; returns how many.
int glyphsOf(int value, bool percent, int (&out)[12]) {
    char digits[10];
    int count = 0;
    unsigned rest = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>(rest % 10);
        rest /= 10;
    } while (rest > 0 && count < 10);
    int n = 0;
    while (count > 0) out[n++] = digits[--count];
    if (percent) out[n++] = kPercentGlyph;
    return n;
}

int32_t textWidth(int value, bool percent, int scale) {
    int glyphs[12];
    return glyphsOf(value, percent, glyphs) * 4 * scale - scale;
}

void text(Picture& p, int32_t x, int32_t y, int value, bool percent, int scale) {
    int glyphs[12];
    int n = glyphsOf(value, percent, glyphs);
    for (int i = 0; i < n; ++i, x += 4 * scale)
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 3; ++column)
                if (kGlyphs[glyphs[i]][row] & (4 >> column))
                    fill(p, x + column * scale, y + row * scale, scale, scale, kPlotAxis);
}

int32_t xOf(const HealthPlot& plot, int64_t utc) {
    int64_t span = plot.lastUtc - plot.firstUtc;
    if (span < kLeastSpanSeconds) span = kLeastSpanSeconds;
    int64_t offset = utc - plot.firstUtc;
    if (offset < 0) offset = 0;
    if (offset > span) offset = span;
    return plot.left + static_cast<int32_t>(offset * (plot.right - plot.left) / span);
}

int32_t yOf(const HealthPlot& plot, int32_t permille) {
    int32_t floor = plot.floorPercent * 10;
    if (permille > 1000) permille = 1000;
    if (permille < floor) permille = floor;
    return plot.bottom - (permille - floor) * (plot.bottom - plot.top) / (1000 - floor);
}

// Each battery by its name, in the order of its first line.
int seriesOf(HealthPlot& plot, const char* name, bool& fresh) {
    fresh = false;
    for (int i = 0; i < plot.seriesCount; ++i)
        if (strcmp(plot.series[i].battery.name, name) == 0) return i;
    if (plot.seriesCount == kMostBatteries) return -1;
    fresh = true;
    return plot.seriesCount++;
}

// A tick under the axis at each month, and the year under the first of
// each year, where the last label leaves room.
void timeTick(HealthPlot& plot, const LocalTime& time, int32_t x) {
    Picture& p = *plot.picture;
    const int scale = scaleOf(p);
    const bool newYear = time.year != plot.lastYear;
    if (!newYear && time.month == plot.lastMonth) return;
    plot.lastYear = time.year;
    plot.lastMonth = time.month;
    vertical(p, x, plot.bottom + 1, plot.bottom + (newYear ? 3 : 2) * scale, kPlotAxis, false);
    int32_t width = textWidth(time.year, false, scale);
    int32_t at = x - width / 2;
    if (at < plot.left) at = plot.left;
    if (at + width > p.width) at = p.width - width;
    if (!newYear || at <= plot.lastLabelEnd) return;
    text(p, at, plot.bottom + 4 * scale, time.year, false, scale);
    plot.lastLabelEnd = at + width + 2 * scale;
}

}  // namespace

void startHealthPlot(HealthPlot& plot) {
    memset(&plot, 0, sizeof plot);
    plot.lowestPermille = 1000;
}

void scanForHealthPlot(const HealthRecord& record, void* context) {
    HealthPlot& plot = *static_cast<HealthPlot*>(context);
    int32_t health = healthPermille(record.battery);
    if (health < 0) return;
    int64_t utc = recordUtcSeconds(record);
    if (plot.records == 0 || utc < plot.firstUtc) plot.firstUtc = utc;
    if (plot.records == 0 || utc > plot.lastUtc) plot.lastUtc = utc;
    if (health < plot.lowestPermille) plot.lowestPermille = health;
    ++plot.records;
}

void beginHealthPlotDrawing(HealthPlot& plot, Picture& picture) {
    plot.picture = nullptr;
    plot.seriesCount = 0;
    plot.lastYear = plot.lastMonth = 0;
    if (!picture.pixels || picture.width <= 0 || picture.height <= 0) return;
    fill(picture, 0, 0, picture.width, picture.height, kPlotBackground);
    const int scale = scaleOf(picture);
    // Down to 70 %, or 10 points below the lowest health in tens.
    int32_t lowest = plot.lowestPermille / 10 - 5;
    plot.floorPercent = lowest < 70 ? (lowest < 0 ? 0 : lowest / 10 * 10) : 70;
    plot.left = textWidth(100, true, scale) + 3 * scale;
    plot.top = 3 * scale;
    plot.right = picture.width - 1 - 3 * scale;
    plot.bottom = picture.height - 1 - 10 * scale;
    plot.lastLabelEnd = 0;
    if (plot.right - plot.left < 20 || plot.bottom - plot.top < 20) return;
    plot.picture = &picture;

    // Every ten points a grid line, labelled where there is room.
    const int32_t steps = (100 - plot.floorPercent) / 10;
    const int every = (plot.bottom - plot.top) / steps >= 8 * scale ? 1 : 2;
    for (int32_t percent = plot.floorPercent, step = 0; percent <= 100; percent += 10, ++step) {
        int32_t y = yOf(plot, percent * 10);
        if (percent != kForecastHealthPercent) horizontal(picture, plot.left + 1, plot.right, y, kPlotGrid, false);
        if (step % every != 0 && percent != 100) continue;
        int32_t width = textWidth(percent, true, scale);
        text(picture, plot.left - 2 * scale - width, y - 2 * scale, percent, true, scale);
    }
    horizontal(picture, plot.left + 1, plot.right, yOf(plot, kForecastHealthPercent * 10), kPlotLimit, true);
    vertical(picture, plot.left, plot.top, plot.bottom, kPlotAxis, false);
    horizontal(picture, plot.left, plot.right, plot.bottom, kPlotAxis, false);
}

void drawHealthPlotRecord(const HealthRecord& record, void* context) {
    HealthPlot& plot = *static_cast<HealthPlot*>(context);
    if (!plot.picture) return;
    int32_t health = healthPermille(record.battery);
    if (health < 0) return;
    Picture& p = *plot.picture;
    const int64_t utc = recordUtcSeconds(record);
    const int64_t day = utc / kSecondsPerDay;
    const int32_t x = xOf(plot, utc), y = yOf(plot, health);
    timeTick(plot, record.time, x);
    bool fresh;
    int i = seriesOf(plot, record.battery.name, fresh);
    if (i < 0) return;
    PlotSeries& s = plot.series[i];
    const uint32_t colour = kPlotSeriesColours[i];
    const bool swapped = !fresh && !sameBattery(s.battery, record.battery);
    if (swapped) vertical(p, x, plot.top, plot.bottom - 1, kPlotSwap, true);
    const bool gap = !fresh && !swapped && day - s.lastDay - 1 > kPlotGapDays;
    if (gap) shadeGap(p, s.lastX + 2, x - 2, plot.top, plot.bottom - 1);
    if (!fresh && !swapped && !gap) segment(p, s.lastX, s.lastY, x, y, colour);
    else fill(p, x - 1, y - 1, 3, 3, colour);
    s.battery = record.battery;
    s.lastDay = day;
    s.lastX = x;
    s.lastY = y;
}
