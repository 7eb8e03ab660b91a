#include "health_chart.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "actions/health_forecast.h"
#include "base/text_util.h"
#include "platform/time_count.h"
#include "report_texts.h"
#include "svg_text.h"
#include "time_axis.h"

namespace {

constexpr int64_t kCountsPerSecond = 10000000;

bool inWindow(const HealthWindow& w, int64_t time) {
    return (!w.haveFrom || time >= w.from) && (!w.haveTo || time < w.to);
}

int64_t dayOf(int64_t time) { return time / kSecondsPerDay; }

int columnOf(const HealthChart& c, int64_t time) {
    int column = static_cast<int>(std::floor(static_cast<double>(time - c.start) / c.columnSeconds));
    return std::clamp(column, 0, kHealthPlot.width - 1);
}

HealthSeries* currentSeries(HealthChart& c, const char* name) {
    for (size_t i = c.series.size(); i-- > 0;)
        if (strncmp(c.series[i].battery.name, name, sizeof c.series[i].battery.name) == 0) return &c.series[i];
    return nullptr;
}

HealthSeries* newSeries(HealthChart& c, const BatteryHealth& battery, int64_t time) {
    if (static_cast<int>(c.series.size()) >= kMostHealthSeries) return nullptr;
    HealthSeries& s = c.series.emplace_back();
    s.battery = battery;
    s.firstTime = s.lastTime = time;
    s.lastDay = dayOf(time);
    s.replaced = false;
    s.pendingBreak = false;
    s.lastColumn = -1;
    s.columns.assign(kHealthPlot.width, HealthColumn{});
    return &s;
}

// No line for more than kHealthGapDays whole days after `day`.
bool gapBetween(int64_t day, int64_t next) { return next - day - 1 > kHealthGapDays; }

void noteGap(HealthChart& c, int64_t day) {
    if (c.any && gapBetween(c.latestDay, day)) {
        HealthGap gap{(c.latestDay + 1) * kSecondsPerDay, day * kSecondsPerDay};
        // Gaps closer than a column apart would draw as one.
        if (!c.gaps.empty() && static_cast<double>(gap.from - c.gaps.back().to) < c.columnSeconds)
            c.gaps.back().to = gap.to;
        else
            c.gaps.push_back(gap);
    }
    if (!c.any || day > c.latestDay) c.latestDay = day;
    c.any = true;
}

void addPoint(int& points, HealthPoint& first, HealthPoint* low, HealthPoint* high, HealthPoint& last,
              HealthPoint point) {
    if (points++ == 0) {
        first = last = point;
        if (low) *low = *high = point;
        return;
    }
    if (low && point.value < low->value) *low = point;
    if (high && point.value > high->value) *high = point;
    last = point;
}

// 1, 2 or 5 times a power of ten, at least `at least`.
double roundStep(double atLeast) {
    if (atLeast <= 1) return 1;
    double magnitude = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * magnitude >= atLeast) return factor * magnitude;
    return 10 * magnitude;
}

}  // namespace

int64_t recordLocalSeconds(const HealthRecord& record) {
    int64_t count = 0;
    toTimeCount(record.time, &count);
    return count / kCountsPerSecond;
}

void startHealthScan(HealthScan& scan, const HealthWindow& window) {
    scan = HealthScan{};
    scan.window = window;
    scan.lowPermille = INT32_MAX;
    scan.highPermille = INT32_MIN;
    scan.highestCycles = -1;
}

void scanHealthRecord(const HealthRecord& record, void* context) {
    HealthScan& s = *static_cast<HealthScan*>(context);
    int64_t time = recordLocalSeconds(record);
    if (!inWindow(s.window, time)) return;
    if (!s.any) s.first = s.last = time;
    s.any = true;
    s.first = std::min(s.first, time);
    s.last = std::max(s.last, time);
    int32_t health = healthPermille(record.battery);
    if (health >= 0) {
        s.lowPermille = std::min(s.lowPermille, health);
        s.highPermille = std::max(s.highPermille, health);
    }
    if (record.battery.cycles != kHealthUnknown) s.highestCycles = std::max(s.highestCycles, record.battery.cycles);
}

