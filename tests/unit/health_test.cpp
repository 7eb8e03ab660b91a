// Battery health: the history's lines, when the program reads and writes
// them, the forecast from them, and the report people and scripts read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/health_forecast.h"
#include "actions/health_history.h"
#include "app/health_command.h"
#include "base/language.h"
#include "monitor/health_report.h"
#include "monitor/health_watch.h"
#include "platform/sim/sim_battery_health.h"
#include "platform/time_count.h"
#include "program_test.h"

namespace {

constexpr int64_t kUnknown = kHealthUnknown;
const char kHistory[] = "C:\\TOOLS\\CELWRDHL.LOG";

BatteryHealth aBattery(const char* name = "BAT0", int64_t fullMwh = 51234, int64_t cycles = 123) {
    BatteryHealth b = unknownBatteryHealth();
    snprintf(b.name, sizeof b.name, "%s", name);
    snprintf(b.maker, sizeof b.maker, "SMP");
    snprintf(b.model, sizeof b.model, "5B10W13930");
    snprintf(b.serial, sizeof b.serial, "1234");
    snprintf(b.technology, sizeof b.technology, "Li-ion");
    b.designMwh = 57020;
    b.fullMwh = fullMwh;
    b.cycles = cycles;
    b.powerMw = -8123;
    b.voltageMv = 12345;
    return b;
}

HealthReading readingOf(std::initializer_list<BatteryHealth> batteries) {
    HealthReading reading{};
    for (const BatteryHealth& b : batteries) reading.batteries[reading.count++] = b;
    return reading;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    if (start < text.size()) out.push_back("TORN:" + text.substr(start));
    return out;
}

// ---------------------------------------------------------------- lines

const char kLine[] =
    "time=2026-12-08T14:05:09+09:00\tbat=BAT0\tmaker=SMP\tmodel=5B10W13930\tserial=1234\ttech=Li-ion"
    "\tdesign_mwh=57020\tfull_mwh=51234\tcycles=123\tmv=12345\tmw=-8123";

TEST(HealthHistoryLine, WrittenAndReadBack) {
    HealthRecord record{LocalTime{2026, 12, 2, 8, 14, 5, 9, 0}, 540, aBattery()};
    char line[kHistoryLineSize];
    size_t length = formatHistoryLine(record, line, sizeof line);
    EXPECT_EQ(std::string(line, length), kLine);
    HealthRecord back;
    ASSERT_TRUE(parseHistoryLine(line, length, &back));
    EXPECT_EQ(back.offsetMinutes, 540);
    EXPECT_EQ(back.time.day, 8);
    EXPECT_EQ(back.time.dayOfWeek, 2);
    EXPECT_TRUE(sameBattery(back.battery, record.battery));
    EXPECT_EQ(back.battery.fullMwh, 51234);
    EXPECT_EQ(back.battery.powerMw, -8123);
    EXPECT_EQ(back.battery.designMah, kUnknown);
    // West of Greenwich, and a record that knows nothing but its name.
    record = HealthRecord{LocalTime{2027, 1, 0, 1, 0, 0, 0, 0}, -330, unknownBatteryHealth()};
    snprintf(record.battery.name, sizeof record.battery.name, "BAT1");
    length = formatHistoryLine(record, line, sizeof line);
    EXPECT_EQ(std::string(line, length), "time=2027-01-01T00:00:00-05:30\tbat=BAT1");
    EXPECT_EQ(formatHistoryLine(record, line, 20), 0u);  // does not fit: nothing
}

struct ParseCase {
    const char* line;
    bool record;
    int64_t fullMwh;
};

TEST(HealthHistoryLine, ReadersSkipWhatTheyDoNotKnow) {
    const ParseCase cases[] = {
        {"time=2026-12-08T14:05:09+09:00\tbat=BAT0\tfull_mwh=5\ttemperature=31\tfuture=a=b", true, 5},
        {"time=2026-12-08T14:05:09Z\tbat=BAT0\tfull_mwh=5", true, 5},
        {"bat=BAT0\tfull_mwh=5\ttime=2026-12-08T14:05:09-00:30", true, 5},  // any order
        {"time=2026-12-08T14:05:09+09:00\tbat=BAT0\tfull_mwh=-5", true, kUnknown},
        {"time=2026-12-08T14:05:09+09:00\tbat=BAT0\tfull_mwh=5x", true, kUnknown},
        {"time=2026-12-08T14:05:09+09:00\tbat=BAT0\tfull_mwh=1234567890123456789", true, kUnknown},
        {"time=2026-12-08T14:05:09+09:00\tfull_mwh=5", false, 0},  // no battery
        {"time=2026-02-30T14:05:09+09:00\tbat=BAT0", false, 0},    // no such day
        {"time=2026-12-08 14:05:09\tbat=BAT0", false, 0},
        {"time=2026-12-08T14:05:09+24:00\tbat=BAT0", false, 0},
        {"#cellwarden-health\tversion=1", false, 0},
        {"", false, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.line);
        HealthRecord record;
        EXPECT_EQ(parseHistoryLine(c.line, strlen(c.line), &record), c.record);
        if (c.record) {
            EXPECT_EQ(record.battery.fullMwh, c.fullMwh);
        }
    }
}

std::vector<int64_t> fulls;
void noteFull(const HealthRecord& record, void*) { fulls.push_back(record.battery.fullMwh); }

// CR LF or LF, in any pieces; an overlong line and a torn last line are skipped.
TEST(HealthHistoryLine, TheFileInPieces) {
    std::string file = std::string(kHistoryVersionLine) + "\r\n" +
                       "time=2026-12-08T14:05:09+09:00\tbat=BAT0\tfull_mwh=1\r\n" + std::string(3000, 'x') + "\n" +
                       "time=2026-12-09T14:05:09+09:00\tbat=BAT0\tfull_mwh=2\n" +
                       "time=2026-12-10T14:05:09+09:00\tbat=BAT0\tfull_mwh=3";
    for (size_t piece : {file.size(), size_t{1}, size_t{7}}) {
        fulls.clear();
        HistoryReader reader;
        startHistoryReader(reader, noteFull, nullptr);
        for (size_t at = 0; at < file.size(); at += piece)
            feedHistoryReader(reader, file.data() + at, std::min(piece, file.size() - at));
        EXPECT_FALSE(reader.endsInLine);
        finishHistoryReader(reader);
        EXPECT_EQ(fulls, (std::vector<int64_t>{1, 2}));
        EXPECT_EQ(reader.skipped, 3);  // the version line, the overlong one, the torn one
    }
}

// ---------------------------------------------------------------- the program

class HealthProgram : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        sim::setUtcOffsetMinutes(540);
    }
    std::vector<std::string> history() { return lines(sim::fileContent(kHistory)); }
    // The program ends and starts again as a new process, its files kept.
    void restart() {
        shutDown();
        resetHealthWatch();
        initSettingsRecords();
        resetMonitor();  // a new process
        startProgram();
    }
    std::string lineAt(const char* time, const BatteryHealth& b) {
        char line[kHistoryLineSize];
        LocalTime t{};
        sscanf(time, "%hu-%hu-%hu %hu:%hu:%hu", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second);
        formatHistoryLine(HealthRecord{t, 540, b}, line, sizeof line);
        return line;
    }
};

