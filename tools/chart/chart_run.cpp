#include "chart_run.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "chart.h"
#include "log_reader.h"
#include "platform/time_count.h"
#include "svg_text.h"

namespace {

constexpr int64_t kCountsPerSecond = 10000000;
// The axis spans the log, however short; a log of one moment gets the ten
// seconds after it.
constexpr int64_t kShortestAxis = 10;

// "YYYY-MM-DD", a real calendar day.
bool parseDay(const char* text, int64_t* seconds) {
    if (strlen(text) != 10 || text[4] != '-' || text[7] != '-') return false;
    int fields[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8}, widths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (int i = 0; i < widths[f]; ++i) {
            char ch = text[starts[f] + i];
            if (ch < '0' || ch > '9') return false;
            fields[f] = fields[f] * 10 + (ch - '0');
        }
    }
    LocalTime t{static_cast<uint16_t>(fields[0]), static_cast<uint16_t>(fields[1]), 0,
                static_cast<uint16_t>(fields[2]), 0, 0, 0, 0};
    int64_t count;
    if (!toTimeCount(t, &count)) return false;
    *seconds = count / kCountsPerSecond;
    return true;
}

int usage(FILE* err, const char* problem) {
    fprintf(err, "celwrd-chart: %s\n", problem);
    fprintf(err, "usage: celwrd-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] LOGFILE > chart.svg\n");
    return 2;
}

FILE* openLog(const char* path) {
#ifdef _WIN32
    // The name came from the wide command line; the narrow calls would
    // lose what the code page cannot spell.
    std::u16string name = utf8ToUtf16(path);
    std::wstring wide(name.begin(), name.end());
    return _wfopen(wide.c_str(), L"rb");
#else
    return fopen(path, "rb");
#endif
}

bool readLog(FILE* file, LogEventSink sink, void* context, LogCounts* counts) {
    if (fseek(file, 0, SEEK_SET) != 0) return false;
    LogReader reader;
    startLogReader(reader, sink, context);
    char buffer[1 << 16];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) feedLogReader(reader, buffer, got);
    finishLogReader(reader);
    if (counts) *counts = reader.counts;
    return !ferror(file);
}

struct Extent {
    bool any;
    int64_t first, last;
};

void noteExtent(const LogEvent& event, void* context) {
    Extent& e = *static_cast<Extent*>(context);
    if (!e.any) e.first = event.time;
    e.any = true;
    e.last = event.time;
}

void chartEvent(const LogEvent& event, void* context) { addToChart(*static_cast<Chart*>(context), event); }

void reportSkipped(FILE* err, const LogCounts& c) {
    if (c.unreadable)
        fprintf(err, "celwrd-chart: skipped %lld lines that are not lines of the battery log (the first is line %lld)\n",
                static_cast<long long>(c.unreadable), static_cast<long long>(c.firstUnreadable));
    if (c.undated)
        fprintf(err, "celwrd-chart: skipped %lld status lines before any open or close marker, which have no date "
                     "(the first is line %lld)\n",
                static_cast<long long>(c.undated), static_cast<long long>(c.firstUndated));
    if (c.outOfOrder)
        fprintf(err, "celwrd-chart: skipped %lld lines dated before lines above them (the first is line %lld)\n",
                static_cast<long long>(c.outOfOrder), static_cast<long long>(c.firstOutOfOrder));
}

std::string defaultTitle(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return std::string("バッテリーログ ") + name;
}

}  // namespace

bool parseChartOptions(int argc, char** argv, ChartOptions& o, const char** problem) {
    o = ChartOptions{};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool takesValue = !strcmp(arg, "--from") || !strcmp(arg, "--to") || !strcmp(arg, "--title");
        if (takesValue && i + 1 >= argc) {
            *problem = "an option lacks its value";
            return false;
        }
        if (!strcmp(arg, "--from") || !strcmp(arg, "--to")) {
            bool from = !strcmp(arg, "--from");
            int64_t day;
            if (!parseDay(argv[++i], &day)) {
                *problem = "a date must be a real day written YYYY-MM-DD";
                return false;
            }
            (from ? o.haveFrom : o.haveTo) = true;
            (from ? o.from : o.to) = from ? day : day + kSecondsPerDay;
        } else if (!strcmp(arg, "--title")) {
            o.title = argv[++i];
        } else if (arg[0] == '-' && arg[1] != '\0') {
            *problem = "unknown option";
            return false;
        } else if (!o.logPath) {
            o.logPath = arg;
        } else {
            *problem = "only one log file is charted";
            return false;
        }
    }
    if (!o.logPath) {
        *problem = "no log file named";
        return false;
    }
    if (o.haveFrom && o.haveTo && o.from >= o.to) {
        *problem = "--from is after --to";
        return false;
    }
    return true;
}

int runChart(int argc, char** argv, FILE* out, FILE* err) {
    ChartOptions options;
    const char* problem = nullptr;
    if (!parseChartOptions(argc, argv, options, &problem)) return usage(err, problem);
    FILE* file = openLog(options.logPath);
    if (!file) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.logPath);
        return 1;
    }
    // Two passes: the first finds the time axis, the second draws on it.
    Extent extent{};
    LogCounts counts{};
    bool read = readLog(file, noteExtent, &extent, &counts);
    int64_t start = options.haveFrom ? std::max(options.from, extent.first) : extent.first;
    int64_t end = options.haveTo ? std::min(options.to, extent.last) : extent.last;
    if (end - start < kShortestAxis) end = start + kShortestAxis;
    Chart chart;
    startChart(chart, start, end);
    bool inRange = extent.any && (!options.haveFrom || extent.last >= options.from) &&
                   (!options.haveTo || extent.first < options.to);
    if (read && inRange) read = readLog(file, chartEvent, &chart, nullptr);
    fclose(file);
    if (!read) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.logPath);
        return 1;
    }
    reportSkipped(err, counts);
    if (!chart.haveEvents) fprintf(err, "celwrd-chart: %s has no lines to chart%s\n", options.logPath,
                                   options.haveFrom || options.haveTo ? " between those days" : "");

    std::string title = options.title ? std::string(options.title) : defaultTitle(options.logPath);
    std::string svg;
    writeChartSvg(chart, title.c_str(), svg);
    if (fwrite(svg.data(), 1, svg.size(), out) != svg.size() || fflush(out) != 0) {
        fprintf(err, "celwrd-chart: cannot write the chart\n");
        return 1;
    }
    return 0;
}
