#include "chart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "chart_run.h"
#include "log_test_lines.h"
#include "settings/battery_status.h"
#include "test_output.h"
#include "xml_check.h"

namespace {

// ------------------------------------------------------------- running it

struct ChartRun {
    int status;
    std::string svg, err;
    std::vector<XmlElement> elements;
};

// celwrd-chart OPTIONS... LOG on a log of these bytes; the SVG must be
// well-formed whatever the log holds.
ChartRun chartOf(const std::string& log, std::vector<std::string> options = {}) {
    // CTest runs the tests side by side: each needs a directory of its own.
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string directory = testing::TempDir() + "celwrd_chart_" + test->test_suite_name() + "_" + test->name();
    std::filesystem::create_directories(directory);
    std::string path = directory + "/celwrd_chart_test.log";
    std::ofstream(path, std::ios::binary) << log;
    std::vector<std::string> args = {"celwrd-chart"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    ChartRun run;
    run.status = runChart(static_cast<int>(argv.size()), argv.data(), out, err);
    run.svg = contentOf(out);
    run.err = contentOf(err);
    std::string error;
    if (run.status == 0) {
        EXPECT_TRUE(readXml(run.svg, run.elements, error)) << error;
    }
    return run;
}

std::string lines(std::initializer_list<std::string> list) {
    std::string text;
    for (const std::string& line : list) text += line + "\r\n";
    return text;
}

std::string discharge(int percent, int hour, int minute) {
    return statusLine(kPowerDischarge, percent, 200, hour, minute, 0);
}

std::string charge(int percent, int hour, int minute) {
    return statusLine(kPowerCharge, percent, 74, hour, minute, 0);
}

// ------------------------------------------------------------- reading the SVG

const XmlElement* byId(const ChartRun& run, const char* id) {
    for (const XmlElement& e : run.elements) {
        auto it = e.attributes.find("id");
        if (it != e.attributes.end() && it->second == id) return &e;
    }
    return nullptr;
}

std::vector<const XmlElement*> byClass(const ChartRun& run, const char* name) {
    std::vector<const XmlElement*> found;
    for (const XmlElement& e : run.elements) {
        auto it = e.attributes.find("class");
        if (it != e.attributes.end() && it->second == name) found.push_back(&e);
    }
    return found;
}

double number(const XmlElement* e, const char* attribute) { return atof(e->attributes.at(attribute).c_str()); }

struct Vertex {
    double x, y;
    bool move;
};

std::vector<Vertex> chargeLine(const ChartRun& run) {
    std::vector<Vertex> vertices;
    const XmlElement* path = byId(run, "charge");
    if (!path) return vertices;
    const char* p = path->attributes.at("d").c_str();
    while (*p) {
        while (*p == ' ') ++p;
        if (*p != 'M' && *p != 'L') break;
        Vertex v;
        v.move = *p++ == 'M';
        char* end;
        v.x = strtod(p, &end);
        v.y = strtod(end, &end);
        p = end;
        vertices.push_back(v);
    }
    return vertices;
}

// Where a time and a percent belong on an axis from `start` to `end`.
double xAt(int64_t time, int64_t start, int64_t end) {
    return kChargePlot.left + static_cast<double>(time - start) * kChargePlot.width / static_cast<double>(end - start);
}

double yAt(int percent) {
    double bottom = kChargePlot.top + kChargePlot.height, top = kChargePlot.top + kHeadroom;
    return bottom - (bottom - top) * percent / 100.0;
}

// ------------------------------------------------------------- the picture

TEST(ChartPicture, PointsBandsAndRatesLandWhereTheLogSays) {
    ChartRun run = chartOf(lines({
        openAt(2026, 12, 8, 8, 0, 0),
        statusLine(kPowerAcBatt, 100, 200, 8, 0, 0),
        discharge(100, 9, 0),
        discharge(80, 9, 40),
        discharge(50, 10, 40),
        charge(50, 11, 0),
        charge(70, 11, 20),
        closeAt(2026, 12, 8, 12, 0, 0),
    }));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    int64_t start = secondsAt(2026, 12, 8, 8, 0, 0), end = secondsAt(2026, 12, 8, 12, 0, 0);
    auto x = [&](int hour, int minute) { return xAt(secondsAt(2026, 12, 8, hour, minute, 0), start, end); };

    // The last percent holds until the log is closed.
    struct Point {
        int hour, minute, percent;
    } expected[] = {{8, 0, 100}, {9, 0, 100}, {9, 40, 80}, {10, 40, 50}, {11, 0, 50}, {11, 20, 70}, {12, 0, 70}};
    std::vector<Vertex> line = chargeLine(run);
    ASSERT_EQ(line.size(), std::size(expected));
    for (size_t i = 0; i < line.size(); ++i) {
        EXPECT_NEAR(line[i].x, x(expected[i].hour, expected[i].minute), 0.051) << i;
        EXPECT_NEAR(line[i].y, yAt(expected[i].percent), 0.051) << i;
        EXPECT_EQ(line[i].move, i == 0) << i;
    }

    struct Band {
        const char* name;
        int fromHour, toHour;
    } bands[] = {{"band-acbatt", 8, 9}, {"band-discharge", 9, 11}, {"band-charge", 11, 12}};
    for (const Band& band : bands) {
        auto rects = byClass(run, band.name);
        ASSERT_EQ(rects.size(), 1u) << band.name;
        EXPECT_NEAR(number(rects[0], "x"), x(band.fromHour, 0), 1.0) << band.name;
        EXPECT_NEAR(number(rects[0], "x") + number(rects[0], "width"), x(band.toHour, 0), 1.0) << band.name;
    }
    EXPECT_TRUE(byClass(run, "band-gap").empty());

    // One dot per line, as far above the axis as the seconds per 1 %.
    auto charging = byClass(run, "rate-charge");
    auto discharging = byClass(run, "rate-discharge");
    ASSERT_EQ(charging.size(), 2u);
    ASSERT_EQ(discharging.size(), 3u);
    EXPECT_NEAR(number(charging[1], "cx"), x(11, 20), 0.051);
    EXPECT_NEAR(number(discharging[2], "cx"), x(10, 40), 0.051);
    double bottom = kRatePlot.top + kRatePlot.height;
    EXPECT_NEAR((bottom - number(charging[0], "cy")) / (bottom - number(discharging[0], "cy")), 74.0 / 200.0, 0.002);
}

TEST(ChartPicture, GapsWhereTheProgramDidNotRun) {
    ChartRun run = chartOf(lines({
        openAt(2026, 12, 8, 8, 0, 0), discharge(90, 8, 0), discharge(80, 9, 0),
        closeAt(2026, 12, 8, 10, 0, 0),
        openAt(2026, 12, 8, 11, 0, 0), discharge(70, 11, 0), discharge(60, 12, 0),
        // no close marker: the program stopped some time after its last line
        openAt(2026, 12, 8, 13, 0, 0), discharge(50, 13, 0), statusLine(kPowerAcLine, 0, 0, 13, 30, 0),
        discharge(40, 14, 0),
    }));
    ASSERT_EQ(run.status, 0) << run.err;
    int64_t start = secondsAt(2026, 12, 8, 8, 0, 0), end = secondsAt(2026, 12, 8, 14, 0, 0);
    auto x = [&](int hour, int minute) { return xAt(secondsAt(2026, 12, 8, hour, minute, 0), start, end); };

    std::vector<Vertex> line = chargeLine(run);
    ASSERT_EQ(line.size(), 7u);
    bool moves[] = {true, false, false, true, false, true, true};
    double times[][2] = {{8, 0}, {9, 0}, {10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}};
    for (size_t i = 0; i < line.size(); ++i) {
        EXPECT_EQ(line[i].move, moves[i]) << i;
        EXPECT_NEAR(line[i].x, x(static_cast<int>(times[i][0]), static_cast<int>(times[i][1])), 0.051) << i;
    }

    for (const char* group : {"bands", "rate-gaps"}) {
        std::vector<std::pair<double, double>> gaps;
        for (const XmlElement& e : run.elements) {
            if (e.attributes.count("class") && e.attributes.at("class") == "band-gap" &&
                e.parent >= 0 && run.elements[e.parent].attributes.at("id") == group)
                gaps.push_back({number(&e, "x"), number(&e, "x") + number(&e, "width")});
        }
        ASSERT_EQ(gaps.size(), 2u) << group;
        EXPECT_NEAR(gaps[0].first, x(10, 0), 1.0);
        EXPECT_NEAR(gaps[0].second, x(11, 0), 1.0);
        EXPECT_NEAR(gaps[1].first, x(12, 0), 1.0);
        EXPECT_NEAR(gaps[1].second, x(13, 0), 1.0);
    }
    ASSERT_EQ(byClass(run, "band-acline").size(), 1u);
    EXPECT_NEAR(number(byClass(run, "band-acline")[0], "x"), x(13, 30), 1.0);
}

// Over months a column is a day: its background stacks the day's kinds,
// and the rate plot hatches only days the program did not run at all.
TEST(ChartPicture, MonthsShowEachDaysShareOfTheKinds) {
    std::string log;
    int64_t first = secondsAt(2026, 1, 1, 0, 0, 0);
    for (int day = 0; day < 200; ++day) {
        if (day >= 100 && day < 110) continue;
        LocalTime t = fromTimeCount((first + day * kSecondsPerDay) * 10000000);
        log += lines({openAt(t.year, t.month, t.day, 8, 0, 0), discharge(90, 8, 0), discharge(50, 12, 0),
                      closeAt(t.year, t.month, t.day, 20, 0, 0)});
    }
    ChartRun run = chartOf(log);
    ASSERT_EQ(run.status, 0) << run.err;
    int64_t start = first + 8 * 3600, end = first + 199 * kSecondsPerDay + 20 * 3600;
    auto x = [&](int day, int hour) { return xAt(first + day * kSecondsPerDay + hour * 3600, start, end); };

    // Day 50: off until 8:00 and from 20:00, on the battery in between.
    double middle = x(50, 12);
    for (const char* name : {"band-gap", "band-discharge"}) {
        int found = 0;
        for (const XmlElement* rect : byClass(run, name)) {
            if (run.elements[rect->parent].attributes.at("id") != "bands") continue;
            if (number(rect, "x") > middle || number(rect, "x") + number(rect, "width") < middle) continue;
            ++found;
            EXPECT_NEAR(number(rect, "height"), kChargePlot.height / 2.0, 1.0) << name;
        }
        EXPECT_EQ(found, 1) << name;
    }
    std::vector<const XmlElement*> hatched;
    for (const XmlElement* rect : byClass(run, "band-gap"))
        if (run.elements[rect->parent].attributes.at("id") == "rate-gaps") hatched.push_back(rect);
    ASSERT_EQ(hatched.size(), 1u);
    EXPECT_NEAR(number(hatched[0], "x"), x(100, 0), 0.2);
    EXPECT_NEAR(number(hatched[0], "x") + number(hatched[0], "width"), x(110, 0), 0.2);
}

TEST(ChartPicture, DaysChosenClipTheAxisAndTheLineRunsOnToTheEdges) {
    std::string log = lines({
        openAt(2026, 12, 8, 22, 0, 0), discharge(60, 23, 0), discharge(50, 1, 0), discharge(40, 23, 0),
        discharge(30, 1, 0), closeAt(2026, 12, 10, 2, 0, 0),
    });
    ChartRun run = chartOf(log, {"--from", "2026-12-09", "--to", "2026-12-09"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.svg.find("2026/12/09 0:00 〜 2026/12/10 0:00"), std::string::npos);
    int64_t start = secondsAt(2026, 12, 9, 0, 0, 0), end = secondsAt(2026, 12, 10, 0, 0, 0);
    std::vector<Vertex> line = chargeLine(run);
    ASSERT_EQ(line.size(), 4u);
    EXPECT_NEAR(line[0].x, xAt(secondsAt(2026, 12, 8, 23, 0, 0), start, end), 0.051);
    EXPECT_NEAR(line[1].x, xAt(secondsAt(2026, 12, 9, 1, 0, 0), start, end), 0.051);
    EXPECT_NEAR(line[3].x, xAt(secondsAt(2026, 12, 10, 1, 0, 0), start, end), 0.051);
    EXPECT_NEAR(line[3].y, yAt(30), 0.051);
    EXPECT_EQ(byId(run, "charge")->attributes.at("clip-path"), "url(#charge-clip)");

    ChartRun later = chartOf(log, {"--from", "2027-01-01"});
    ASSERT_EQ(later.status, 0);
    EXPECT_NE(later.err.find("no lines to chart between those days"), std::string::npos);
    EXPECT_EQ(byId(later, "charge"), nullptr);
}

// A log of seconds is drawn across the whole plot, not in a corner of it.
TEST(ChartPicture, AShortLogFillsItsAxis) {
    ChartRun run = chartOf(lines({openAt(2026, 12, 8, 8, 0, 0), statusLine(kPowerDischarge, 50, 200, 8, 0, 0),
                                  statusLine(kPowerDischarge, 49, 200, 8, 0, 27)}));
    ASSERT_EQ(run.status, 0);
    std::vector<Vertex> line = chargeLine(run);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_NEAR(line[0].x, kChargePlot.left, 1);
    EXPECT_NEAR(line[1].x, kChargePlot.left + kChargePlot.width, 1);
    EXPECT_NE(run.svg.find(">8:00:25<"), std::string::npos);
}

TEST(ChartPicture, EmptyAndGarbageLogsStillMakeAPicture) {
    ChartRun empty = chartOf("");
    ASSERT_EQ(empty.status, 0);
    EXPECT_NE(empty.err.find("no lines to chart"), std::string::npos);
    EXPECT_NE(empty.svg.find("記録がありません"), std::string::npos);

    ChartRun garbage = chartOf(lines({"#!/bin/sh", openAt(2026, 12, 8, 8, 0, 0), "\x01\xff<&>", discharge(50, 8, 10),
                                 std::string(5000, '|')}));
    ASSERT_EQ(garbage.status, 0);
    EXPECT_NE(garbage.err.find("skipped 3 lines that are not lines of the battery log (the first is line 1)"),
              std::string::npos)
        << garbage.err;
    EXPECT_EQ(chargeLine(garbage).size(), 1u);
}

TEST(ChartPicture, DeclaresItsEncodingFontsAndAnEscapedTitle) {
    std::string log = lines({openAt(2026, 12, 8, 8, 0, 0), discharge(50, 8, 10)});
    ChartRun run = chartOf(log, {"--title", "<b>&\"電池\"\x01\xff"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    ASSERT_FALSE(run.elements.empty());
    EXPECT_EQ(run.elements[0].name, "svg");
    const std::string& fonts = run.elements[0].attributes.at("font-family");
    EXPECT_NE(fonts.find("ＭＳ Ｐゴシック"), std::string::npos);
    EXPECT_NE(fonts.find("IPAPGothic"), std::string::npos);
    EXPECT_EQ(run.elements[1].name, "title");
    EXPECT_EQ(run.elements[1].text, "<b>&\"電池\" \xEF\xBF\xBD");
    EXPECT_NE(run.svg.find("ﾊﾞｯﾃﾘｰ放電中"), std::string::npos);
    EXPECT_NE(run.svg.find("AC&amp;ﾊﾞｯﾃﾘｰ使用時"), std::string::npos);

    ChartRun named = chartOf(log);
    EXPECT_EQ(named.elements[1].text, "バッテリーログ celwrd_chart_test.log");
}

TEST(ChartPicture, ManyLinesKeepThePictureSmall) {
    Chart chart;
    int64_t start = secondsAt(2026, 1, 1, 0, 0, 0);
    const int64_t lines = 300000, step = 90;  // a month of a line every 90 s
    startChart(chart, start, start + lines * step);
    for (int64_t i = 0; i < lines; ++i) {
        int32_t kind = i / 100 % 2 ? kPowerCharge : kPowerDischarge;
        addToChart(chart, LogEvent{LogEventType::Status, start + i * step, kind, static_cast<int>(i % 101), 100});
        if (i % 1000 == 999) addToChart(chart, LogEvent{LogEventType::Close, start + i * step + 1, 0, -1, 0});
    }
    std::string svg;
    writeChartSvg(chart, "t", svg);
    std::vector<XmlElement> elements;
    std::string error;
    ASSERT_TRUE(readXml(svg, elements, error)) << error;
    size_t rects = 0, circles = 0;
    for (const XmlElement& e : elements) {
        rects += e.name == "rect";
        circles += e.name == "circle";
    }
    EXPECT_LE(rects, static_cast<size_t>(6 * kColumns + 20));
    EXPECT_LE(circles, static_cast<size_t>(2 * kColumns + 2));
    ChartRun fake{0, svg, "", elements};
    EXPECT_LE(chargeLine(fake).size(), static_cast<size_t>(4 * kColumns + 2));
    EXPECT_LT(svg.size(), 400000u);
}

// ------------------------------------------------------------- the time axis

TEST(ChartTimeAxis, StepsFromSecondsToYears) {
    struct Row {
        int64_t start, end;
        const char* firstLabel;
        const char* firstDate;
        const char* laterLabel;  // a tick further on, with its date line
        const char* laterDate;
    } rows[] = {
        {secondsAt(2026, 12, 8, 8, 0, 0), secondsAt(2026, 12, 8, 8, 0, 27), "8:00:00", "12/08", "8:00:25", ""},
        {secondsAt(2026, 12, 8, 8, 50, 0), secondsAt(2026, 12, 8, 9, 20, 0), "8:50", "12/08", "9:00", ""},
        {secondsAt(2026, 12, 8, 7, 30, 0), secondsAt(2026, 12, 8, 13, 30, 0), "8:00", "12/08", "13:00", ""},
        {secondsAt(2026, 12, 8, 19, 0, 0), secondsAt(2026, 12, 9, 6, 0, 0), "19:00", "12/08", "0:00", "12/09"},
        {secondsAt(2026, 11, 1, 0, 0, 0), secondsAt(2027, 1, 30, 0, 0, 0), "11/09", "2026", "01/04", "2027"},
        {secondsAt(2026, 3, 15, 0, 0, 0), secondsAt(2028, 3, 15, 0, 0, 0), "2026/04", "", "2027/01", ""},
        {secondsAt(2001, 5, 1, 0, 0, 0), secondsAt(2041, 5, 1, 0, 0, 0), "2005", "", "2040", ""},
    };
    for (const Row& row : rows) {
        TimeTick ticks[kMaxTimeTicks];
        int count = timeTicks(row.start, row.end, 12, ticks);
        ASSERT_GE(count, 3) << row.firstLabel;
        EXPECT_LE(count, 12) << row.firstLabel;
        EXPECT_STREQ(ticks[0].label, row.firstLabel);
        EXPECT_STREQ(ticks[0].date, row.firstDate);
        bool found = false;
        for (int i = 0; i < count; ++i) {
            EXPECT_GE(ticks[i].time, row.start);
            EXPECT_LE(ticks[i].time, row.end);
            if (i > 0) {
                EXPECT_GT(ticks[i].time, ticks[i - 1].time);
            }
            if (!strcmp(ticks[i].label, row.laterLabel)) {
                found = true;
                EXPECT_STREQ(ticks[i].date, row.laterDate) << row.laterLabel;
            }
        }
        EXPECT_TRUE(found) << row.laterLabel;
    }
}

// ------------------------------------------------------------- the command line

TEST(ChartCommandLine, RefusesBadOptions) {
    std::string log = lines({openAt(2026, 12, 8, 8, 0, 0)});
    const std::vector<std::string> bad[] = {
        {"--from"},
        {"--from", "2026-02-30"},
        {"--from", "2026-1-01"},
        {"--to", "26-01-01xx"},
        {"--from", "2026-12-09", "--to", "2026-12-08"},
        {"--colour", "red"},
        {"second.log"},
    };
    for (const auto& options : bad) {
        ChartRun run = chartOf(log, options);
        EXPECT_EQ(run.status, 2) << options[0];
        EXPECT_NE(run.err.find("usage: celwrd-chart"), std::string::npos);
        EXPECT_EQ(run.svg, "");
    }
    EXPECT_EQ(chartOf(log, {"--from", "2026-12-08", "--to", "2026-12-08"}).status, 0);

    char name[] = "celwrd-chart", missing[] = "/nonexistent/CELWRD.LOG";
    char* argv[] = {name, missing};
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    EXPECT_EQ(runChart(2, argv, out, err), 1);
    EXPECT_NE(contentOf(err).find("cannot read /nonexistent/CELWRD.LOG"), std::string::npos);
    EXPECT_EQ(contentOf(out), "");
}

}  // namespace
