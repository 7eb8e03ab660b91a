// celwrd-bench KIND COUNT: drives the monitor on the simulated machine with
// the default settings and calls COUNT ticks of one kind through a function
// named measured_*, so that callgrind --toggle-collect='measured_*' counts
// those ticks and nothing else. Kinds:
//   idle     a main and a log tick with nothing due (the pair)
//   sample   a main tick that queries the power, nothing changed, no refresh
//   display  a main tick that refreshes caption and icon, no power query
//   logline  a log tick that writes one record (the charge moved)
//   history  five years of a battery's health history (2,000 lines) read
//            into the health report with its forecast, COUNT times
// It also counts the heap allocations made while the ticks ran.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <string>

#include "actions/event_script.h"
#include "actions/health_history.h"
#include "app/health_command.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "monitor/monitor_timers.h"
#include "platform/sim/sim_platform.h"
#include "platform/time_count.h"
#include "ui/sim/sim_front_end.h"
#include "settings/settings.h"

static long allocations;

void* operator new(size_t size) {
    ++allocations;
    if (void* p = malloc(size ? size : 1)) return p;
    abort();
}
void operator delete(void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }

extern "C" {
__attribute__((noinline)) void measured_idle_pair() {
    mainTick();
    logTick();
}
__attribute__((noinline)) void measured_main_tick() { mainTick(); }
__attribute__((noinline)) void measured_log_tick() { logTick(); }
__attribute__((noinline)) size_t measured_history_report(const HealthReading& reading, const char* path) {
    static char report[kHealthReportSize];
    return renderHealthCommand(HealthCommand::Text, reading, path, report, sizeof report);
}
}

namespace {

constexpr WindowHandle kMainWindow = 1;

void startProgram() {
    sim::reset();
    simui::resetScreen();
    sim::setRecording(false);
    sim::setEveryDirectoryExists(true);
    sim::setPower(0, 0, 60);
    initSettingsRecords();
    parseCommandLine("C:\\TOOLS\\celwrd.exe");
    earlyInitialise();
    startUp();
    simui::setMainWindow(kMainWindow);
    simui::setMinimisedAndVisible(true);
    runEventScript(kTriggerBoot);
}

// The timers are called by hand, on their 100 ms steps: tick k of a second
// is k * 100 ms past the grids' start, and the grids fall due at k = 0.
void step() { sim::stall(kTickMs); }

void pair() {
    step();
    mainTick();
    logTick();
}

// The rest of a second after its due tick.
void idleRest() {
    for (int k = 1; k < 10; ++k) pair();
}

constexpr char kHistoryPath[] = "C:\\TOOLS\\CELWRDHL.LOG";

// A line a day for five years, and one more at each change of the full
// capacity (every fourth day): 2,282 lines. The battery as it reads now.
BatteryHealth writeFiveYears() {
    BatteryHealth battery = unknownBatteryHealth();
    strcpy(battery.name, "BAT0");
    strcpy(battery.maker, "SMP");
    strcpy(battery.model, "5B10W13930");
    strcpy(battery.serial, "1234");
    strcpy(battery.technology, "Li-ion");
    battery.designMwh = 57020;
    battery.voltageMv = 12600;
    battery.powerMw = -9800;
    std::string file = std::string(kHistoryVersionLine) + "\r\n";
    int64_t start = toMsCount(LocalTime{2022, 1, 0, 1, 9, 0, 0, 0});
    for (int day = 0; day < 5 * 365 + 1; ++day) {
        for (int change = 0; change < (day % 4 == 3 ? 2 : 1); ++change) {
            battery.fullMwh = 57020 - 3 * day - change * 2;
            battery.cycles = day / 2;
            char line[kHistoryLineSize];
            LocalTime at = fromTimeCount((start + day * 86400000LL + change * 3600000LL) * 10000);
            file += std::string(line, formatHistoryLine(HealthRecord{at, 540, battery}, line, sizeof line)) + "\r\n";
        }
    }
    sim::putFile(kHistoryPath, file);
    return battery;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: celwrd-bench idle|sample|display|logline|history COUNT\n");
        return 2;
    }
    const char* kind = argv[1];
    long count = atol(argv[2]);
    startProgram();
    for (int second = 0; second < 3; ++second) {  // first report, event script, sounds
        idleRest();
        pair();
    }
    long before = allocations;
    if (strcmp(kind, "idle") == 0) {
        for (long done = 0; done < count;) {
            for (int k = 1; k < 10 && done < count; ++k, ++done) {
                step();
                measured_idle_pair();
            }
            pair();
        }
    } else if (strcmp(kind, "sample") == 0) {
        liveSettings.Cscreen.Sdisplayinterval = INT32_MAX;
        for (long done = 0; done < count; ++done) {
            idleRest();
            step();
            measured_main_tick();
            logTick();
        }
    } else if (strcmp(kind, "display") == 0) {
        liveSettings.Cbattery.Scheckinterval = INT32_MAX;
        for (long done = 0; done < count; ++done) {
            idleRest();
            step();
            measured_main_tick();
            logTick();
        }
    } else if (strcmp(kind, "history") == 0) {
        static HealthReading reading;
        reading.count = 1;
        reading.batteries[0] = writeFiveYears();
        before = allocations;
        size_t length = 0;
        for (long done = 0; done < count; ++done) length = measured_history_report(reading, kHistoryPath);
        printf("history: a report of %zu bytes\n", length);
    } else if (strcmp(kind, "logline") == 0) {
        for (long done = 0; done < count; ++done) {
            idleRest();
            step();
            sim::setPower(0, 0, static_cast<uint8_t>(done % 2 ? 60 : 59));
            mainTick();
            measured_log_tick();
        }
    } else {
        fprintf(stderr, "celwrd-bench: unknown kind %s\n", kind);
        return 2;
    }
    printf("%s: %ld ticks, %ld heap allocations, %d log lines in the ring\n", kind, count,
           allocations - before, liveSettings.Clogfile.logRing.writeIndex);
    return 0;
}