// A reading at the start, one each hour riding the power queries, a line
// a day: the first reading after midnight writes the new day's line.
TEST_F(HealthProgram, ADayOfSimulatedTime) {
    sim::setBatteryHealth(readingOf({aBattery()}));
    sim::setPower(0, 0, 80);
    startProgram();
    sim::runFor(26 * 3600 * 1000);
    EXPECT_EQ(sim::healthReads().started, 26);  // the start and each hour from 10:00:01
    EXPECT_EQ(history(), (std::vector<std::string>{kHistoryVersionLine, lineAt("2026-01-05 09:00:00", aBattery()),
                                                   lineAt("2026-01-06 00:00:01", aBattery())}));
    ASSERT_NE(latestHealth(), nullptr);
    EXPECT_EQ(latestHealth()->batteries[0].fullMwh, 51234);
}

// Full capacity, cycle count and identity: a line as soon as a reading
// sees them change; the power alone changes nothing.
TEST_F(HealthProgram, AChangeIsWrittenAtOnce) {
    sim::setBatteryHealth(readingOf({aBattery()}));
    sim::setPower(0, 0, 80);
    startProgram();
    sim::runFor(1000);
    std::vector<std::string> expected = {kHistoryVersionLine, lineAt("2026-01-05 09:00:00", aBattery())};
    BatteryHealth b = aBattery();
    b.powerMw = -1000;
    sim::setBatteryHealth(readingOf({b}));
    sim::runFor(3600 * 1000 + 500);  // the hourly reading at 10:00:01
    EXPECT_EQ(sim::healthReads().started, 2);
    EXPECT_EQ(history(), expected);

    b.fullMwh = 50000;  // seen at the next reading: the mains come
    sim::setBatteryHealth(readingOf({b}));
    sim::setPower(1, 8, 80);
    sim::runFor(1000);
    expected.push_back(lineAt("2026-01-05 10:00:02", b));
    b.cycles = 124;
    sim::setBatteryHealth(readingOf({b}));
    sim::runFor(3600 * 1000);
    expected.push_back(lineAt("2026-01-05 11:00:02", b));
    b.serial[0] = '9';  // another battery
    sim::setBatteryHealth(readingOf({b}));
    sim::runFor(3600 * 1000);
    expected.push_back(lineAt("2026-01-05 12:00:02", b));
    EXPECT_EQ(history(), expected);
}

