// Any settings file, then a short trace, through the replay engine: the
// program starts, follows the trace and ends with its timers stopped, every
// file closed and its texts inside their buffers.
//
// The input is the settings file up to a line "--", then trace lines (the
// ones that do not parse are left out; a line earlier than the one before
// it, or more than a few simulated minutes after the first, ends the trace).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/local_time.h"
#include "monitor/monitor_timers.h"
#include "platform/sim/sim_platform.h"
#include "replay_engine.h"
#include "settings/settings.h"

namespace {

// Each simulated second is twenty ticks; a few minutes keep a run short.
constexpr int64_t kLongestTraceMs = 180000;
constexpr size_t kMostLines = 24;

const std::string kScript =
    "[BOOT]\nC:\\\nboot\n[START]\nC:\\\n!start\n[RESUME]\nC:\\\nresume\n[SUSPEND]\nC:\\\nsuspend\n"
    "[STOP]\nC:\\\nstop\n[END]\nC:\\\nend\n[AC-ON]\nC:\\\nac-on\n[AC-OFF]\nC:\\\nac-off\n"
    "[BAT-ON]\nC:\\\nbat-on\n[BAT-OFF]\nC:\\\nbat-off\n[BAT-FULL]\nC:\\\nbat-full\n[BAT-LOW]\nC:\\\nbat-low\n";

std::vector<TraceLine> traceOf(const std::string& text) {
    std::vector<TraceLine> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < kMostLines) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        TraceLine parsed;
        const char* error = nullptr;
        if (parseTraceLine(line.c_str(), &parsed, &error) != TraceParse::Line) continue;
        if (!lines.empty()) {
            int64_t after = timeDiff(parsed.time, lines.back().time);
            if (after < 0 || timeDiff(parsed.time, lines.front().time) > kLongestTraceMs) break;
        }
        lines.push_back(parsed);
    }
    return lines;
}

bool holdsAReading(const std::vector<TraceLine>& lines) {
    for (const TraceLine& line : lines)
        if (line.event == TraceEvent::None) return true;
    return false;
}

bool terminated(const char* text, size_t size) { return memchr(text, '\0', size) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* nowhere = fopen("/dev/null", "w");
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.rfind("--\n", 0) == 0 ? 0 : input.find("\n--\n");
    std::string settings = input.substr(0, split);
    std::string trace = split == std::string::npos ? "2026-12-08 09:00:00.000 0 0 50\n"
                                                   : input.substr(split + (split == 0 ? 3 : 4));
    std::vector<TraceLine> lines = traceOf(trace);
    if (!holdsAReading(lines)) return 0;

    ReplaySetup setup;
    setup.programPath = "C:\\P\\celwrd.exe";
    setup.settings = &settings;
    setup.script = &kScript;
    setup.autoExit = !settings.empty() && settings[0] == 'A';
    if (!runReplay(setup, lines, nowhere)) abort();

    if (sim::timerCount() != 0 || mainTimerRunning() || logTimerRunning()) abort();  // all stopped at the end
    if (sim::openFileCount() != 0 || sim::currentDirectory() != "C:\\") abort();
    if (!terminated(liveSettings.statusLine, sizeof liveSettings.statusLine) ||
        !terminated(liveSettings.itemsText, sizeof liveSettings.itemsText))
        abort();
    for (const char* line : liveSettings.Clogfile.logRing.slots)
        if (!terminated(line, kLogLineSize)) abort();
    return 0;
}
