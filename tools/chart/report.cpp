#include "report.h"

#include <cmath>
#include <cstring>
#include <functional>

#include "base/text_util.h"
#include "monitor/health_report.h"
#include "monitor/health_texts.h"
#include "report_texts.h"
#include "svg_draw.h"
#include "svg_text.h"
#include "time_axis.h"

namespace {

// Texts from files may be long; a path as long as the system allows.
constexpr size_t kMostTextBytes = 4096;

void text(std::string& out, const char* value) { appendXmlText(out, value, kMostTextBytes); }

// A piece of text made with the report's own formatting helpers.
void valueText(std::string& out, const std::function<void(TextBuffer&)>& write) {
    char piece[512];
    TextBuffer buffer = makeTextBuffer(piece, sizeof piece);
    write(buffer);
    text(out, piece);
}

const char* const kStyle =
    "body { font-family: 'ＭＳ Ｐゴシック', 'MS PGothic', IPAPGothic, sans-serif; font-size: 14px; color: #202020; "
    "background: #ffffff; margin: 24px; max-width: 1000px; }\n"
    "h1 { font-size: 22px; margin: 0 0 8px; }\n"
    "h2 { font-size: 17px; margin: 28px 0 10px; padding-bottom: 4px; border-bottom: 1px solid #c0c0c0; }\n"
    "p.files { color: #555555; margin: 2px 0; }\n"
    "table { border-collapse: collapse; }\n"
    "table.usage td { white-space: nowrap; }\n"
    "th, td { padding: 4px 12px; border-bottom: 1px solid #e0e0e0; text-align: left; vertical-align: top; }\n"
    "th { background: #f2f2f2; }\n"
    "td.n { text-align: right; }\n"
    "tr.whole td { font-weight: bold; }\n"
    "svg { display: block; max-width: 100%; height: auto; }\n"
    "ul.notes { color: #555555; font-size: 12px; padding-left: 20px; }\n";

void fileLine(std::string& out, const char* what, const ReportFile& file) {
    out += "<p class=\"files\">";
    text(out, what);
    out += ": ";
    text(out, file.path && file.path[0] ? file.path : healthTexts().unknown);
    out += " ";
    if (file.read) {
        char lines[48];
        formatText(lines, reportTexts().linesRead, static_cast<long long>(file.lines));
        out += "(";
        text(out, lines);
        out += ")";
    } else {
        text(out, reportTexts().notFound);
    }
    out += "</p>\n";
}

// ----- the batteries

void cell(std::string& out, const char* value, bool number = false) {
    out += number ? "<td class=\"n\">" : "<td>";
    text(out, value[0] ? value : healthTexts().unknown);
    out += "</td>";
}

void row(std::string& out, const char* name, const HealthChart& chart,
         const std::function<void(const HealthSeries&, std::string&)>& value) {
    out += "<tr><th>";
    text(out, name);
    out += "</th>";
    for (const HealthSeries& s : chart.series) value(s, out);
    out += "</tr>\n";
}

void batteryTable(std::string& out, const HealthChart& chart, const HealthTrends& trends) {
    const HealthTexts& t = healthTexts();
    out += "<table class=\"batteries\">\n<tr><th></th>";
    for (const HealthSeries& s : chart.series) {
        out += "<th>";
        text(out, t.battery);
        out += " ";
        text(out, s.battery.name);
        if (s.replaced) {
            out += " ";
            text(out, reportTexts().replaced);
        }
        out += "</th>";
    }
    out += "</tr>\n";
    row(out, t.maker, chart, [](const HealthSeries& s, std::string& o) { cell(o, s.battery.maker); });
    row(out, t.model, chart, [](const HealthSeries& s, std::string& o) { cell(o, s.battery.model); });
    row(out, t.serial, chart, [](const HealthSeries& s, std::string& o) { cell(o, s.battery.serial); });
    row(out, t.technology, chart, [](const HealthSeries& s, std::string& o) { cell(o, s.battery.technology); });
    auto numberCell = [](std::string& o, const std::function<void(TextBuffer&)>& write) {
        o += "<td class=\"n\">";
        valueText(o, write);
        o += "</td>";
    };
    row(out, t.design, chart, [&](const HealthSeries& s, std::string& o) {
        const BatteryHealth& b = s.battery;
        numberCell(o, [&](TextBuffer& v) { appendCapacityText(v, b.designMwh, b.designMah, b.designRelative); });
    });
    row(out, t.full, chart, [&](const HealthSeries& s, std::string& o) {
        const BatteryHealth& b = s.battery;
        numberCell(o, [&](TextBuffer& v) { appendCapacityText(v, b.fullMwh, b.fullMah, b.fullRelative); });
    });
    row(out, t.health, chart, [&](const HealthSeries& s, std::string& o) {
        numberCell(o, [&](TextBuffer& v) { appendPermilleText(v, healthFigures(s.battery).healthPermille); });
    });
    row(out, t.wear, chart, [&](const HealthSeries& s, std::string& o) {
        numberCell(o, [&](TextBuffer& v) { appendPermilleText(v, healthFigures(s.battery).wearPermille); });
    });
    row(out, t.cycles, chart, [&](const HealthSeries& s, std::string& o) {
        numberCell(o, [&](TextBuffer& v) {
            if (s.battery.cycles == kHealthUnknown) appendString(v, t.unknown);
            else appendDecimal(v, s.battery.cycles);
        });
    });
    row(out, reportTexts().period, chart, [](const HealthSeries& s, std::string& o) {
        LocalTime a = localTimeAt(s.firstTime), b = localTimeAt(s.lastTime);
        char days[48];
        formatText(days, reportTexts().dateRange, a.year, a.month, a.day, b.year, b.month, b.day);
        cell(o, days);
    });
    // Only the battery in its place now has a pace: a replaced one's
    // history ended with it.
    auto forecastOf = [&](const HealthSeries& s, HealthForecast* f) {
        return !s.replaced && forecastHealth(trends, s.battery, f);
    };
    row(out, t.pace, chart, [&](const HealthSeries& s, std::string& o) {
        HealthForecast f;
        if (!forecastOf(s, &f)) return cell(o, "");
        o += "<td>";
        valueText(o, [&](TextBuffer& v) { appendPaceText(v, f); });
        o += "</td>";
    });
    row(out, t.forecast, chart, [&](const HealthSeries& s, std::string& o) {
        HealthForecast f;
        if (!forecastOf(s, &f)) return cell(o, "");
        o += "<td>";
        valueText(o, [&](TextBuffer& v) { appendForecastText(v, f); });
        o += "</td>";
    });
    out += "</table>\n";
}

// ----- the pictures

// The SVG element of a document, without the XML declaration a page has no place for.
void inlineSvg(std::string& out, const std::string& svg) {
    size_t start = svg.compare(0, 5, "<?xml") == 0 ? svg.find('\n') + 1 : 0;
    out.append(svg, start, std::string::npos);
}

// ----- the usage

void hoursCell(std::string& out, bool known, double hours) {
    char value[32] = "";
    if (known) {
        long long minutes = std::llround(hours * 60);
        formatText(value, "%lld:%02lld", minutes / 60, minutes % 60);
    }
    cell(out, value, true);
}

void decimalCell(std::string& out, bool known, double value) {
    char piece[32] = "";
    if (known) formatText(piece, "%.1f", value);
    cell(out, piece, true);
}

void usageRow(std::string& out, const char* period, const UsageFigures& f, bool whole) {
    out += whole ? "<tr class=\"whole\">" : "<tr>";
    cell(out, period);
    char days[24] = "";
    if (f.days > 0) formatText(days, "%lld", static_cast<long long>(f.days));
    cell(out, days, true);
    hoursCell(out, f.haveHours, f.runningHoursPerDay);
    hoursCell(out, f.haveHours, f.batteryHoursPerDay);
    decimalCell(out, f.haveDrain, f.percentPerHour);
    decimalCell(out, f.haveEstimate, f.estimatedWatts);
    decimalCell(out, f.haveMeasured, f.measuredWatts);
    out += "</tr>\n";
}

void usageTable(std::string& out, const Usage& usage) {
    const ReportTexts& t = reportTexts();
    out += "<table class=\"usage\">\n<tr>";
    for (const char* heading : {"", t.days, t.runningPerDay, t.batteryPerDay, t.drainPerHour, t.powerFromLog,
                                t.powerMeasured}) {
        out += "<th>";
        text(out, heading);
        out += "</th>";
    }
    out += "</tr>\n";
    usageRow(out, t.whole, usageOfAll(usage), true);
    // The latest month first, as the batteries' present comes first.
    for (auto it = usage.months.rbegin(); it != usage.months.rend(); ++it) {
        int64_t key = it->first;
        char period[32];
        formatText(period, t.month, static_cast<int>(key / 12), static_cast<int>(key % 12 + 1));
        usageRow(out, period, usageOfMonth(usage, key), false);
    }
    out += "</table>\n<ul class=\"notes\">\n";
    for (const char* note : t.usageNotes) {
        out += "<li>";
        text(out, note);
        out += "</li>\n";
    }
    out += "</ul>\n";
}

void heading(std::string& out, const char* title) {
    out += "<h2>";
    text(out, title);
    out += "</h2>\n";
}

void paragraph(std::string& out, const char* words) {
    out += "<p>";
    text(out, words);
    out += "</p>\n";
}

}  // namespace