void startHealthChart(HealthChart& c, const HealthScan& scan) {
    c = HealthChart{};
    c.window = scan.window;
    c.start = scan.any ? scan.first : 0;
    if (scan.window.haveFrom && scan.window.from > c.start) c.start = scan.window.from;
    c.end = scan.any ? scan.last : 0;
    if (scan.window.haveTo && scan.window.to < c.end) c.end = scan.window.to;
    // A history of one day still gets a day's axis.
    if (c.end - c.start < kSecondsPerDay) c.end = c.start + kSecondsPerDay;
    c.columnSeconds = static_cast<double>(c.end - c.start) / kHealthPlot.width;

    // Health from below 80 % (the forecast's line) to 100 % or above what
    // was read, capped where a misread capacity would flatten the rest.
    double low = 80, high = 100;
    if (scan.lowPermille <= scan.highPermille) {
        low = std::min(low, scan.lowPermille / 10.0);
        high = std::max(high, scan.highPermille / 10.0);
    }
    c.lowPercent = std::max(0.0, std::floor((low - 2) / 10) * 10);
    c.highPercent = std::min(200.0, std::ceil(high / 10) * 10);
    double range = c.highPercent - c.lowPercent;
    c.percentStep = range <= 50 ? 5 : range <= 100 ? 10 : 20;
    double lines = std::round(range / c.percentStep);
    c.cycleTop = scan.highestCycles < 0 ? 0 : roundStep(static_cast<double>(scan.highestCycles) / lines) * lines;
}

void addToHealthChart(const HealthRecord& record, void* context) {
    HealthChart& c = *static_cast<HealthChart*>(context);
    int64_t time = recordLocalSeconds(record);
    if (!inWindow(c.window, time)) return;
    int64_t day = dayOf(time);
    noteGap(c, day);

    HealthSeries* s = currentSeries(c, record.battery.name);
    if (s && !sameBattery(s->battery, record.battery)) {
        s->replaced = true;
        s = newSeries(c, record.battery, time);
        if (s) c.swaps.push_back(time);
    } else if (!s) {
        s = newSeries(c, record.battery, time);
    }
    if (!s) {
        ++c.dropped;
        return;
    }
    ++c.records;
    if (gapBetween(s->lastDay, day)) s->pendingBreak = true;
    int index = columnOf(c, time);
    HealthColumn& column = s->columns[index];
    // A break narrower than a pixel would not show.
    if (s->pendingBreak && s->lastColumn >= 0 && index != s->lastColumn) column.breakBefore = true;
    s->pendingBreak = false;
    s->lastColumn = index;

    int32_t health = healthPermille(record.battery);
    if (health >= 0) addPoint(column.points, column.first, &column.low, &column.high, column.last, {time, health});
    if (record.battery.cycles != kHealthUnknown)
        addPoint(column.cyclePoints, column.cycleFirst, nullptr, nullptr, column.cycleLast,
                 {time, record.battery.cycles});
    s->battery = record.battery;
    s->firstTime = std::min(s->firstTime, time);
    s->lastTime = std::max(s->lastTime, time);
    s->lastDay = std::max(s->lastDay, day);
}

double healthY(const HealthChart& chart, double percent) {
    return scaleY(kHealthPlot, percent, chart.lowPercent, chart.highPercent);
}

double cyclesY(const HealthChart& chart, double cycles) { return scaleY(kHealthPlot, cycles, 0, chart.cycleTop); }

// ------------------------------------------------------------- the SVG

