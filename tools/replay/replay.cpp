// celwrd-replay: runs the monitor on a simulated machine against a recorded
// power trace and prints what the program would do, so thresholds, display
// items and event scripts can be tried without unplugging anything. It
// never writes a file and never starts a program.
//
//   celwrd-replay [-A] [--settings FILE] [--script FILE] TRACE
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "actions/battery_log.h"
#include "actions/event_script.h"
#include "app/power_broadcast.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "monitor/local_time.h"
#include "platform/sim/sim_platform.h"
#include "app/apply_settings.h"
#include "settings/settings_file.h"
#include "trace_line.h"

namespace {

constexpr WindowHandle kMainWindow = 1;

struct Options {
    bool autoExit = false;
    std::string settingsFile;
    std::string scriptFile;
    std::string traceFile;
};

struct Output {
    std::string caption;
    int icon = -1;
    std::string settingsPath;
    bool ended = false;  // the main dialog was ended
};

Output output;

int usage(const char* problem) {
    if (problem) fprintf(stderr, "celwrd-replay: %s\n", problem);
    fprintf(stderr, "usage: celwrd-replay [-A] [--settings FILE] [--script FILE] TRACE\n");
    return 2;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-A") {
            options.autoExit = true;
        } else if ((arg == "--settings" || arg == "--script") && i + 1 < argc) {
            (arg == "--settings" ? options.settingsFile : options.scriptFile) = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else if (options.traceFile.empty()) {
            options.traceFile = arg;
        } else {
            return false;
        }
    }
    return !options.traceFile.empty();
}

bool readWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    content = text.str();
    return true;
}

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
        printf("%s%02d:%02d:%02d.%03d ", std::string(text, dateLength).c_str(), t.hour, t.minute, t.second,
               t.milliseconds);
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
    fwrite(text, 1, static_cast<size_t>(dateLength) + 13, stdout);
}

// A line of a word and a text, the most frequent kind.
void printText(const LocalTime& t, const char* word, const char* text) {
    printTime(t);
    fputs(word, stdout);
    fputs(text, stdout);
    putchar('\n');
}

void printAt(const LocalTime& t, const char* format, ...) __attribute__((format(printf, 2, 3)));

void printAt(const LocalTime& t, const char* format, ...) {
    printTime(t);
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    putchar('\n');
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

void onLogLine(const char* line, const char* filePath) {
    LocalTime t = now();
    if (filePath) printText(t, "file ", filePath);
    printText(t, "log ", line);
}

// ------------------------------------------------------------- the machine

// The program's own path: beside the settings file, named after it.
std::string programPath(const Options& options) {
    if (options.settingsFile.empty()) return "celwrd.exe";
    std::string path = options.settingsFile;
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    return path + ".exe";
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool prepareMachine(const Options& options, const TraceLine& first, const PowerReading& firstReading) {
    sim::reset();
    sim::setRecording(false);
    sim::setEveryDirectoryExists(true);
    sim::setWindowsDirectory("C:\\WINDOWS");
    sim::setYesNoAnswer(true);
    sim::setClock(first.time);
    sim::setPower(firstReading.acLineStatus, firstReading.batteryFlag, firstReading.batteryLifePercent);

    std::string commandLine = "\"" + programPath(options) + "\"" + (options.autoExit ? " -A" : "");
    initSettingsRecords();
    if (!parseCommandLine(commandLine.c_str())) return false;
    char path[kPathSize];
    settingsFilePath(path);
    output.settingsPath = path;
    std::string content;
    if (!options.settingsFile.empty()) {
        if (!readWholeFile(options.settingsFile, content)) {
            fprintf(stderr, "celwrd-replay: cannot read %s\n", options.settingsFile.c_str());
            return false;
        }
        sim::putFile(path, content);
    }
    // Without a script named, the one in the program directory, if present
    // (the current directory when there is no settings file either).
    std::string script = options.scriptFile;
    if (script.empty()) script = directoryOf(options.settingsFile) + "AUTOEXEC.CLW";
    bool read = readWholeFile(script, content);
    if (!read && !options.scriptFile.empty()) {
        fprintf(stderr, "celwrd-replay: cannot read %s\n", script.c_str());
        return false;
    }
    eventScriptPath(path);
    if (read) sim::putFile(path, content);
    return true;
}

// Start-up as the program does it, up to its first tick. The main
// dialog's first initialisation gives it the plain battery icon.
void startProgram() {
    earlyInitialise();
    startUp();
    sim::setMainWindow(kMainWindow);
    sim::setMinimisedAndVisible(true);
    platformSetClassIcon(kMainWindow, 1);
    runEventScript(kTriggerBoot);
}

// What the main dialog's controls give back when it reads them before
// applying: check states 0 or 1, a list entry or no selection, whole
// seconds read without sign and kept within 1 .. 1000.
void readMainControls() {
    MainDialogCopy& c = mainDialogCopy;
    auto seconds = [](int32_t& value) { value = value < 1 ? 1 : value > 1000 ? 1000 : value; };
    for (int32_t* flag : {&c.autoCharge, &c.autoDischarge, &c.logEnabled, &c.hideTaskbar, &c.showTaskTray,
                          &c.askSuspend})
        *flag = *flag != 0;
    for (int32_t& item : c.displayItems)
        if (item < 0 || item > 5) item = -1;
    if (c.logTrigger != 1) c.logTrigger = 0;
    seconds(c.chargeSeconds);
    seconds(c.dischargeSeconds);
    seconds(c.logIntervalSeconds);
}

void applyMainDialog() {
    readMainControls();
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

bool readTrace(const std::string& path, std::vector<TraceLine>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "celwrd-replay: cannot read %s\n", path.c_str());
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        TraceLine line;
        const char* error = "";
        switch (parseTraceLine(text.c_str(), &line, &error)) {
        case TraceParse::Nothing: continue;
        case TraceParse::Error:
            fprintf(stderr, "%s:%d: %s\n", path.c_str(), number, error);
            return false;
        case TraceParse::Line:
            if (!lines.empty() && timeDiff(line.time, lines.back().time) < 0) {
                fprintf(stderr, "%s:%d: time goes backwards\n", path.c_str(), number);
                return false;
            }
            lines.push_back(line);
        }
    }
    for (const TraceLine& line : lines)
        if (line.event == TraceEvent::None) return true;
    fprintf(stderr, "celwrd-replay: %s holds no power reading\n", path.c_str());
    return false;
}

const PowerReading& firstReading(const std::vector<TraceLine>& lines) {
    for (const TraceLine& line : lines)
        if (line.event == TraceEvent::None) return line.reading;
    return lines.front().reading;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) return usage(nullptr);
    std::vector<TraceLine> lines;
    if (!readTrace(options.traceFile, lines)) return 2;
    static char buffer[1 << 16];
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    if (!prepareMachine(options, lines.front(), firstReading(lines))) return 2;
    sim::setCallObserver(onCall);
    setEventScriptObserver(onScript);
    setLogLineObserver(onLogLine);
    startProgram();

    for (const TraceLine& line : lines) {
        runUntil(line.time);
        if (output.ended) break;
        if (!handle(line)) return 0;
    }
    if (!output.ended) sim::runFor(0);  // the ticks due at the last line's time
    if (output.ended) applyMainDialog();  // the main window's destruction
    endProgram();
    return 0;
}
