// The battery health window as the user meets it: opened from the menu,
// refreshed by the readings it asks for, its chart drawn from the history.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "actions/health_history.h"
#include "dialog_test.h"
#include "dialogs/health_plot.h"
#include "dialogs/main_dialog.h"
#include "monitor/health_watch.h"
#include "monitor/local_time.h"
#include "platform/sim/sim_battery_health.h"

namespace {

const char kHistory[] = "C:\\TOOLS\\CELWRDHL.LOG";

BatteryHealth aBattery(int64_t fullMwh = 51234, const char* serial = "1234") {
    BatteryHealth b = unknownBatteryHealth();
    snprintf(b.name, sizeof b.name, "BAT0");
    snprintf(b.maker, sizeof b.maker, "SMP");
    snprintf(b.model, sizeof b.model, "5B10W13930");
    snprintf(b.serial, sizeof b.serial, "%s", serial);
    snprintf(b.technology, sizeof b.technology, "Li-ion");
    b.designMwh = 57020;
    b.fullMwh = fullMwh;
    b.cycles = 123;
    b.powerMw = -8123;
    b.voltageMv = 12345;
    return b;
}

HealthReading readingOf(const BatteryHealth& b) {
    HealthReading reading{};
    reading.batteries[reading.count++] = b;
    return reading;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A history line a day for `days` days up to 2026-01-04, health falling.
std::string historyOf(int days) {
    std::string file = std::string(kHistoryVersionLine) + "\r\n";
    for (int i = 0; i < days; ++i) {
        LocalTime t{};
        t.year = 2025;
        t.month = 1;
        t.day = 1;
        t.hour = 12;
        timeAdd(t, static_cast<int64_t>(365 + 3 - days + i) * 86400000);
        char line[kHistoryLineSize];
        formatHistoryLine(HealthRecord{t, 540, aBattery(56000 - i * 10)}, line, sizeof line);
        file += std::string(line) + "\r\n";
    }
    return file;
}

class HealthWindow : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        sim::setClock(2026, 1, 5, 9, 0, 0);
    }
    static WindowHandle health() { return simui::windowOf(kHealthDialog); }
    std::string report() { return text(health(), IDC_HEALTH_TEXT); }
    int opened() {
        int n = 0;
        for (const std::string& e : simui::events()) n += e == "modeless health";
        return n;
    }
};

TEST_F(HealthWindow, OpensFromTheMenuWatchesThePowerWhileOpenAndComesForwardOnce) {
    sim::setBatteryHealth(readingOf(aBattery()));
    sim::setPower(0, 0, 80);
    run([this](WindowHandle main) {
        sim::runFor(20000);
        EXPECT_EQ(sim::healthReads().powerOnly, 0);  // nobody watches yet

        mainDialogCommand(main, CMD_HEALTH, ControlEvent::Clicked);  // the tray's menu
        ASSERT_NE(health(), 0u);
        EXPECT_TRUE(has(report(), "ﾒｰｶｰ: SMP\n"));
        EXPECT_TRUE(has(report(), "電力: -8.12 W\n"));

        BatteryHealth charging = aBattery();
        charging.powerMw = 15500;
        sim::setBatteryHealth(readingOf(charging));
        sim::runFor(20000);
        EXPECT_GE(sim::healthReads().powerOnly, 2);
        EXPECT_TRUE(has(report(), "電力: 15.50 W\n"));

        simui::clearEvents();
        mainDialogSysCommand(main, CMD_HEALTH);  // the window menu: the same window, in front
        EXPECT_EQ(opened(), 0);
        EXPECT_EQ(simui::events(), (std::vector<std::string>{"top health"}));
        simui::minimise(health());
        mainDialogCommand(main, CMD_HEALTH, ControlEvent::Clicked);
        EXPECT_FALSE(simui::window(health()).minimised);
        EXPECT_EQ(opened(), 0);

        simui::click(health(), IDC_OK);
        EXPECT_EQ(health(), 0u);
        const int watched = sim::healthReads().powerOnly;
        sim::runFor(60000);
        EXPECT_EQ(sim::healthReads().powerOnly, watched);
    });
}

// Moved, it opens again where it was for the rest of the run; the
// settings file never holds its place.
TEST_F(HealthWindow, KeepsItsPlaceForTheRunOnly) {
    run([this](WindowHandle main) {
        mainDialogCommand(main, CMD_HEALTH, ControlEvent::Clicked);
        ASSERT_NE(health(), 0u);
        EXPECT_EQ(simui::window(health()).rect.x, simui::kSystemPlacement[kHealthDialog].x);
        simui::moveTo(health(), 300, 200);
        simui::click(health(), IDC_OK);
        mainDialogCommand(main, CMD_HEALTH, ControlEvent::Clicked);
        ASSERT_NE(health(), 0u);
        EXPECT_EQ(simui::window(health()).rect.x, 300);
        EXPECT_EQ(simui::window(health()).rect.y, 200);
    });
    EXPECT_TRUE(sim::fileExists(kIni));
    EXPECT_FALSE(has(sim::fileContent(kIni), "Health"));
}

TEST_F(HealthWindow, WithoutABatteryItSaysSoAndWritesNoFile) {
    sim::setPower(1, 128, 255);
    run([this](WindowHandle main) {
        sim::runFor(5000);
        mainDialogSysCommand(main, CMD_HEALTH);
        ASSERT_NE(health(), 0u);
        sim::runFor(20000);
        EXPECT_EQ(report(), "ﾊﾞｯﾃﾘｰがありません\n");
        const simui::Control& chart = simui::control(health(), IDC_HEALTH_CHART);
        EXPECT_EQ(chart.paints, 1);
        // Axes and the 80 % line, no battery's line.
        std::set<uint32_t> colours(chart.pixels.begin(), chart.pixels.end());
        EXPECT_TRUE(colours.count(kPlotLimit));
        EXPECT_FALSE(colours.count(kPlotSeriesColours[0]));
    });
    EXPECT_FALSE(sim::fileExists(kHistory));
}

