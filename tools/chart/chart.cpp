#include "chart.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <tuple>
#include <utility>

#include "base/text_util.h"
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

// ------------------------------------------------------------- time axis

namespace {

struct AxisStep {
    int64_t seconds;  // a fixed step, or
    int months;       // calendar months
};

constexpr AxisStep kSteps[] = {
    {1, 0},      {2, 0},      {5, 0},         {10, 0},        {15, 0},    {30, 0},
    {60, 0},     {120, 0},    {300, 0},       {600, 0},       {900, 0},   {1800, 0},   {3600, 0},
    {7200, 0},   {10800, 0},  {21600, 0},     {43200, 0},     {86400, 0}, {172800, 0},
    // Day 0 of the count was a Monday: weeks start on Mondays.
    {604800, 0}, {1209600, 0}, {0, 1},        {0, 2},         {0, 3},     {0, 6},      {0, 12},
    {0, 24},     {0, 60},     {0, 120},       {0, 240},       {0, 600},   {0, 1200},   {0, 2400},
    {0, 6000},   {0, 12000},  {0, 24000},     {0, 60000},     {0, 120000},
};

LocalTime civil(int64_t seconds) { return fromTimeCount(seconds * kCountsPerSecond); }

int64_t firstOfMonth(int64_t monthIndex) {
    LocalTime t{static_cast<uint16_t>(monthIndex / 12), static_cast<uint16_t>(monthIndex % 12 + 1), 0, 1, 0, 0, 0, 0};
    int64_t count;
    if (!toTimeCount(t, &count)) return INT64_MAX;
    return count / kCountsPerSecond;
}

double stepLength(const AxisStep& step) {
    return step.months ? step.months * 30.436875 * kSecondsPerDay : static_cast<double>(step.seconds);
}

void labelTick(TimeTick& tick, const AxisStep& step, const LocalTime* previous) {
    LocalTime t = civil(tick.time);
    tick.date[0] = '\0';
    if (step.months >= 12) {
        formatText(tick.label, "%d", t.year);
    } else if (step.months > 0) {
        formatText(tick.label, "%d/%02d", t.year, t.month);
    } else if (step.seconds >= kSecondsPerDay) {
        formatText(tick.label, "%02d/%02d", t.month, t.day);
        if (!previous || previous->year != t.year) formatText(tick.date, "%d", t.year);
    } else {
        if (step.seconds < 60)
            formatText(tick.label, "%d:%02d:%02d", t.hour, t.minute, t.second);
        else
            formatText(tick.label, "%d:%02d", t.hour, t.minute);
        if (!previous || previous->day != t.day || previous->month != t.month || previous->year != t.year)
            formatText(tick.date, "%02d/%02d", t.month, t.day);
    }
}

}  // namespace

int timeTicks(int64_t start, int64_t end, int maxTicks, TimeTick (&out)[kMaxTimeTicks]) {
    if (end <= start) return 0;
    maxTicks = std::clamp(maxTicks, 2, kMaxTimeTicks);
    const AxisStep* step = &kSteps[std::size(kSteps) - 1];
    for (const AxisStep& s : kSteps) {
        if (static_cast<double>(end - start) / stepLength(s) <= maxTicks - 1) {
            step = &s;
            break;
        }
    }
    int count = 0;
    LocalTime previous{};
    if (step->months == 0) {
        int64_t t = (start + step->seconds - 1) / step->seconds * step->seconds;
        for (; t <= end && count < maxTicks; t += step->seconds) {
            out[count].time = t;
            labelTick(out[count], *step, count ? &previous : nullptr);
            previous = civil(t);
            ++count;
        }
    } else {
        LocalTime s = civil(start);
        int64_t month = static_cast<int64_t>(s.year) * 12 + s.month - 1;
        month = (month + step->months - 1) / step->months * step->months;
        if (firstOfMonth(month) < start) month += step->months;
        for (; count < maxTicks; month += step->months) {
            int64_t t = firstOfMonth(month);
            if (t > end) break;
            out[count].time = t;
            labelTick(out[count], *step, nullptr);
            ++count;
        }
    }
    return count;
}

// ------------------------------------------------------------- the SVG

