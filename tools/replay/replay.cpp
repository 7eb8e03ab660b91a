// celwrd-replay: runs the monitor on a simulated machine against a recorded
// power trace and prints what the program would do, so thresholds, display
// items and event scripts can be tried without unplugging anything. It
// never writes a file and never starts a program.
//
//   celwrd-replay [-A] [--lang ja|en] [--settings FILE] [--script FILE] [--wake-ups] TRACE
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/language.h"
#include "monitor/local_time.h"
#include "platform/sim/sim_platform.h"
#include "replay_engine.h"

namespace {

struct Options {
    bool autoExit = false;
    bool wakeUps = false;  // how often the timers woke the program, on stderr
    std::string settingsFile;
    std::string scriptFile;
    std::string traceFile;
};

int usage(const char* problem) {
    if (problem) fprintf(stderr, "celwrd-replay: %s\n", problem);
    fprintf(stderr, "usage: celwrd-replay [-A] [--lang ja|en] [--settings FILE] [--script FILE] [--wake-ups] TRACE\n");
    return 2;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-A") {
            options.autoExit = true;
        } else if (arg == "--wake-ups") {
            options.wakeUps = true;
        } else if (arg == "--lang" && i + 1 < argc) {
            // What the program says changes with it, what it does and writes not.
            Language language;
            if (!languageOfName(argv[++i], &language)) return false;
            setProgramLanguage(language);
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

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) return usage(nullptr);
    std::vector<TraceLine> lines;
    if (!readTrace(options.traceFile, lines)) return 2;
    static char buffer[1 << 16];
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    ReplaySetup setup;
    setup.autoExit = options.autoExit;
    setup.programPath = programPath(options);
    std::string settings, script;
    if (!options.settingsFile.empty()) {
        if (!readWholeFile(options.settingsFile, settings)) {
            fprintf(stderr, "celwrd-replay: cannot read %s\n", options.settingsFile.c_str());
            return 2;
        }
        setup.settings = &settings;
    }
    // Without a script named, the one in the program directory, if present
    // (the current directory when there is no settings file either).
    std::string scriptFile = options.scriptFile;
    if (scriptFile.empty()) scriptFile = directoryOf(options.settingsFile) + "AUTOEXEC.CLW";
    if (readWholeFile(scriptFile, script)) {
        setup.script = &script;
    } else if (!options.scriptFile.empty()) {
        fprintf(stderr, "celwrd-replay: cannot read %s\n", scriptFile.c_str());
        return 2;
    }
    if (!runReplay(setup, lines, stdout)) return 2;
    if (options.wakeUps) fprintf(stderr, "%lld timer wake-ups\n", static_cast<long long>(sim::timerWakeUps()));
    return 0;
}
