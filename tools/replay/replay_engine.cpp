// The replay's engine: the program started as the real one starts, on a
// simulated machine that follows a power trace, with everything it does
// printed as one line each.
#include "replay_engine.h"

#include <cstdarg>
#include <cstring>

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "actions/health_history.h"
#include "app/apply_settings.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "app/power_broadcast.h"
#include "dialogs/main_dialog.h"
#include "monitor/health_watch.h"
#include "monitor/local_time.h"
#include "monitor/monitor_timers.h"
#include "monitor/presentation.h"
#include "platform/sim/sim_battery_health.h"
#include "platform/sim/sim_platform.h"
#include "ui/sim/sim_front_end.h"
#include "settings/settings_file.h"

namespace {

constexpr WindowHandle kMainWindow = 1;

struct Output {
    std::string caption;
    int icon = -1;
    std::string settingsPath;
    bool ended = false;  // the main dialog was ended
};

Output output;
FILE* out = stdout;

// ------------------------------------------------------------- printing

// Puts `value` (0..99, or 0..999 with three places) into `out` with zeros.
void putDigits(char* out, int value, int places) {
    for (int i = places - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// "YYYY-MM-DD HH:MM:SS.mmm ", the date put together once a day: a day's
// replay prints a caption every second.
void printTime(const LocalTime& t) {
    static uint16_t year, month, day;
    static char text[32];
    static int dateLength;
    if (t.year != year || t.month != month || t.day != day) {
        year = t.year, month = t.month, day = t.day;
        dateLength = snprintf(text, 20, "%04d-%02d-%02d ", t.year, t.month, t.day);
    }
    char* clock = text + dateLength;
    if (t.hour > 99 || t.minute > 99 || t.second > 99 || t.milliseconds > 999) {  // never from a clock
        fprintf(out, "%.*s%02d:%02d:%02d.%03d ", dateLength, text, t.hour, t.minute, t.second, t.milliseconds);
        return;
    }
    putDigits(clock, t.hour, 2);
    clock[2] = ':';
    putDigits(clock + 3, t.minute, 2);
    clock[5] = ':';
    putDigits(clock + 6, t.second, 2);
    clock[8] = '.';
    putDigits(clock + 9, t.milliseconds, 3);
    clock[12] = ' ';
    fwrite(text, 1, static_cast<size_t>(dateLength) + 13, out);
}

// A line of a word and a text, the most frequent kind.
void printText(const LocalTime& t, const char* word, const char* text) {
    printTime(t);
    fputs(word, out);
    fputs(text, out);
    fputc('\n', out);
}

void printAt(const LocalTime& t, const char* format, ...) __attribute__((format(printf, 2, 3)));

void printAt(const LocalTime& t, const char* format, ...) {
    printTime(t);
    va_list args;
    va_start(args, format);
    vfprintf(out, format, args);
    va_end(args);
    fputc('\n', out);
}

LocalTime now() {
    LocalTime t;
    platformGetLocalTime(&t);
    return t;
}

void onCall(const sim::Call& call) {
    switch (call.kind) {
    case sim::CallKind::SetCaption:
        if (call.text != output.caption) printText(call.at, "caption ", call.text.c_str());
        output.caption = call.text;
        break;
    case sim::CallKind::SetClassIcon:
        if (call.number != output.icon) printAt(call.at, "icon %d", static_cast<int>(call.number));
        output.icon = static_cast<int>(call.number);
        break;
    case sim::CallKind::TrayAdd: printAt(call.at, "tray add"); break;
    case sim::CallKind::TrayDelete: printAt(call.at, "tray delete"); break;
    case sim::CallKind::PlaySound: printAt(call.at, "sound %s", call.text.c_str()); break;
    case sim::CallKind::RunAndWait: printAt(call.at, "run %s | %s", call.text2.c_str(), call.text.c_str()); break;
    case sim::CallKind::Launch: printAt(call.at, "launch %s | %s", call.text2.c_str(), call.text.c_str()); break;
    case sim::CallKind::AskYesNo: printAt(call.at, "ask %s", call.text.c_str()); break;
    case sim::CallKind::ReplaceFile:
        if (call.text == output.settingsPath) printAt(call.at, "save");
        break;
    case sim::CallKind::EndMainDialog:
        output.ended = true;
        sim::stopRunning();
        break;
    default: break;
    }
}

void onScript(int trigger) { printAt(now(), "script %d", trigger); }

void onHistoryLine(const char* line) { printText(now(), "history ", line); }

// The batteries as the trace's health lines last said: a line replaces
// the battery of its name, or adds it.
HealthReading batteries;

void setBatteryHealth(const BatteryHealth& battery, bool removed) {
    int at = 0;
    while (at < batteries.count && strcmp(batteries.batteries[at].name, battery.name) != 0) ++at;
    if (removed) {
        if (at == batteries.count) return;
        for (int i = at; i + 1 < batteries.count; ++i) batteries.batteries[i] = batteries.batteries[i + 1];
        --batteries.count;
    } else if (at < batteries.count) {
        batteries.batteries[at] = battery;
    } else if (at < kMostBatteries) {
        batteries.batteries[batteries.count++] = battery;
    }
    sim::setBatteryHealth(batteries);
}

void onLogLine(const char* line, const char* filePath) {
    LocalTime t = now();
    if (filePath) printText(t, "file ", filePath);
    printText(t, "log ", line);
}

// ------------------------------------------------------------- the machine

// As a process starts: what earlier runs left in the program's records goes.
void resetProgramState() {
    stopMainTimer();
    stopLogTimer();
    sim::reset();
    simui::resetScreen();
    output = Output{};
    resetMonitor();
    resetEventScript();
    forgetTrayIcon();
    resetPowerBroadcasts();
    resetHealthWatch();
    batteries = HealthReading{};
    for (WindowPlacement& p : dialogPlacements) p = {kUseDefault, kUseDefault, kUseDefault, kUseDefault, 0};
}

bool prepareMachine(const ReplaySetup& setup, const TraceLine& first, const PowerReading& firstReading) {
    resetProgramState();
    sim::setArmingLapses(false);  // only the program arms its timers
    sim::setRecording(false);
    sim::setEveryDirectoryExists(true);
    sim::setWindowsDirectory("C:\\WINDOWS");
    simui::setYesNoAnswer(true);
    sim::setClock(first.time);
    sim::setPower(firstReading.acLineStatus, firstReading.batteryFlag, firstReading.batteryLifePercent);

    std::string commandLine = "\"" + setup.programPath + "\"" + (setup.autoExit ? " -A" : "");
    initSettingsRecords();
    if (!parseCommandLine(commandLine.c_str())) return false;
    char path[kPathSize];
    settingsFilePath(path);
    output.settingsPath = path;
    if (setup.settings) sim::putFile(path, *setup.settings);
    eventScriptPath(path);
    if (setup.script) sim::putFile(path, *setup.script);
    return true;
}

// Start-up as the program does it, up to its first tick. The main
// dialog's first initialisation gives it the plain battery icon.
void startProgram() {
    earlyInitialise();
    startUp();
    simui::setMainWindow(kMainWindow);
    simui::setMinimisedAndVisible(true);
    frontEndSetClassIcon(kMainWindow, 1);
    runEventScript(kTriggerBoot);
}

// As the main dialog applies itself: the copy as its controls give it
// back, then applied.
void applyMainDialog() {
    normaliseMainDialogCopy();
    applyMainDialogCopy();
}

void endProgram() {
    shutDown();
    printAt(now(), "exit");
}

// Ticks that fall due before `time`; those due at `time` come after the
// line of that time.
void runUntil(const LocalTime& time) {
    int64_t ahead = timeDiff(time, now());
    if (ahead <= 0) return;
    sim::runFor(ahead - 1);
    if (!output.ended) sim::stall(1);
}

// Returns false once the program has ended.
bool handle(const TraceLine& line) {
    switch (line.event) {
    case TraceEvent::None:
        sim::setPower(line.reading.acLineStatus, line.reading.batteryFlag, line.reading.batteryLifePercent);
        return true;
    case TraceEvent::Health: setBatteryHealth(line.battery, line.removed); return true;
    case TraceEvent::Suspend: onPowerBroadcast(kPbtQuerySuspend); return true;
    case TraceEvent::Standby: onPowerBroadcast(kPbtQueryStandby); return true;
    case TraceEvent::Resume: onPowerBroadcast(kPbtResumeSuspend); return true;
    case TraceEvent::EndSession:
        // The system ends the process once the notice is answered.
        onEndSession(1);
        printAt(now(), "exit");
        return false;
    case TraceEvent::Exit:
        // The exit button applies the dialog, then the window's destruction
        // applies it once more before the program shuts down.
        applyMainDialog();
        applyMainDialog();
        endProgram();
        return false;
    }
    return true;
}

const PowerReading& firstReading(const std::vector<TraceLine>& lines) {
    for (const TraceLine& line : lines)
        if (line.event == TraceEvent::None) return line.reading;
    return lines.front().reading;
}

bool running;  // lines are still being followed
bool closed;   // a line ended the program (exit, end of session)

}  // namespace

bool startReplay(const ReplaySetup& setup, const TraceLine& first, const PowerReading& reading, FILE* printTo) {
    out = printTo;
    if (!prepareMachine(setup, first, reading)) return false;
    sim::setCallObserver(onCall);
    setEventScriptObserver(onScript);
    setLogLineObserver(onLogLine);
    setHistoryLineObserver(onHistoryLine);
    startProgram();
    running = true;
    closed = false;
    return true;
}

bool replayLine(const TraceLine& line) {
    if (!running) return false;
    runUntil(line.time);
    if (output.ended) running = false;
    else if (!handle(line)) running = false, closed = true;
    return running;
}

void finishReplay() {
    if (!closed) {
        if (!output.ended) sim::runFor(0);  // the ticks due at the last line's time
        if (output.ended) applyMainDialog();  // the main window's destruction
        endProgram();
    }
    running = false;
    closed = true;
    sim::setCallObserver(nullptr);
    setEventScriptObserver(nullptr);
    setLogLineObserver(nullptr);
    setHistoryLineObserver(nullptr);
}

bool runReplay(const ReplaySetup& setup, const std::vector<TraceLine>& lines, FILE* printTo) {
    if (lines.empty() || !startReplay(setup, lines.front(), firstReading(lines), printTo)) return false;
    for (const TraceLine& line : lines)
        if (!replayLine(line)) break;
    finishReplay();
    return true;
}