// The query that finds the mains is also the hour's: one reading serves both.
TEST_F(HealthProgram, OneReadingWhenTheHourAndAChangeMeet) {
    sim::setBatteryHealth(readingOf({aBattery()}));
    sim::setPower(0, 0, 80);
    startProgram();
    sim::runFor(3600 * 1000 + 500);  // 10:00:00.500, the hour due at the query of 10:00:01
    EXPECT_EQ(sim::healthReads().started, 1);
    sim::setPower(1, 8, 80);
    sim::runFor(1000);
    EXPECT_EQ(sim::healthReads().started, 2);
    EXPECT_EQ(liveSettings.Cbattery.kind, kPowerCharge);
}

// Nothing that tells its health: no file, however long the program runs.
TEST_F(HealthProgram, NoBatteryNoFile) {
    sim::setPower(1, 128, 255);
    startProgram();
    sim::runFor(3 * 3600 * 1000);
    BatteryHealth silent = unknownBatteryHealth();
    snprintf(silent.name, sizeof silent.name, "BAT0");
    silent.powerMw = -5000;
    sim::setBatteryHealth(readingOf({silent}));
    sim::setPower(0, 0, 50);
    sim::runFor(3 * 3600 * 1000);
    EXPECT_GE(sim::healthReads().started, 6);  // the start, the mains gone, each hour
    EXPECT_FALSE(sim::fileExists(kHistory));
    EXPECT_EQ(latestHealth()->count, 1);
}

// A run that starts again the same day adds no line; a file whose last
// line was torn by a crash gets its next line on a line of its own.
TEST_F(HealthProgram, ARestartTheSameDay) {
    sim::setBatteryHealth(readingOf({aBattery()}));
    startProgram();
    sim::runFor(1000);
    std::string first = sim::fileContent(kHistory);
    sim::putFile(kHistory, first + "time=2026-01-05T09:30:00+09:00\tbat=BAT0\tfull_mwh=51");
    restart();
    sim::runFor(1000);
    EXPECT_EQ(sim::healthReads().started, 2);
    EXPECT_EQ(sim::fileContent(kHistory), first + "time=2026-01-05T09:30:00+09:00\tbat=BAT0\tfull_mwh=51");
    sim::setClock(2026, 1, 6, 8, 0, 0);
    restart();
    sim::runFor(1000);
    std::vector<std::string> all = history();
    ASSERT_EQ(all.size(), 4u) << sim::fileContent(kHistory);
    EXPECT_EQ(all[2], "time=2026-01-05T09:30:00+09:00\tbat=BAT0\tfull_mwh=51");
    EXPECT_EQ(all[3], lineAt("2026-01-06 08:00:00", aBattery()));
}