void writeReportHtml(const ReportParts& parts, std::string& out) {
    const ReportTexts& t = reportTexts();
    const char* title = parts.title ? parts.title : t.reportTitle;
    out += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>";
    text(out, title);
    out += "</title>\n<style>\n";
    out += kStyle;
    out += "</style>\n</head>\n<body>\n<h1>";
    text(out, title);
    out += "</h1>\n";
    fileLine(out, t.historyFile, parts.history);
    fileLine(out, t.logFile, parts.log);
    bool history = parts.history.read && parts.health, log = parts.log.read && parts.logChart;
    if (!history && !log) {
        paragraph(out, t.nothingFound);
        out += "</body>\n</html>\n";
        return;
    }

    heading(out, t.batteriesHeading);
    if (history && !parts.health->series.empty()) batteryTable(out, *parts.health, *parts.trends);
    else paragraph(out, t.noHistory);

    heading(out, t.historyHeading);
    if (history) {
        std::string svg;
        writeHealthSvg(*parts.health, parts.healthTitle, false, svg);
        inlineSvg(out, svg);
    } else {
        paragraph(out, t.noHistory);
    }

    heading(out, t.logHeading);
    if (log) {
        std::string svg;
        writeChartSvg(*parts.logChart, parts.logTitle, svg);
        inlineSvg(out, svg);
    } else {
        paragraph(out, t.noLog);
    }

    heading(out, t.usageHeading);
    if (parts.usage) usageTable(out, *parts.usage);
    out += "</body>\n</html>\n";
}
