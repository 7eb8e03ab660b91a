// The health chart and the battery report, run as the command line runs
// them, on files written by the program's own code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "actions/health_history.h"
#include "base/language.h"
#include "base/utf8.h"
#include "chart_run.h"
#include "health_chart.h"
#include "log_test_lines.h"
#include "settings/battery_status.h"
#include "test_output.h"
#include "time_axis.h"
#include "xml_check.h"

namespace {

// A folder of the test's own: CTest runs the tests side by side.
std::string folder() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string path = testing::TempDir() + "celwrd_report_" + test->test_suite_name() + "_" + test->name() + "/";
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

void put(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

struct ToolRun {
    int status;
    std::string out, err;
    std::vector<XmlElement> elements;
};

// celwrd-chart ARGS...; what it writes must be well-formed whatever it read.
ToolRun run(std::vector<std::string> args, const std::string& filesFolder = "") {
    args.insert(args.begin(), "celwrd-chart");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    ChartHost host{filesFolder, nullptr};
    ToolRun r;
    r.status = runChart(static_cast<int>(argv.size()), argv.data(), out, err, &host);
    r.out = contentOf(out);
    r.err = contentOf(err);
    std::string error;
    if (r.status == 0 && r.out.compare(0, 5, "<?xml") == 0) {
        EXPECT_TRUE(readXml(r.out, r.elements, error)) << error;
    } else if (r.status == 0 && r.out.compare(0, 9, "<!DOCTYPE") == 0) {
        EXPECT_TRUE(readHtml(r.out, r.elements, error)) << error;
    }
    return r;
}

std::vector<const XmlElement*> byClass(const ToolRun& r, const char* name) {
    std::vector<const XmlElement*> found;
    for (const XmlElement& e : r.elements)
        if (e.attributes.count("class") && e.attributes.at("class") == name) found.push_back(&e);
    return found;
}

double number(const XmlElement* e, const char* attribute) { return atof(e->attributes.at(attribute).c_str()); }

// The d of a path, as its vertices, each "M" or "L".
std::vector<std::pair<char, std::pair<double, double>>> vertices(const XmlElement* path) {
    std::vector<std::pair<char, std::pair<double, double>>> out;
    const char* p = path->attributes.at("d").c_str();
    while (*p == 'M' || *p == 'L') {
        char kind = *p++;
        char* end;
        double x = strtod(p, &end);
        double y = strtod(end, &end);
        out.push_back({kind, {x, y}});
        p = end;
        while (*p == ' ') ++p;
    }
    return out;
}

// The line the program writes for BAT0 on `day` days after 2026-01-01 at 9:00.
std::string historyLine(int day, const char* serial, int64_t fullMwh, int64_t cycles, int64_t mw = kHealthUnknown) {
    HealthRecord record{};
    int64_t seconds = secondsAt(2026, 1, 1, 9, 0, 0) + day * kSecondsPerDay;
    record.time = fromTimeCount(seconds * 10000000);
    record.offsetMinutes = 540;
    record.battery = unknownBatteryHealth();
    strcpy(record.battery.name, "BAT0");
    strcpy(record.battery.maker, "SMP");
    strcpy(record.battery.serial, serial);
    record.battery.designMwh = 50000;
    record.battery.fullMwh = fullMwh;
    record.battery.cycles = cycles;
    record.battery.powerMw = mw;
    char line[kHistoryLineSize];
    size_t length = formatHistoryLine(record, line, sizeof line);
    return std::string(line, length) + "\r\n";
}

std::string versionLine() { return std::string(kHistoryVersionLine) + "\r\n"; }

double dayX(int64_t start, int64_t end, int day, int hour) {
    int64_t t = secondsAt(2026, 1, 1, hour, 0, 0) + day * kSecondsPerDay;
    return plotX(kHealthPlot, start, end, t);
}

// ------------------------------------------------------------- the health chart

// Days 0 to 89: a weekend's two days without a line (no gap), ten days
// away (a gap), and another battery from day 60.
TEST(HealthChart, SwapsAreMarkedAndGapsLeftOpen) {
    std::string history = versionLine();
    for (int day = 0; day < 90; ++day) {
        if (day == 20 || day == 21 || (day >= 30 && day < 40)) continue;
        const char* serial = day < 60 ? "1234" : "5678";
        int age = day < 60 ? day : day - 60;
        history += historyLine(day, serial, 50000 - 50 * age, 100 + age);
    }
    std::string dir = folder();
    put(dir + "CELWRDHL.LOG", history);
    ToolRun r = run({"--health-chart", dir + "CELWRDHL.LOG"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    int64_t start = secondsAt(2026, 1, 1, 9, 0, 0), end = start + 89 * kSecondsPerDay;

    auto swaps = byClass(r, "swap");
    ASSERT_EQ(swaps.size(), 1u);
    EXPECT_NEAR(number(swaps[0], "x1"), dayX(start, end, 60, 9), 0.051);

    // Hatched from the midnight after the last line to the midnight of the next.
    auto gaps = byClass(r, "health-gap");
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_NEAR(number(gaps[0], "x"), dayX(start, end, 30, 0), 0.051);
    EXPECT_NEAR(number(gaps[0], "x") + number(gaps[0], "width"), dayX(start, end, 40, 0), 0.1);

    // Each battery a line of its own; the first broken at the gap alone.
    auto health = byClass(r, "health-line"), cycles = byClass(r, "cycle-line");
    ASSERT_EQ(health.size(), 2u);
    ASSERT_EQ(cycles.size(), 2u);
    for (const auto* lines : {&health, &cycles}) {
        auto first = vertices((*lines)[0]), second = vertices((*lines)[1]);
        ASSERT_FALSE(first.empty());
        ASSERT_FALSE(second.empty());
        int moves = 0;
        for (const auto& [kind, point] : first) {
            if (kind != 'M') continue;
            ++moves;
            if (moves == 2) {
                EXPECT_NEAR(point.first, dayX(start, end, 40, 9), 0.051);
            }
        }
        EXPECT_EQ(moves, 2);
        EXPECT_EQ(second.front().first, 'M');
        EXPECT_NEAR(second.front().second.first, dayX(start, end, 60, 9), 0.051);
    }
    // Day 0 at 100 %, the first battery's last day (59) at 94.1 %.
    HealthChart scale{};
    scale.lowPercent = 70, scale.highPercent = 100;
    auto first = vertices(health[0]);
    EXPECT_NEAR(first.front().second.second, healthY(scale, 100), 0.051);
    EXPECT_NEAR(first.back().second.second, healthY(scale, 94.1), 0.051);
    auto labels = byClass(r, "series-label");
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_NE(labels[0]->text.find("1234"), std::string::npos);
    EXPECT_NE(labels[0]->text.find("(交換済み)"), std::string::npos);
    EXPECT_EQ(labels[1]->text.find("(交換済み)"), std::string::npos);
}

TEST(HealthChart, AHistoryNamedAsALogIsPointedOut) {
    std::string dir = folder();
    put(dir + "CELWRDHL.LOG", versionLine() + historyLine(0, "1", 40000, 1));
    ToolRun r = run({dir + "CELWRDHL.LOG"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("is a health history: celwrd-chart --health-chart"), std::string::npos) << r.err;
}

// ------------------------------------------------------------- the report

std::string textOf(const ToolRun& r, const char* className) {
    std::string all;
    for (const XmlElement& e : r.elements) {
        bool inside = false;
        for (int at = static_cast<int>(&e - r.elements.data()); at >= 0 && !inside; at = r.elements[at].parent)
            inside = r.elements[at].attributes.count("class") && r.elements[at].attributes.at("class") == className;
        if (inside) all += e.text + "|";
    }
    return all;
}

// Ninety days of a battery wearing, 50 Wh when new, and a day's log in
// its last month: 2 hours on the battery from 100 to 80 %.
TEST(BatteryReport, FromALogAndAHistory) {
    std::string dir = folder();
    std::string history = versionLine();
    for (int day = 0; day < 90; ++day) history += historyLine(day, "1234", 50000 - 100 * day, 10 + day, -6000);
    put(dir + "CELWRDHL.LOG", history);
    // Day 80 (2026-03-22): full 42,000 mWh.
    put(dir + "CELWRD.LOG", openAt(2026, 3, 22, 8, 0, 0) + "\r\n" + statusLine(kPowerAcBatt, 100, 0, 8, 0, 0) +
                                "\r\n" + statusLine(kPowerDischarge, 100, 360, 9, 0, 0) + "\r\n" +
                                statusLine(kPowerDischarge, 80, 360, 11, 0, 0) + "\r\n" +
                                statusLine(kPowerCharge, 80, 100, 11, 0, 0) + "\r\n" +
                                closeAt(2026, 3, 22, 12, 0, 0) + "\r\n");
    ToolRun r = run({"--report"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    std::string batteries = textOf(r, "batteries");
    for (const char* shown : {"SMP", "1234", "50.00 Wh", "41.10 Wh", "82.2 %", "17.8 %", "99", "2026/01/01 〜 2026/03/31",
                              "1か月に6.09ﾎﾟｲﾝﾄ", "100ｻｲｸﾙで20.00ﾎﾟｲﾝﾄ"})
        EXPECT_NE(batteries.find(shown), std::string::npos) << shown << " in " << batteries;
    EXPECT_NE(batteries.find("年"), std::string::npos) << "the month it reaches 80 %";

    // Both pictures, inline.
    int svgs = 0;
    for (const XmlElement& e : r.elements) svgs += e.name == "svg";
    EXPECT_EQ(svgs, 2);
    EXPECT_EQ(byClass(r, "health-line").size(), 1u);
    EXPECT_EQ(byClass(r, "rate-discharge").size(), 2u);

    // 4 hours running, 2 of them on the battery; 10 % an hour of the
    // month's 41.1 Wh; the history said 6 W.
    const XmlElement* whole = byClass(r, "whole").at(0);
    std::string row;
    for (const XmlElement& e : r.elements)
        if (e.parent == static_cast<int>(whole - r.elements.data())) row += e.text + "|";
    EXPECT_EQ(row, "全期間|1|4:00|2:00|10.0|4.1|6.0|");
}

TEST(BatteryReport, AHistoryWithoutALogAndNothingAtAll) {
    std::string dir = folder();
    ToolRun nothing = run({"--report"}, dir);
    ASSERT_EQ(nothing.status, 0);
    EXPECT_NE(nothing.out.find("健全度の履歴もﾊﾞｯﾃﾘｰﾛｸﾞも見つかりません"), std::string::npos);
    EXPECT_EQ(nothing.out.find("<svg"), std::string::npos);
    EXPECT_NE(nothing.err.find("found neither"), std::string::npos);

    put(dir + "CELWRDHL.LOG", versionLine() + historyLine(0, "1", 40000, 1) + historyLine(1, "1", 39990, 2));
    // The log the settings name, which is not there.
    put(dir + "celwrd.INI", "Cscreen.Sdisplayinterval = 1000\r\nClogfile.Slogfilename = away.log\r\n");
    ToolRun history = run({"--report"}, dir);
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_NE(history.out.find(dir + "away.log (見つかりません)"), std::string::npos);
    EXPECT_NE(history.out.find("ﾊﾞｯﾃﾘｰﾛｸﾞがありません"), std::string::npos);
    EXPECT_EQ(byClass(history, "health-line").size(), 1u);
    EXPECT_NE(textOf(history, "batteries").find("80.0 %"), std::string::npos);

    // Named, it must be there.
    EXPECT_EQ(run({"--report", "--log", dir + "away.log"}, dir).status, 1);
    put(dir + "away.log", openAt(2026, 1, 1, 8, 0, 0) + "\r\n");
    ToolRun both = run({"--report"}, dir);
    EXPECT_NE(both.out.find(dir + "away.log (1行)"), std::string::npos);
}

// Whatever the files hold, every text reaches the page as text.
TEST(BatteryReport, HostileTextsAreEscaped) {
    std::string dir = folder() + "<b>&amp;/";
    std::filesystem::create_directories(dir);
    put(dir + "CELWRDHL.LOG",
        versionLine() + "time=2026-01-01T09:00:00+09:00\tbat=B<1>\tmaker=<script>alert(\"x\")</script>\tmodel=a&b'c"
                        "\tserial=\xff\xfe]]>\ttech=<!--\tdesign_mwh=100\tfull_mwh=90\r\n");
    ToolRun r = run({"--report", "--title", "<i>\"&"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("<script"), std::string::npos);
    EXPECT_EQ(r.out.find("<b>"), std::string::npos);
    EXPECT_EQ(r.out.find("<i>"), std::string::npos);
    EXPECT_EQ(r.out.find("<!--"), std::string::npos);
    std::string batteries = textOf(r, "batteries");
    EXPECT_NE(batteries.find("<script>alert(\"x\")</script>"), std::string::npos) << batteries;
    EXPECT_NE(batteries.find("a&b'c"), std::string::npos);
    EXPECT_NE(batteries.find("B<1>"), std::string::npos);
}

// The first Japanese character of `text` apart from the fonts' names, which
// are never shown as text; "" when there is none.
std::string firstJapanese(std::string text) {
    for (const char* font : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック"})
        for (size_t at; (at = text.find(font)) != std::string::npos;) text.erase(at, strlen(font));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const size_t n = decodeUtf8(p + i, text.size() - i, &c);
        if (n == 0) return "bad UTF-8 at " + std::to_string(i);
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
            (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF))
            return text.substr(i > 60 ? i - 60 : 0, 120);
        i += n;
    }
    return "";
}

// --lang en gives the report and both charts in English throughout; --lang
// ja, like the program's own default, the Japanese bytes.
TEST(BatteryReport, SpeaksTheLanguageChosen) {
    std::string dir = folder();
    std::string history = versionLine();
    for (int day = 0; day < 90; day += 10) history += historyLine(day, "1234", 50000 - 100 * day, 10 + day, -6000);
    put(dir + "CELWRDHL.LOG", history);
    put(dir + "CELWRD.LOG", openAt(2026, 3, 22, 8, 0, 0) + "\r\n" + statusLine(kPowerAcBatt, 100, 0, 8, 0, 0) + "\r\n" +
                                statusLine(kPowerDischarge, 80, 360, 11, 0, 0) + "\r\n" +
                                statusLine(kPowerCharge, 80, 100, 11, 0, 0) + "\r\n" + closeAt(2026, 3, 22, 12, 0, 0) +
                                "\r\n" + openAt(2026, 3, 23, 8, 0, 0) + "\r\n");
    const std::vector<std::vector<std::string>> commands = {
        {"--report"}, {dir + "CELWRD.LOG"}, {"--health-chart", dir + "CELWRDHL.LOG"},
        {"--health-chart", dir + "CELWRD.LOG"}, {"--report", "--history", dir + "CELWRD.LOG"}};
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(command.back());
        setProgramLanguage(Language::Japanese);
        const ToolRun japanese = run(command, dir);
        std::vector<std::string> english = command;
        english.insert(english.begin(), {"--lang", "en"});
        const ToolRun inEnglish = run(english, dir);
        EXPECT_EQ(inEnglish.status, japanese.status);
        EXPECT_EQ(firstJapanese(inEnglish.out), "");
        EXPECT_NE(firstJapanese(japanese.out), "");
        EXPECT_EQ(inEnglish.err, japanese.err);
        // Chosen over English, Japanese says what it always said.
        std::vector<std::string> backToJapanese = command;
        backToJapanese.push_back("--lang=ja");
        const ToolRun again = run(backToJapanese, dir);
        EXPECT_EQ(again.status, japanese.status);
        EXPECT_EQ(again.out, japanese.out);
    }
    setProgramLanguage(Language::English);
    EXPECT_NE(run({"--report"}, dir).out.find("<td>All time</td>"), std::string::npos);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--report", "--lang", "fr"}, {"--report", "--lang=JA"}, {"--report", "--lang"}}) {
        ToolRun r = run(bad, dir);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_EQ(r.out, "");
    }
    setProgramLanguage(Language::Japanese);
}

TEST(BatteryReport, CommandLine) {
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--report", "x.log"}, {"--log", "x.log", "y.log"}, {"--health-chart", "--report"},
             {"--health-chart", "a", "b"}, {"--report", "--history"}}) {
        ToolRun r = run(bad);
        EXPECT_EQ(r.status, 2) << bad[0];
        EXPECT_NE(r.err.find("usage: celwrd-chart"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    ToolRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("celwrd-chart --report [--log LOGFILE] [--history HISTORY]"), std::string::npos);
    // Without a folder to look in, a history must be named.
    EXPECT_EQ(run({"--health-chart"}).status, 2);
}

}  // namespace
