// The armed timers wake only where a tick has something to do. Random
// traces, settings, clock changes, held threads, suspends and settings
// applied or read again run twice through the replay engine: once with
// every timer ticking at every 100 ms step (the reference), once armed.
// What the program does must be the same, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/apply_settings.h"
#include "monitor/local_time.h"
#include "platform/sim/sim_platform.h"
#include "platform/time_count.h"
#include "platform/timer_table.h"
#include "replay_engine.h"

namespace {

const char kSettingsPath[] = "C:\\T\\celwrd.INI";

struct Random {
    uint64_t state;
    uint64_t next() {  // splitmix64: the same sequence everywhere
        uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    int64_t below(int64_t n) { return static_cast<int64_t>(next() % static_cast<uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
};

// From 0 to hours, on and off the 100 ms steps, a few below 0.
int64_t interval(Random& r) {
    switch (r.below(8)) {
    case 0: return 0;
    case 1: return -r.below(5000);
    case 2: return 1 + r.below(250);
    case 3: return 100 * (1 + r.below(100));
    case 4: return 1 + r.below(20000);
    case 5: return 60000;
    case 6: return 1 + r.below(3 * 3600000);
    default: return r.chance(50) ? 1000 : 2147483647;
    }
}

std::string settingsFile(Random& r) {
    std::string text;
    auto key = [&text](const char* name, int64_t value) { text += std::string(name) + " = " + std::to_string(value) + "\n"; };
    for (int slot = 0; slot < 5; ++slot)
        key(("Cscreen.Sdisplayitems[" + std::to_string(slot) + "]").c_str(), r.below(6));
    key("Cscreen.Sdisplayinterval", interval(r));
    key("Cscreen.Stimeformat", r.below(4));
    key("Cscreen.Sshowtasktray", r.below(2));
    key("Cbattery.Scheckinterval", interval(r));
    key("Clogfile.Sneedsavelogfile", r.below(2));
    key("Clogfile.Sneedsavelogfiletime", r.below(2));
    key("Clogfile.Sneedsavelogfilebattery", r.below(2));
    key("Clogfile.Soutputinterval", interval(r));
    key("Csound.Slowbatteryperc", r.below(40));
    key("Cmanip.Sasksuspendok", r.chance(20));
    return text;
}

// What happens after a line has been followed, before the next one.
enum class Between { Nothing, ClockSet, Held, QueryFails, Apply, BeginEdit, Cancel, CancelSound, NewFile };

struct Step {
    TraceLine line;
    Between between;
    int64_t amount;
    std::string file;
};

struct Scenario {
    bool autoExit;
    std::string settings;
    std::vector<Step> steps;
};

PowerReading reading(Random& r, int& percent) {
    if (r.chance(60)) percent = percent + static_cast<int>(r.below(3)) - 1;
    else percent = static_cast<int>(r.below(101));
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    static const uint8_t kFlags[] = {0, 8, 128, 255, 9, 1};
    uint8_t ac = r.chance(45) ? 0 : r.chance(90) ? 1 : 255;
    uint8_t flag = kFlags[r.below(6)];
    return PowerReading{ac, flag, static_cast<uint8_t>(r.chance(8) ? 255 : percent)};
}

TraceEvent event(Random& r) {
    int64_t roll = r.below(100);
    if (roll < 80) return TraceEvent::None;
    if (roll < 88) return TraceEvent::Suspend;
    if (roll < 91) return TraceEvent::Standby;
    if (roll < 98) return TraceEvent::Resume;
    return roll < 99 ? TraceEvent::EndSession : TraceEvent::Exit;
}

// Line times follow the wall clock as the run moves it, so that a clock set
// back does not make the next line hours away.
Scenario scenario(uint64_t seed) {
    Random r{seed};
    Scenario s;
    s.autoExit = r.chance(10);
    s.settings = settingsFile(r);
    int64_t wall = toMsCount(LocalTime{2026, 3, 0, 28, 23, 0, 0, 0}) + r.below(3600000);
    int percent = static_cast<int>(r.below(101));
    int lines = 2 + static_cast<int>(r.below(24));
    for (int i = 0; i < lines; ++i) {
        Step step{};
        int64_t gap = r.chance(40) ? r.below(1000) : r.chance(70) ? r.below(15000) : r.below(240000);
        wall += i == 0 ? 0 : gap;
        step.line.time = fromTimeCount(wall * 10000);
        step.line.event = i == 0 ? TraceEvent::None : event(r);
        step.line.reading = reading(r, percent);
        step.between = static_cast<Between>(r.chance(50) ? 0 : r.below(9));
        if (step.between == Between::ClockSet) {
            step.amount = (r.chance(50) ? -1 : 1) * (r.chance(50) ? r.below(5000) : r.below(6 * 3600000));
            wall += step.amount;
        } else if (step.between == Between::Held) {
            step.amount = r.chance(70) ? r.below(3000) : r.below(7200000);
            wall += step.amount;
        } else if (step.between == Between::Apply) {
            step.amount = r.next();
        } else if (step.between == Between::NewFile) {
            step.file = settingsFile(r);
        }
        s.steps.push_back(step);
    }
    return s;
}

// A change of the main dialog's copy, applied as its OK button does.
void applyChange(uint64_t bits) {
    MainDialogCopy& c = mainDialogCopy;
    c.logEnabled = bits & 1;
    c.logTrigger = (bits >> 1) & 1;
    c.logIntervalSeconds = 1 + static_cast<int32_t>((bits >> 2) % 300);
    c.showTaskTray = (bits >> 12) & 1;
    c.displayItems[0] = static_cast<int32_t>((bits >> 13) % 6);
    applyMainDialogCopy();
}

void between(const Step& step) {
    switch (step.between) {
    case Between::Nothing: break;
    case Between::ClockSet: sim::shiftClock(step.amount); break;
    case Between::Held: sim::stall(step.amount); break;
    case Between::QueryFails: sim::setPowerQueryFails(true); break;
    case Between::Apply: applyChange(step.amount); break;
    case Between::BeginEdit: beginMainDialogEdit(); break;
    case Between::Cancel: restoreFromBackup(); break;
    case Between::CancelSound: restoreSettingsFromBackup(); break;
    case Between::NewFile: sim::putFile(kSettingsPath, step.file); break;  // read at the next resume
    }
    if (step.between != Between::QueryFails) sim::setPowerQueryFails(false);
}

std::string run(const Scenario& s, bool everyStep, int64_t* wakeUps) {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ReplaySetup setup;
    setup.autoExit = s.autoExit;
    setup.programPath = "C:\\T\\celwrd.exe";
    setup.settings = &s.settings;
    const std::string script = "[AC-OFF]\nC:\\\nslow.exe\n[BAT-LOW]\nC:\\\nslow.exe\n";
    setup.script = &script;
    startReplay(setup, s.steps.front().line, s.steps.front().line.reading, out);
    sim::setEveryStep(everyStep);
    sim::setProgramDuration("slow.exe", 1500);  // a waited program holds the ticks
    for (const Step& step : s.steps) {
        if (!replayLine(step.line)) break;
        between(step);
    }
    finishReplay();
    *wakeUps = sim::timerWakeUps();
    sim::setEveryStep(false);
    fclose(out);
    std::string result(text, size);
    free(text);
    return result;
}

std::string firstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    size_t line = a.rfind('\n', at);
    line = line == std::string::npos ? 0 : line + 1;
    return "every step: " + a.substr(line, a.find('\n', at) - line) + "\narmed:      " +
           b.substr(line, b.find('\n', at) - line);
}

TEST(WakeSchedule, ArmedTimersDoWhatTicksAtEveryStepDo) {
    const char* count = getenv("WAKE_SCENARIOS");
    const uint64_t scenarios = count ? strtoull(count, nullptr, 10) : 2000;
    for (uint64_t seed = 1; seed <= scenarios; ++seed) {
        Scenario s = scenario(seed);
        int64_t reference, armed;
        std::string expected = run(s, true, &reference);
        std::string got = run(s, false, &armed);
        ASSERT_TRUE(expected == got) << "seed " << seed << "\n" << firstDifference(expected, got);
        EXPECT_LE(armed, reference) << "seed " << seed;
    }
}

// An hour discharging: the program wakes once per due event, both timers'
// steps served together.
TEST(WakeSchedule, WakesOnlyForWhatIsDue) {
    struct Row {
        const char* settings;
        int64_t most;
    } rows[] = {
        {"", 3600 + 1},  // a query and a refresh each second
        {"Cscreen.Sdisplayinterval = 60000\nCbattery.Scheckinterval = 10000\n", 360 + 1},
        {"Clogfile.Sneedsavelogfiletime = 1\nClogfile.Sneedsavelogfilebattery = 0\n"
         "Cscreen.Sdisplayinterval = 600000\nCbattery.Scheckinterval = 600000\n",
         60 + 6 + 1},  // a log record each minute
    };
    for (const Row& row : rows) {
        std::string settings = row.settings;
        std::vector<TraceLine> lines(2);
        lines[0].time = LocalTime{2026, 3, 0, 2, 8, 0, 0, 0};
        lines[0].reading = lines[1].reading = PowerReading{0, 0, 80};
        lines[1].time = LocalTime{2026, 3, 0, 2, 9, 0, 0, 0};
        ReplaySetup setup;
        setup.programPath = "C:\\T\\celwrd.exe";
        setup.settings = &settings;
        FILE* out = fopen("/dev/null", "w");
        runReplay(setup, lines, out);
        fclose(out);
        EXPECT_LE(sim::timerWakeUps(), row.most) << row.settings;
        EXPECT_GE(sim::timerWakeUps(), row.most / 2) << row.settings;
    }
}

// What the real platform layers set their system timers with.
TEST(WakeSchedule, PlatformTimersSleepToTheFirstStepOutsideTheQuietSpan) {
    TimerTable table;
    table.add(7, [] {});
    EXPECT_EQ(table.quietFor(7, 5000), 0);  // not armed: every step
    table.arm(7, 1000, 61000);
    EXPECT_EQ(table.quietFor(7, 1000), 0);
    EXPECT_EQ(table.quietFor(7, 60999), 1);
    EXPECT_EQ(table.quietFor(7, 61000), 0);
    table.arm(7, INT64_MIN, INT64_MAX);
    EXPECT_EQ(table.quietFor(7, 5000), INT64_MAX);
    EXPECT_EQ(table.quietFor(8, 5000), 0);  // not ours

    EXPECT_EQ(firstStepFrom(1000, 100, 1000), 1100);  // never the step just served
    EXPECT_EQ(firstStepFrom(1000, 100, 1101), 1200);
    EXPECT_EQ(firstStepFrom(1000, 100, 61000), 61000);
    EXPECT_EQ(firstStepFrom(1000, 100, 61001), 61100);

    const int64_t quarter = 15 * 60 * 1000, utc = 40 * quarter + 1234;
    EXPECT_EQ(wakeDelay(500, utc), 500);
    EXPECT_EQ(wakeDelay(INT64_MAX, utc), quarter - 1234);  // looks at the clock when zones change theirs
    EXPECT_EQ(wakeDelay(INT64_MAX, 40 * quarter), quarter);
}

}  // namespace