// The forecast needs 60 days of history; the chart is read again only when
// a line was written, not at each refresh.
class HealthWindowHistory : public HealthWindow, public ::testing::WithParamInterface<int> {};

TEST_P(HealthWindowHistory, TheForecastAfterSixtyDaysAndTheChartReadAgainForANewLine) {
    const int days = GetParam();
    sim::putFile(kHistory, historyOf(days));
    sim::setBatteryHealth(readingOf(aBattery(56000 - days * 10)));
    sim::setPower(0, 0, 80);
    run([&](WindowHandle main) {
        sim::runFor(2000);
        mainDialogCommand(main, CMD_HEALTH, ControlEvent::Clicked);
        ASSERT_NE(health(), 0u);
        EXPECT_EQ(has(report(), "予測: "), days >= 60) << report();
        EXPECT_EQ(has(report(), "劣化の速さ: 1か月に0.53ﾎﾟｲﾝﾄ"), days >= 60) << report();
        const simui::Control& chart = simui::control(health(), IDC_HEALTH_CHART);
        EXPECT_EQ(chart.paints, 1);
        EXPECT_GT(std::count(chart.pixels.begin(), chart.pixels.end(), kPlotSeriesColours[0]), 100);
        sim::runFor(60000);
        EXPECT_EQ(chart.paints, 1);  // refreshed, not redrawn
        sim::setClock(2026, 1, 6, 0, 0, 30);  // the next day's line
        sim::setPower(1, 8, 80);
        sim::runFor(2000);
        EXPECT_EQ(chart.paints, 2);
    });
}

INSTANTIATE_TEST_SUITE_P(Days, HealthWindowHistory, ::testing::Values(59, 61));

// ---------------------------------------------------------------- the chart

HealthRecord recordOn(int day, int32_t healthPercent, const char* serial = "1234") {
    LocalTime t{};
    t.year = 2026;
    t.month = 1;
    t.day = 1;
    t.hour = 12;
    timeAdd(t, static_cast<int64_t>(day) * 86400000);
    return HealthRecord{t, 540, aBattery(57020 * healthPercent / 100, serial)};
}

// The columns holding `colour`, as runs of neighbouring columns.
std::vector<std::pair<int, int>> columnRuns(const std::vector<uint32_t>& pixels, int width, uint32_t colour) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < width; ++x) {
        bool any = false;
        for (size_t y = 0; y < pixels.size() / width && !any; ++y) any = pixels[y * width + x] == colour;
        if (!any) continue;
        if (!runs.empty() && runs.back().second == x - 1) runs.back().second = x;
        else runs.push_back({x, x});
    }
    return runs;
}

TEST(HealthChart, ASwapIsMarkedAndAGapLeftOpen) {
    // Days 0..9, nothing for days 10..19, days 20..29; another battery
    // under the same name from day 30 to 39.
    std::vector<HealthRecord> records;
    for (int day = 0; day < 10; ++day) records.push_back(recordOn(day, 95));
    for (int day = 20; day < 30; ++day) records.push_back(recordOn(day, 90));
    for (int day = 30; day < 40; ++day) records.push_back(recordOn(day, 100, "9999"));
    HealthPlot plot;
    startHealthPlot(plot);
    for (const HealthRecord& r : records) scanForHealthPlot(r, &plot);
    const int width = 400, height = 100;
    std::vector<uint32_t> pixels(width * height, 0);
    Picture picture{pixels.data(), width, height};
    beginHealthPlotDrawing(plot, picture);
    for (const HealthRecord& r : records) drawHealthPlotRecord(r, &plot);

    // Three stretches: before the gap, after it, and the new battery's,
    // which is not joined to the old one's.
    std::vector<std::pair<int, int>> lines = columnRuns(pixels, width, kPlotSeriesColours[0]);
    ASSERT_EQ(lines.size(), 3u);
    const double day = (lines[2].second - lines[0].first - 2) / 39.0;
    EXPECT_NEAR(lines[1].first - lines[0].second, 11 * day, 3);
    EXPECT_NEAR(lines[2].first - lines[1].second, day, 2);
    std::vector<std::pair<int, int>> shaded = columnRuns(pixels, width, kPlotGap);
    ASSERT_EQ(shaded.size(), 1u);
    EXPECT_GT(shaded[0].first, lines[0].second);
    EXPECT_LT(shaded[0].second, lines[1].first);
    std::vector<std::pair<int, int>> swaps = columnRuns(pixels, width, kPlotSwap);
    ASSERT_EQ(swaps.size(), 1u);
    EXPECT_EQ(swaps[0].first, swaps[0].second);
    EXPECT_EQ(swaps[0].first, lines[2].first + 1);
    // The 80 % line runs across the plot.
    EXPECT_GT(columnRuns(pixels, width, kPlotLimit).size(), 30u);
}

TEST(HealthChart, TinyOrEmptyPicturesAreLeftAlone) {
    HealthPlot plot;
    startHealthPlot(plot);
    scanForHealthPlot(recordOn(0, 90), &plot);
    uint32_t pixels[12] = {};
    Picture tiny{pixels, 4, 3};
    beginHealthPlotDrawing(plot, tiny);
    drawHealthPlotRecord(recordOn(0, 90), &plot);
    for (uint32_t p : pixels) EXPECT_EQ(p, kPlotBackground);
    Picture none{nullptr, 0, 0};
    beginHealthPlotDrawing(plot, none);
    drawHealthPlotRecord(recordOn(0, 90), &plot);
}

}  // namespace
