// celwrd-bench KIND COUNT: drives the monitor on the simulated machine with
// the default settings and calls COUNT ticks of one kind through a function
// named measured_*, so that callgrind --toggle-collect='measured_*' counts
// those ticks and nothing else. Kinds:
//   idle     a main and a log tick with nothing due (the pair)
//   sample   a main tick that queries the power, nothing changed, no refresh
//   display  a main tick that refreshes caption and icon, no power query
//   logline  a log tick that writes one record (the charge moved)
// It also counts the heap allocations made while the ticks ran.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "actions/event_script.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "monitor/monitor_timers.h"
#include "platform/sim/sim_platform.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: celwrd-bench idle|sample|display|logline COUNT\n");
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