// A line that could not be written (the file locked) is written at the
// next reading; one the platform takes a while to give carries the time
// it came.
TEST_F(HealthProgram, LateAndFailedWrites) {
    sim::setBatteryHealth(readingOf({aBattery()}));
    sim::setHealthReadTime(250);
    sim::setFileUnavailable(kHistory, true);
    startProgram();
    sim::runFor(2000);
    EXPECT_FALSE(sim::fileExists(kHistory));
    sim::setFileUnavailable(kHistory, false);
    sim::runFor(3600 * 1000 + 500);
    EXPECT_EQ(history(), (std::vector<std::string>{kHistoryVersionLine, lineAt("2026-01-05 10:00:02", aBattery())}));
}

// Nothing new wakes the program: the timers wake exactly as often with a
// battery to read as without, and the power while watched rides them too.
TEST_F(HealthProgram, ReadingsRideTheTicks) {
    auto wakeUps = [](bool battery, bool watched) {
        sim::reset();
        resetHealthWatch();
        initSettingsRecords();
        liveSettings.Cbattery.Scheckinterval = 10000;
        if (battery) sim::setBatteryHealth(readingOf({aBattery()}));
        sim::setArmingLapses(false);
        sim::setPower(0, 0, 80);
        parseCommandLine("C:\\TOOLS\\celwrd.exe");
        earlyInitialise();
        startUp();
        watchHealthPower(watched);
        sim::runFor(3 * 3600 * 1000);
        watchHealthPower(false);
        stopMainTimer();
        stopLogTimer();
        return sim::timerWakeUps();
    };
    int64_t without = wakeUps(false, false);
    EXPECT_EQ(wakeUps(true, false), without);
    EXPECT_EQ(sim::healthReads().powerOnly, 0);
    EXPECT_EQ(wakeUps(true, true), without);
    // At every query of 10 s but the two that read the hour's full reading.
    EXPECT_EQ(sim::healthReads().powerOnly, 3 * 360 - 2);
}

// ---------------------------------------------------------------- forecast

HealthRecord dayRecord(int day, int64_t fullMwh, int64_t cycles, const char* serial = "1234") {
    HealthRecord record{LocalTime{}, 540, aBattery("BAT0", fullMwh, cycles)};
    record.time = fromTimeCount((toMsCount(LocalTime{2026, 1, 0, 1, 12, 0, 0, 0}) + day * 86400000LL) * 10000);
    snprintf(record.battery.serial, sizeof record.battery.serial, "%s", serial);
    record.battery.designMwh = 50000;
    return record;
}

// 0.03 % of the design a day, a cycle a day: 0.91 points a month, 3 per
// 100 cycles, 80 % on day 667, late in October 2027. Only from day 60.
TEST(HealthForecast, ThePaceAndTheMonthAfterSixtyDays) {
    HealthTrends trends;
    startHealthTrends(trends);
    HealthForecast forecast;
    for (int day = 0; day <= 90; ++day) {
        addToHealthTrends(dayRecord(day, 50000 - 15 * day, 100 + day), &trends);
        if (day == 59) {
            EXPECT_FALSE(forecastHealth(trends, dayRecord(day, 0, 0).battery, &forecast));
        }
    }
    ASSERT_TRUE(forecastHealth(trends, dayRecord(90, 0, 0).battery, &forecast));
    EXPECT_EQ(forecast.days, 90);
    EXPECT_NEAR(forecast.pointsPerMonth, 0.03 * 365.2425 / 12, 1e-9);
    ASSERT_TRUE(forecast.perCycles);
    EXPECT_NEAR(forecast.pointsPer100Cycles, 3.0, 1e-9);
    ASSERT_TRUE(forecast.reaches);
    EXPECT_EQ(forecast.year, 2027);
    EXPECT_EQ(forecast.month, 10);
    // Another battery in its place starts a history of its own.
    addToHealthTrends(dayRecord(91, 50000, 0, "other"), &trends);
    EXPECT_FALSE(forecastHealth(trends, dayRecord(91, 0, 0, "other").battery, &forecast));
}

TEST(HealthForecast, ABatteryThatDoesNotWear) {
    HealthTrends trends;
    startHealthTrends(trends);
    for (int day = 0; day <= 70; day += 10) addToHealthTrends(dayRecord(day, 45000, kUnknown), &trends);
    HealthForecast forecast;
    ASSERT_TRUE(forecastHealth(trends, dayRecord(70, 0, 0).battery, &forecast));
    EXPECT_NEAR(forecast.pointsPerMonth, 0, 1e-9);
    EXPECT_FALSE(forecast.perCycles);
    EXPECT_FALSE(forecast.reaches);
}

