#include "chart.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <tuple>
#include <utility>

#include "base/text_util.h"
#include "base/texts.h"
#include "platform/time_count.h"
#include "settings/battery_status.h"
#include "svg_text.h"

namespace {

constexpr int64_t kCountsPerSecond = 10000000;

double span(const Chart& c) { return static_cast<double>(c.end - c.start); }

int columnCount(const Chart& c) { return static_cast<int>(c.columns.size()); }

int columnOf(const Chart& c, int64_t time) {
    int column = static_cast<int>(std::floor(static_cast<double>(time - c.origin) / c.columnSeconds));
    return std::clamp(column, 0, columnCount(c) - 1);
}

double columnStart(const Chart& c, int column) { return static_cast<double>(c.origin) + c.columnSeconds * column; }

// Spreads [from, to) of one state over the columns it covers.
void attribute(Chart& c, int64_t from, int64_t to, int state) {
    if (state < 0 || state >= kBandStates) return;
    from = std::max(from, c.start);
    to = std::min(to, c.end);
    if (from >= to) return;
    int last = columnOf(c, to);
    for (int column = columnOf(c, from); column <= last; ++column) {
        double a = std::max(static_cast<double>(from), columnStart(c, column));
        double b = std::min(static_cast<double>(to), columnStart(c, column + 1));
        if (b > a) c.columns[column].seconds[state] += b - a;
    }
}

void settle(Chart& c, int64_t until) {
    attribute(c, c.stateSince, until, c.state);
    c.stateSince = until;
}

void breakLine(Chart& c) {
    c.pendingBreak = true;
    c.lineLive = false;
}

void addPoint(Chart& c, int64_t time, int percent) {
    ChargePoint point{time, percent};
    if (time < c.start) {
        c.before = point;
        c.haveBefore = true;
        c.pendingBreak = false;
        return;
    }
    if (time > c.end) {
        if (!c.afterDecided) {
            c.afterDecided = true;
            c.haveAfter = !c.pendingBreak && (c.lastColumn >= 0 || c.haveBefore);
            c.after = point;
        }
        return;
    }
    int index = columnOf(c, time);
    ChartColumn& column = c.columns[index];
    if (c.lastColumn < 0) {
        if (c.pendingBreak) c.haveBefore = false;
    } else if (c.pendingBreak && index != c.lastColumn) {
        // A break narrower than a pixel would not show.
        column.breakBefore = true;
    }
    if (column.points++ == 0) column.first = column.low = column.high = point;
    if (percent < column.low.percent) column.low = point;
    if (percent > column.high.percent) column.high = point;
    column.last = point;
    c.pendingBreak = false;
    c.lastColumn = index;
}

void addRate(Chart& c, RateSum ChartColumn::*series, int64_t time, int32_t seconds) {
    // 0 until the first measurement; a negative rate is no measurement of wear.
    if (seconds <= 0 || time < c.start || time > c.end) return;
    RateSum& sum = c.columns[columnOf(c, time)].*series;
    ++sum.count;
    sum.rateSum += seconds;
    sum.offsetSum += static_cast<double>(time - c.start);
}

int bandOf(int32_t kind) {
    switch (kind) {
    case kPowerAcLine: return kBandAcLine;
    case kPowerAcBatt: return kBandAcBatt;
    case kPowerCharge: return kBandCharge;
    case kPowerDischarge: return kBandDischarge;
    default: return kBandRunning;
    }
}

bool isRunning(int state) { return state != kBandNone && state != kBandGap; }

}  // namespace

void startChart(Chart& chart, int64_t start, int64_t end) {
    chart.start = start;
    chart.end = end > start ? end : start + 1;
    chart.haveEvents = false;
    // Columns of a pixel while a pixel is a few hours at most. Beyond, a
    // pixel would hold a fraction of a day that changes from one to the
    // next, and the days' pattern would beat across the chart: whole days
    // from midnight instead.
    int64_t length = chart.end - chart.start;
    if (length > kColumns * kDayColumnsFrom) {
        chart.origin = start - start % kSecondsPerDay;
        int64_t days = (chart.end - chart.origin + kSecondsPerDay - 1) / kSecondsPerDay;
        int64_t perColumn = (days + kColumns - 1) / kColumns;
        chart.columnSeconds = static_cast<double>(perColumn * kSecondsPerDay);
        chart.columns.assign(static_cast<size_t>((days + perColumn - 1) / perColumn), ChartColumn{});
    } else {
        chart.origin = start;
        chart.columnSeconds = static_cast<double>(length) / kColumns;
        chart.columns.assign(kColumns, ChartColumn{});
    }
    chart.state = kBandNone;
    chart.stateSince = start;
    chart.pendingBreak = false;
    chart.lineLive = false;
    chart.livePercent = 0;
    chart.lastColumn = -1;
    chart.haveBefore = chart.haveAfter = chart.afterDecided = false;
    chart.before = chart.after = ChargePoint{};
}