namespace {

const char* const kFontFamily = "'ＭＳ Ｐゴシック', 'MS PGothic', IPAPGothic, sans-serif";

struct BandStyle {
    int state;
    const char* name;   // the class of its rectangles
    const char* fill;
    const char* label;  // the program's own words for the kind
};

const BandStyle kBandStyles[] = {
    {kBandAcLine, "band-acline", "#d9d9d9", "AC電源使用時"},
    {kBandAcBatt, "band-acbatt", "#cde8c1", "AC&ﾊﾞｯﾃﾘｰ使用時"},
    {kBandCharge, "band-charge", "#fbe1a0", "ﾊﾞｯﾃﾘｰ充電中"},
    {kBandDischarge, "band-discharge", "#c6dbf3", "ﾊﾞｯﾃﾘｰ放電中"},
    {kBandGap, "band-gap", "url(#gap)", "停止中"},
};

const char* const kChargeColour = "#c27800";
const char* const kDischargeColour = "#1f5fa8";

void add(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void add(std::string& out, const char* format, ...) {
    char piece[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    if (n > 0) out.append(piece, std::min(static_cast<size_t>(n), sizeof piece - 1));
}

void addText(std::string& out, double x, double y, const char* attributes, const char* text) {
    add(out, "<text x=\"%.1f\" y=\"%.1f\"%s>", x, y, attributes);
    appendXmlText(out, text, 400);
    out += "</text>\n";
}

void addDefs(std::string& out) {
    out += "<defs>\n";
    out += "<pattern id=\"gap\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#ffffff\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#a8a8a8\" stroke-width=\"2\"/></pattern>\n";
    for (const auto& [id, plot] : {std::pair{"charge-clip", kChargePlot}, std::pair{"rate-clip", kRatePlot}})
        add(out, "<clipPath id=\"%s\"><rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/></clipPath>\n", id,
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
            add(out, "<rect class=\"%s\" x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"%s\"/>\n",
                kBandStyles[i].name, x, y, width, stack.height[i], kBandStyles[i].fill);
            y += stack.height[i];
        }
        column = end;
    }
}

void addVertex(std::string& out, const Chart& chart, const ChargePoint& p, bool move) {
    add(out, "%c%.1f %.1f ", move ? 'M' : 'L', chartX(chart, p.time), chargeY(p.percent));
}

void addChargeLine(std::string& out, const Chart& chart) {
    // Over weeks the days' cycles fill whole columns: let the kinds show through.
    bool dense = span(chart) / kColumns > 3600.0;
    add(out, "<path id=\"charge\" fill=\"none\" stroke=\"#202020\" stroke-width=\"%s\" stroke-opacity=\"%s\" "
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

void addTimeAxis(std::string& out, const Chart& chart, const PlotArea& plot) {
    TimeTick ticks[kMaxTimeTicks];
    int count = timeTicks(chart.start, chart.end, plot.width / 75, ticks);
    for (int i = 0; i < count; ++i) {
        double x = chartX(chart, ticks[i].time);
        add(out, "<line x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#000000\" stroke-opacity=\"0.12\"/>\n",
            x, plot.top, x, plot.top + plot.height + 4);
        addText(out, x, plot.top + plot.height + 17, " text-anchor=\"middle\"", ticks[i].label);
        if (ticks[i].date[0]) addText(out, x, plot.top + plot.height + 31, " text-anchor=\"middle\" fill=\"#555555\"",
                                      ticks[i].date);
    }
}

// Horizontal grid lines with their values at the left.
void addValueAxis(std::string& out, const PlotArea& plot, double top, double step) {
    for (double value = 0; value <= top + step / 2; value += step) {
        double y = valueY(plot, value, top);
        add(out, "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"#000000\" stroke-opacity=\"0.12\"/>\n",
            plot.left - 4, y, plot.left + plot.width, y);
        char label[24];
        formatText(label, "%g", value);
        addText(out, plot.left - 7, y + 4, " text-anchor=\"end\"", label);
    }
}

void addFrame(std::string& out, const PlotArea& plot) {
    add(out, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"#404040\"/>\n", plot.left,
        plot.top, plot.width, plot.height);
}

// Legend entries from the right edge of a plot leftwards.
struct LegendEntry {
    const char* label;
    const char* fill;
    bool dot;
};

void addLegend(std::string& out, const PlotArea& plot, double y, const LegendEntry* entries, int count) {
    double x = plot.left + plot.width;
    for (int i = count - 1; i >= 0; --i) {
        x -= textWidth(entries[i].label, 12);
        addText(out, x, y, "", entries[i].label);
        x -= 17;
        if (entries[i].dot)
            add(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"%s\"/>\n", x + 6, y - 4, entries[i].fill);
        else
            add(out, "<rect x=\"%.1f\" y=\"%.1f\" width=\"12\" height=\"12\" fill=\"%s\" stroke=\"#808080\"/>\n", x,
                y - 10, entries[i].fill);
        x -= 14;
    }
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
            add(out, "<circle class=\"%s\" cx=\"%.1f\" cy=\"%.1f\" r=\"2\" fill=\"%s\"/>\n", name, x, y, colour);
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
    LocalTime a = civil(chart.start), b = civil(chart.end);
    char text[80];
    if (chart.end - chart.start < 3600)
        formatText(text, "%d/%02d/%02d %d:%02d:%02d 〜 %d:%02d:%02d", a.year, a.month, a.day, a.hour, a.minute,
                   a.second, b.hour, b.minute, b.second);
    else
        formatText(text, "%d/%02d/%02d %d:%02d 〜 %d/%02d/%02d %d:%02d", a.year, a.month, a.day, a.hour, a.minute,
                   b.year, b.month, b.day, b.hour, b.minute);
    addText(out, kChargePlot.left + kChargePlot.width, 32, " text-anchor=\"end\" fill=\"#555555\"", text);
}

}  // namespace

void writeChartSvg(const Chart& chart, const char* title, std::string& out) {
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    add(out, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" ",
        kChartWidth, kChartHeight, kChartWidth, kChartHeight);
    add(out, "font-family=\"%s\" font-size=\"12\" fill=\"#202020\">\n", kFontFamily);
    out += "<title>";
    appendXmlText(out, title, 400);
    out += "</title>\n";
    addDefs(out);
    add(out, "<rect width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n", kChartWidth, kChartHeight);
    addText(out, kChargePlot.left, 32, " font-size=\"18\" font-weight=\"bold\"", title);

    // The charge, on the power kinds.
    addText(out, kChargePlot.left, kChargePlot.top - 12, " font-weight=\"bold\"", "電池容量 (%)");
    LegendEntry kinds[std::size(kBandStyles)];
    for (size_t i = 0; i < std::size(kBandStyles); ++i) kinds[i] = {kBandStyles[i].label, kBandStyles[i].fill, false};
    addLegend(out, kChargePlot, kChargePlot.top - 12, kinds, static_cast<int>(std::size(kinds)));
    out += "<g id=\"bands\">\n";
    if (chart.haveEvents) addBands(out, chart, kChargePlot, false);
    out += "</g>\n";
    addValueAxis(out, kChargePlot, 100, 20);
    if (chart.haveEvents) {
        addRange(out, chart);
        addTimeAxis(out, chart, kChargePlot);
        addChargeLine(out, chart);
    } else {
        addText(out, kChargePlot.left + kChargePlot.width / 2.0, kChargePlot.top + kChargePlot.height / 2.0,
                " text-anchor=\"middle\" font-size=\"16\" fill=\"#808080\"", "記録がありません");
    }
    addFrame(out, kChargePlot);

    // The seconds per 1 %, which grow shorter as the battery wears.
    addText(out, kRatePlot.left, kRatePlot.top - 12, " font-weight=\"bold\"", "バッテリー1%の充放電時間 (秒)");
    const LegendEntry rates[] = {{"充電", kChargeColour, true}, {"放電", kDischargeColour, true}};
    addLegend(out, kRatePlot, kRatePlot.top - 12, rates, 2);
    double top, step;
    rateScale(highestRate(chart), &top, &step);
    out += "<g id=\"rate-gaps\">\n";
    if (chart.haveEvents) addBands(out, chart, kRatePlot, true);
    out += "</g>\n";
    addValueAxis(out, kRatePlot, top, step);
    if (chart.haveEvents) {
        addTimeAxis(out, chart, kRatePlot);
        addRates(out, chart, top);
    }
    addFrame(out, kRatePlot);
    out += "</svg>\n";
}