// ---------------------------------------------------------------- report

TEST(HealthReport, JsonAsScriptsReadIt) {
    char out[kHealthReportSize];
    EXPECT_EQ(std::string(out, formatHealthJson(readingOf({}), out, sizeof out)), "{\"batteries\":[]}\n");
    BatteryHealth b = aBattery();
    EXPECT_EQ(std::string(out, formatHealthJson(readingOf({b}), out, sizeof out)),
              "{\"batteries\":[{\"name\":\"BAT0\",\"maker\":\"SMP\",\"model\":\"5B10W13930\",\"serial\":\"1234\","
              "\"technology\":\"Li-ion\",\"design_wh\":57.02,\"full_wh\":51.234,\"design_mah\":null,"
              "\"full_mah\":null,\"health_percent\":89.9,\"cycles\":123,\"power_w\":-8.123,\"voltage_v\":12.345}]}\n");
    // Unknown is null, never 0; above the design the health shows 100 and
    // the capacity as read; texts are escaped, whatever bytes they hold.
    BatteryHealth odd = unknownBatteryHealth();
    snprintf(odd.name, sizeof odd.name, "BAT1");
    snprintf(odd.maker, sizeof odd.maker, "A \"B\" \\ \x01 \xff \xe6\x97\xa5");
    odd.designMah = 2000;
    odd.fullMah = 2100;
    odd.powerMw = 0;
    EXPECT_EQ(std::string(out, formatHealthJson(readingOf({odd}), out, sizeof out)),
              "{\"batteries\":[{\"name\":\"BAT1\",\"maker\":\"A \\\"B\\\" \\\\ \\u0001 \\ufffd \xe6\x97\xa5\","
              "\"model\":null,\"serial\":null,\"technology\":null,\"design_wh\":null,\"full_wh\":null,"
              "\"design_mah\":2000,\"full_mah\":2100,\"health_percent\":100.0,\"cycles\":null,\"power_w\":0,"
              "\"voltage_v\":null}]}\n");
    EXPECT_EQ(formatHealthJson(readingOf({b, b}), out, 100), 0u);  // does not fit: nothing
    EXPECT_STREQ(out, "");
}

TEST(HealthReport, TextPerBatteryAndCombined) {
    char out[kHealthReportSize];
    formatHealthText(readingOf({}), nullptr, out, sizeof out);
    EXPECT_STREQ(out, "ﾊﾞｯﾃﾘｰがありません\n");
    BatteryHealth second = aBattery("BAT1", 20000, kUnknown);
    second.designMwh = 24000;
    second.maker[0] = '\0';
    second.powerMw = kUnknown;
    formatHealthText(readingOf({aBattery(), second}), nullptr, out, sizeof out);
    EXPECT_STREQ(out,
                 "ﾊﾞｯﾃﾘｰ BAT0\n"
                 "  ﾒｰｶｰ: SMP\n  ﾓﾃﾞﾙ: 5B10W13930\n  ｼﾘｱﾙ番号: 1234\n  種類: Li-ion\n"
                 "  設計容量: 57.02 Wh\n  満充電容量: 51.23 Wh\n  健全度: 89.9 %\n  劣化度: 10.1 %\n"
                 "  ｻｲｸﾙ数: 123\n  電力: -8.12 W\n  電圧: 12.35 V\n"
                 "ﾊﾞｯﾃﾘｰ BAT1\n"
                 "  ﾒｰｶｰ: -\n  ﾓﾃﾞﾙ: 5B10W13930\n  ｼﾘｱﾙ番号: 1234\n  種類: Li-ion\n"
                 "  設計容量: 24.00 Wh\n  満充電容量: 20.00 Wh\n  健全度: 83.3 %\n  劣化度: 16.7 %\n"
                 "  ｻｲｸﾙ数: -\n  電力: -\n  電圧: 12.35 V\n"
                 "合計\n"
                 "  設計容量: 81.02 Wh\n  満充電容量: 71.23 Wh\n  健全度: 87.9 %\n  劣化度: 12.1 %\n  電力: -\n");
}