void addToChart(Chart& c, const LogEvent& e) {
    c.haveEvents = true;
    switch (e.type) {
    case LogEventType::Open:
        // No close marker: the program ended somewhere after its last line.
        if (isRunning(c.state)) c.state = kBandGap;
        settle(c, e.time);
        c.state = kBandRunning;
        breakLine(c);
        break;
    case LogEventType::Close:
        // The log writes a line at each change, so the last percent held
        // until the program closed its log.
        if (c.lineLive) addPoint(c, e.time, c.livePercent);
        settle(c, e.time);
        c.state = kBandGap;
        breakLine(c);
        break;
    case LogEventType::Status:
        settle(c, e.time);
        c.state = bandOf(e.kind);
        if (e.percent >= 0) {
            addPoint(c, e.time, e.percent);
            c.lineLive = true;
            c.livePercent = e.percent;
        } else {
            breakLine(c);
        }
        if (e.kind == kPowerCharge) addRate(c, &ChartColumn::charge, e.time, e.rateSeconds);
        if (e.kind == kPowerDischarge) addRate(c, &ChartColumn::discharge, e.time, e.rateSeconds);
        break;
    }
}

double chartX(const Chart& chart, int64_t time) {
    return kChargePlot.left + static_cast<double>(time - chart.start) * kChargePlot.width / span(chart);
}

double valueY(const PlotArea& plot, double value, double top) {
    return plot.top + kHeadroom + (plot.height - kHeadroom) * (1 - value / top);
}

double chargeY(int percent) { return valueY(kChargePlot, percent, 100); }

// ------------------------------------------------------------- the SVG