namespace {

const char* const kSeriesColours[] = {"#1f5fa8", "#c27800", "#2e8b3a", "#a8326e",
                                      "#6a4fb3", "#00838f", "#8d6e00", "#555555"};

const char* colourOf(size_t series) { return kSeriesColours[series % std::size(kSeriesColours)]; }

double xOf(const HealthChart& c, int64_t time) { return plotX(kHealthPlot, c.start, c.end, time); }

int legendRows(const HealthChart& c) { return static_cast<int>(c.series.size()) + 1; }

int svgHeight(const HealthChart& c) { return kHealthPlot.top + kHealthPlot.height + 56 + legendRows(c) * 18; }

void addDefs(std::string& out) {
    out += "<defs>\n";
    out += "<pattern id=\"health-gap\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#ffffff\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#a8a8a8\" stroke-width=\"2\"/></pattern>\n";
    const PlotArea& p = kHealthPlot;
    addSvg(out, "<clipPath id=\"health-clip\"><rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/></clipPath>\n",
           p.left, p.top, p.width, p.height);
    out += "</defs>\n";
}

void addGaps(std::string& out, const HealthChart& c) {
    const PlotArea& p = kHealthPlot;
    out += "<g id=\"health-gaps\">\n";
    for (const HealthGap& gap : c.gaps) {
        double from = std::max(xOf(c, gap.from), static_cast<double>(p.left));
        double to = std::min(xOf(c, gap.to), static_cast<double>(p.left + p.width));
        if (to <= from) continue;
        addSvg(out,
               "<rect class=\"health-gap\" x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"url(#health-gap)\"/>\n",
               from, p.top, to - from, p.height);
    }
    out += "</g>\n";
}

// The cycles' labels at the right, on the health's grid lines.
void addCycleAxis(std::string& out, const HealthChart& c) {
    if (c.cycleTop <= 0) return;
    const PlotArea& p = kHealthPlot;
    int lines = static_cast<int>(std::lround((c.highPercent - c.lowPercent) / c.percentStep));
    for (int i = 0; i <= lines; ++i) {
        double cycles = c.cycleTop * i / lines;
        char label[24];
        formatText(label, "%g", cycles);
        addSvgText(out, p.left + p.width + 7, cyclesY(c, cycles) + 4, "", label);
    }
}

void addLimitLine(std::string& out, const HealthChart& c) {
    const PlotArea& p = kHealthPlot;
    double y = healthY(c, kForecastHealthPercent);
    addSvg(out,
           "<line class=\"health-limit\" x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"#c0392b\" "
           "stroke-opacity=\"0.6\" stroke-dasharray=\"6 4\"/>\n",
           p.left, y, p.left + p.width, y);
}

void addVertex(std::string& out, const HealthChart& c, const HealthPoint& point, bool move, bool cycles) {
    double y = cycles ? cyclesY(c, static_cast<double>(point.value)) : healthY(c, point.value / 10.0);
    addSvg(out, "%c%.1f %.1f ", move ? 'M' : 'L', xOf(c, point.time), y);
}

void endPath(std::string& out) {
    if (out.back() == ' ') out.pop_back();
    out += "\"/>\n";
}

void addHealthLine(std::string& out, const HealthChart& c, const HealthSeries& s, size_t index) {
    addSvg(out,
           "<path class=\"health-line\" fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\" stroke-linejoin=\"round\" "
           "clip-path=\"url(#health-clip)\" d=\"",
           colourOf(index));
    bool drawing = false, broken = false;
    for (const HealthColumn& column : s.columns) {
        broken |= column.breakBefore;
        if (column.points == 0) continue;
        HealthPoint points[4] = {column.first, column.low, column.high, column.last};
        std::stable_sort(std::begin(points), std::end(points),
                         [](const HealthPoint& a, const HealthPoint& b) { return a.time < b.time; });
        for (int i = 0; i < 4; ++i) {
            if (i > 0 && points[i].time == points[i - 1].time && points[i].value == points[i - 1].value) continue;
            addVertex(out, c, points[i], !drawing || (i == 0 && broken), false);
            drawing = true;
        }
        broken = false;
    }
    endPath(out);
}

void addCycleLine(std::string& out, const HealthChart& c, const HealthSeries& s, size_t index) {
    addSvg(out,
           "<path class=\"cycle-line\" fill=\"none\" stroke=\"%s\" stroke-width=\"1\" stroke-dasharray=\"4 3\" "
           "clip-path=\"url(#health-clip)\" d=\"",
           colourOf(index));
    bool drawing = false, broken = false;
    for (const HealthColumn& column : s.columns) {
        broken |= column.breakBefore;
        if (column.cyclePoints == 0) continue;
        addVertex(out, c, column.cycleFirst, !drawing || broken, true);
        if (column.cycleLast.time != column.cycleFirst.time) addVertex(out, c, column.cycleLast, false, true);
        drawing = true;
        broken = false;
    }
    endPath(out);
}

void addSwaps(std::string& out, const HealthChart& c) {
    const PlotArea& p = kHealthPlot;
    for (int64_t time : c.swaps) {
        double x = xOf(c, time);
        addSvg(out,
               "<line class=\"swap\" x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#202020\" "
               "stroke-dasharray=\"2 3\"/>\n",
               x, p.top, x, p.top + p.height);
        addSvgText(out, x + 3, p.top + 14, " class=\"swap-label\" font-size=\"11\"", reportTexts().swapped);
    }
}

void dateText(char (&out)[48], int64_t from, int64_t to) {
    LocalTime a = localTimeAt(from), b = localTimeAt(to);
    formatText(out, reportTexts().dateRange, a.year, a.month, a.day, b.year, b.month, b.day);
}

// Each battery's colour, name, identity and days; then the marks.
void addSeriesLegend(std::string& out, const HealthChart& c) {
    const PlotArea& p = kHealthPlot;
    double y = p.top + p.height + 56;
    for (size_t i = 0; i < c.series.size(); ++i, y += 18) {
        const HealthSeries& s = c.series[i];
        addSvg(out, "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"2\"/>\n", p.left,
               y - 4, p.left + 24, y - 4, colourOf(i));
        std::string label = s.battery.name;
        for (const char* text : {s.battery.maker, s.battery.model, s.battery.serial}) {
            if (!text[0]) continue;
            label += "  ";
            label.append(text, strnlen(text, kHealthTextSize));
        }
        char days[48];
        dateText(days, s.firstTime, s.lastTime);
        label += "  ";
        label += days;
        if (s.replaced) label += std::string(" ") + reportTexts().replaced;
        addSvgText(out, p.left + 32, y, " class=\"series-label\"", label.c_str());
    }
    const LegendEntry marks[] = {{reportTexts().noLines, "url(#health-gap)", false}};
    addLegend(out, p, y, marks, 1);
    // The swap's mark left of the gap's.
    double x = p.left + p.width - textWidth(reportTexts().noLines, 12) - 40 - textWidth(reportTexts().swapped, 12);
    addSvgText(out, x, y, "", reportTexts().swapped);
    addSvg(out, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#202020\" stroke-dasharray=\"2 3\"/>\n",
           x - 8, y - 12, x - 8, y + 2);
}

}  // namespace

void writeHealthSvg(const HealthChart& c, const char* title, bool standalone, std::string& out) {
    const PlotArea& p = kHealthPlot;
    const ReportTexts& t = reportTexts();
    int height = svgHeight(c);
    addSvgStart(out, kHealthWidth, height, title, standalone);
    addDefs(out);
    addSvg(out, "<rect width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n", kHealthWidth, height);
    addSvgText(out, p.left, 32, " font-size=\"18\" font-weight=\"bold\"", title);
    addSvgText(out, p.left, p.top - 12, " font-weight=\"bold\"", t.healthAxis);
    if (c.cycleTop > 0) addSvgText(out, p.left + p.width + 40, p.top - 12, " font-weight=\"bold\" text-anchor=\"end\"",
                                   t.cyclesAxis);
    if (c.any) addGaps(out, c);
    addValueAxis(out, p, c.lowPercent, c.highPercent, c.percentStep);
    if (c.any) {
        char days[48];
        dateText(days, c.start, c.end);
        addSvgText(out, p.left + p.width, 32, " text-anchor=\"end\" fill=\"#555555\"", days);
        addCycleAxis(out, c);
        addTimeAxis(out, p, c.start, c.end);
        addLimitLine(out, c);
        for (size_t i = 0; i < c.series.size(); ++i) {
            addCycleLine(out, c, c.series[i], i);
            addHealthLine(out, c, c.series[i], i);
        }
        addSwaps(out, c);
    } else {
        addSvgText(out, p.left + p.width / 2.0, p.top + p.height / 2.0,
                   " text-anchor=\"middle\" font-size=\"16\" fill=\"#808080\"", t.nothingToChart);
    }
    addFrame(out, p);
    addSeriesLegend(out, c);
    out += "</svg>\n";
}