// The command line: the text report takes the forecast from the history.
// 91 daily lines losing 15 mWh and gaining one cycle a day: enough for a forecast.
void putNinetyDaysOfWear() {
    std::string file = std::string(kHistoryVersionLine) + "\r\n";
    for (int day = 0; day <= 90; ++day) {
        char line[kHistoryLineSize];
        formatHistoryLine(dayRecord(day, 50000 - 15 * day, 100 + day), line, sizeof line);
        file += std::string(line) + "\r\n";
    }
    sim::putFile(kHistory, file);
}

TEST_F(HealthProgram, TheCommandWithTheHistory) {
    EXPECT_EQ(healthCommandOf("--health"), HealthCommand::Text);
    EXPECT_EQ(healthCommandOf("--health=json"), HealthCommand::Json);
    EXPECT_EQ(healthCommandOf("--health=xml"), HealthCommand::Bad);
    EXPECT_EQ(healthCommandOf("--healthy"), HealthCommand::None);
    EXPECT_EQ(healthCommandOf("-A"), HealthCommand::None);
    putNinetyDaysOfWear();
    static char out[kHealthReportSize];
    HealthReading now = readingOf({dayRecord(90, 48650, 190).battery});
    renderHealthCommand(HealthCommand::Text, now, kHistory, out, sizeof out);
    std::string text = out;
    EXPECT_NE(text.find("  劣化の速さ: 1か月に0.91ﾎﾟｲﾝﾄ、100ｻｲｸﾙで3.00ﾎﾟｲﾝﾄ\n  予測: 2027年10月に80 %に達する見込み\n"),
              std::string::npos)
        << text;
    sim::setFileTrusted(kHistory, false);  // someone else could have written it
    renderHealthCommand(HealthCommand::Text, now, kHistory, out, sizeof out);
    EXPECT_EQ(std::string(out).find("予測"), std::string::npos);
}

// In English the report says the same figures in English words, with no
// Japanese left; the JSON scripts read is the same bytes in both.
TEST_F(HealthProgram, TheCommandInEnglish) {
    putNinetyDaysOfWear();
    static char out[kHealthReportSize];
    const HealthReading now = readingOf({dayRecord(90, 48650, 190).battery});
    std::string json[2];
    for (Language language : {Language::Japanese, Language::English}) {
        setProgramLanguage(language);
        renderHealthCommand(HealthCommand::Json, now, kHistory, out, sizeof out);
        json[language == Language::English] = out;
    }
    EXPECT_EQ(json[1], json[0]);
    renderHealthCommand(HealthCommand::Text, now, kHistory, out, sizeof out);
    EXPECT_STREQ(out,
                 "Battery BAT0\n"
                 "  Manufacturer: SMP\n  Model: 5B10W13930\n  Serial number: 1234\n  Chemistry: Li-ion\n"
                 "  Design capacity: 50.00 Wh\n  Full charge capacity: 48.65 Wh\n  Health: 97.3 %\n  Wear: 2.7 %\n"
                 "  Cycle count: 190\n  Power: -8.12 W\n  Voltage: 12.35 V\n"
                 "  Wear rate: 0.91 points a month, 3.00 points per 100 cycles\n"
                 "  Forecast: likely to reach 80 % in 2027-10\n");
    BatteryHealth relative = unknownBatteryHealth();
    relative.designRelative = 5000;
    formatHealthText(readingOf({relative, aBattery()}), nullptr, out, sizeof out);
    for (const char* c = out; *c; ++c) ASSERT_GE(*c, 0) << "not ASCII: " << out;
    EXPECT_NE(std::string(out).find("Battery -\n  Manufacturer: -\n"), std::string::npos) << out;
    EXPECT_NE(std::string(out).find("  Design capacity: 5000 (relative)\n"), std::string::npos) << out;
    EXPECT_NE(std::string(out).find("\nAll batteries\n"), std::string::npos) << out;
    formatHealthText(readingOf({}), nullptr, out, sizeof out);
    EXPECT_STREQ(out, "No battery\n");
    setProgramLanguage(Language::Japanese);
}

}  // namespace