namespace {

struct BandStyle {
    int state;
    const char* name;   // the class of its rectangles
    const char* fill;
    int label;  // the program's own words for the kind, an IDS_ id
};

const BandStyle kBandStyles[] = {
    {kBandAcLine, "band-acline", "#d9d9d9", IDS_CHART_AC_LINE},
    {kBandAcBatt, "band-acbatt", "#cde8c1", IDS_CHART_AC_BATTERY},
    {kBandCharge, "band-charge", "#fbe1a0", IDS_CHART_CHARGING},
    {kBandDischarge, "band-discharge", "#c6dbf3", IDS_CHART_DISCHARGING},
    {kBandGap, "band-gap", "url(#gap)", IDS_CHART_STOPPED},
};

const char* const kChargeColour = "#c27800";
const char* const kDischargeColour = "#1f5fa8";

void addDefs(std::string& out) {
    out += "<defs>\n";
    out += "<pattern id=\"gap\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#ffffff\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#a8a8a8\" stroke-width=\"2\"/></pattern>\n";
    for (const auto& [id, plot] : {std::pair{"charge-clip", kChargePlot}, std::pair{"rate-clip", kRatePlot}})
        addSvg(out, "<clipPath id=\"%s\"><rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/></clipPath>\n", id,
            plot.left, plot.top, plot.width, plot.height);
    out += "</defs>\n";
}

// Each kind's share of a column as a stack of heights in pixels, in the
// legend's order from the top; the rest (running, kind not known) is white.
// A day shows one kind per column; months show how the days were spent.
struct Stack {
    int height[std::size(kBandStyles)];
    bool operator==(const Stack&) const = default;
};

Stack stackOf(const Chart& chart, const ChartColumn& column, int plotHeight) {
    Stack stack{};
    double covered = 0;
    int top = 0;
    for (size_t i = 0; i < std::size(kBandStyles); ++i) {
        covered += column.seconds[kBandStyles[i].state];
        int bottom = std::min(plotHeight, static_cast<int>(std::lround(covered / chart.columnSeconds * plotHeight)));
        stack.height[i] = std::max(0, bottom - top);
        top += stack.height[i];
    }
    return stack;
}

// The rate plot shows only where the program did not run at all.
Stack gapStackOf(const Chart& chart, const ChartColumn& column, int plotHeight) {
    Stack stack{};
    if (column.seconds[kBandGap] >= 0.99 * chart.columnSeconds)
        stack.height[std::size(kBandStyles) - 1] = plotHeight;
    return stack;
}

// Runs of columns with the same stack, drawn as one rectangle per kind.
void addBands(std::string& out, const Chart& chart, const PlotArea& plot, bool gapsOnly) {
    auto stackAt = [&](int column) {
        return gapsOnly ? gapStackOf(chart, chart.columns[column], plot.height)
                        : stackOf(chart, chart.columns[column], plot.height);
    };
    auto xAt = [&](int column) {
        double x = chartX(chart, static_cast<int64_t>(std::llround(columnStart(chart, column))));
        return std::clamp(x, static_cast<double>(plot.left), static_cast<double>(plot.left + plot.width));
    };
    int column = 0, count = columnCount(chart);
    while (column < count) {
        Stack stack = stackAt(column);
        int end = column + 1;
        while (end < count && stackAt(end) == stack) ++end;
        double x = xAt(column), width = xAt(end) - x;
        int y = plot.top;
        for (size_t i = 0; i < std::size(kBandStyles); ++i) {
            if (stack.height[i] == 0) continue;
            addSvg(out, "<rect class=\"%s\" x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"%s\"/>\n",
                kBandStyles[i].name, x, y, width, stack.height[i], kBandStyles[i].fill);
            y += stack.height[i];
        }
        column = end;
    }
}

void addVertex(std::string& out, const Chart& chart, const ChargePoint& p, bool move) {
    addSvg(out, "%c%.1f %.1f ", move ? 'M' : 'L', chartX(chart, p.time), chargeY(p.percent));
}

void addChargeLine(std::string& out, const Chart& chart) {
    // Over weeks the days' cycles fill whole columns: let the kinds show through.
    bool dense = span(chart) / kColumns > 3600.0;
    addSvg(out, "<path id=\"charge\" fill=\"none\" stroke=\"#202020\" stroke-width=\"%s\" stroke-opacity=\"%s\" "
             "stroke-linejoin=\"round\" clip-path=\"url(#charge-clip)\" d=\"",
        dense ? "1" : "1.5", dense ? "0.45" : "1");
    bool drawing = false;
    if (chart.haveBefore) {
        addVertex(out, chart, chart.before, true);
        drawing = true;
    }
    for (const ChartColumn& column : chart.columns) {
        if (column.points == 0) continue;
        ChargePoint points[4] = {column.first, column.low, column.high, column.last};
        std::stable_sort(std::begin(points), std::end(points),
                         [](const ChargePoint& a, const ChargePoint& b) { return a.time < b.time; });
        for (int i = 0; i < 4; ++i) {
            if (i > 0 && points[i].time == points[i - 1].time && points[i].percent == points[i - 1].percent)
                continue;
            addVertex(out, chart, points[i], !drawing || (i == 0 && column.breakBefore));
            drawing = true;
        }
    }
    if (chart.haveAfter) addVertex(out, chart, chart.after, !drawing);
    if (out.back() == ' ') out.pop_back();
    out += "\"/>\n";
}

// A round top for the rate plot: 1, 2 or 5 times a power of ten per step.
void rateScale(double highest, double* top, double* step) {
    if (highest <= 0) highest = 60;
    double magnitude = std::pow(10.0, std::floor(std::log10(highest / 4)));
    *step = magnitude;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        *step = factor * magnitude;
        if (highest / *step <= 5) break;
    }
    *top = std::ceil(highest / *step) * *step;
}

void addRates(std::string& out, const Chart& chart, double top) {
    out += "<g id=\"rates\" clip-path=\"url(#rate-clip)\">\n";
    for (const ChartColumn& column : chart.columns) {
        for (const auto& [sum, name, colour] : {std::tuple{&column.charge, "rate-charge", kChargeColour},
                                                std::tuple{&column.discharge, "rate-discharge", kDischargeColour}}) {
            if (sum->count == 0) continue;
            double x = kRatePlot.left + sum->offsetSum / sum->count * kRatePlot.width / span(chart);
            double y = valueY(kRatePlot, sum->rateSum / sum->count, top);
            addSvg(out, "<circle class=\"%s\" cx=\"%.1f\" cy=\"%.1f\" r=\"2\" fill=\"%s\"/>\n", name, x, y, colour);
        }
    }
    out += "</g>\n";
}

double highestRate(const Chart& chart) {
    double highest = 0;
    for (const ChartColumn& column : chart.columns) {
        for (const RateSum* sum : {&column.charge, &column.discharge})
            if (sum->count > 0) highest = std::max(highest, sum->rateSum / sum->count);
    }
    return highest;
}

void addRange(std::string& out, const Chart& chart) {
    LocalTime a = localTimeAt(chart.start), b = localTimeAt(chart.end);
    char range[80];
    if (chart.end - chart.start < 3600)
        formatText(range, text(IDS_CHART_RANGE_SECONDS), a.year, a.month, a.day, a.hour, a.minute,
                   a.second, b.hour, b.minute, b.second);
    else
        formatText(range, text(IDS_CHART_RANGE_MINUTES), a.year, a.month, a.day, a.hour, a.minute,
                   b.year, b.month, b.day, b.hour, b.minute);
    addSvgText(out, kChargePlot.left + kChargePlot.width, 32, " text-anchor=\"end\" fill=\"#555555\"", range);
}

}  // namespace

void writeChartSvg(const Chart& chart, const char* title, std::string& out) {
    addSvgStart(out, kChartWidth, kChartHeight, title, true);
    addDefs(out);
    addSvg(out, "<rect width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n", kChartWidth, kChartHeight);
    addSvgText(out, kChargePlot.left, 32, " font-size=\"18\" font-weight=\"bold\"", title);

    // The charge, on the power kinds.
    addSvgText(out, kChargePlot.left, kChargePlot.top - 12, " font-weight=\"bold\"", text(IDS_CHART_CHARGE_AXIS));
    LegendEntry kinds[std::size(kBandStyles)];
    for (size_t i = 0; i < std::size(kBandStyles); ++i) kinds[i] = {text(kBandStyles[i].label), kBandStyles[i].fill, false};
    addLegend(out, kChargePlot, kChargePlot.top - 12, kinds, static_cast<int>(std::size(kinds)));
    out += "<g id=\"bands\">\n";
    if (chart.haveEvents) addBands(out, chart, kChargePlot, false);
    out += "</g>\n";
    addValueAxis(out, kChargePlot, 0, 100, 20);
    if (chart.haveEvents) {
        addRange(out, chart);
        addTimeAxis(out, kChargePlot, chart.start, chart.end);
        addChargeLine(out, chart);
    } else {
        addSvgText(out, kChargePlot.left + kChargePlot.width / 2.0, kChargePlot.top + kChargePlot.height / 2.0,
                " text-anchor=\"middle\" font-size=\"16\" fill=\"#808080\"", text(IDS_CHART_NOTHING));
    }
    addFrame(out, kChargePlot);

    // The seconds per 1 %, which grow shorter as the battery wears.
    addSvgText(out, kRatePlot.left, kRatePlot.top - 12, " font-weight=\"bold\"", text(IDS_CHART_RATE_AXIS));
    const LegendEntry rates[] = {{text(IDS_CHART_CHARGE), kChargeColour, true}, {text(IDS_CHART_DISCHARGE), kDischargeColour, true}};
    addLegend(out, kRatePlot, kRatePlot.top - 12, rates, 2);
    double top, step;
    rateScale(highestRate(chart), &top, &step);
    out += "<g id=\"rate-gaps\">\n";
    if (chart.haveEvents) addBands(out, chart, kRatePlot, true);
    out += "</g>\n";
    addValueAxis(out, kRatePlot, 0, top, step);
    if (chart.haveEvents) {
        addTimeAxis(out, kRatePlot, chart.start, chart.end);
        addRates(out, chart, top);
    }
    addFrame(out, kRatePlot);
    out += "</svg>\n";
}
