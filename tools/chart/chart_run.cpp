#include "chart_run.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "actions/health_forecast.h"
#include "actions/health_history.h"
#include "base/language.h"
#include "base/texts.h"
#include "chart.h"
#include "health_chart.h"
#include "log_reader.h"
#include "platform/time_count.h"
#include "report.h"
#include "report_texts.h"
#include "svg_text.h"
#include "usage.h"

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

void printUsage(FILE* to) {
    fprintf(to, "usage: celwrd-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] LOGFILE > chart.svg\n");
    fprintf(to, "       celwrd-chart --health-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] [HISTORY] "
                "> health.svg\n");
    fprintf(to, "       celwrd-chart --report [--log LOGFILE] [--history HISTORY] [--from YYYY-MM-DD] "
                "[--to YYYY-MM-DD] [--title TEXT] > report.html\n");
#ifdef _WIN32
    fprintf(to, "       celwrd-chart --health[=json]\n");
#endif
    fprintf(to, "       any of them with --lang ja|en: the language of the texts, else the system's\n");
}

int usage(FILE* err, const char* problem) {
    fprintf(err, "celwrd-chart: %s\n", problem);
    printUsage(err);
    return 2;
}

int help(FILE* out) {
    printUsage(out);
    fputs("\n"
          "Draws the battery log (CELWRD.LOG) as an SVG chart of the charge and the seconds per 1 %;\n"
          "with --health-chart the health history (CELWRDHL.LOG) as an SVG chart of each battery's\n"
          "health and cycles; with --report both, with the batteries and how the machine was used,\n"
          "as one HTML page. Files not named are looked for where the program keeps its files.\n"
          "\n"
          "  --from, --to     only those days (both included)\n"
          "  --title TEXT     the title instead of the file's name\n"
          "  --log, --history the files of the report\n",
          out);
    return 0;
}

FILE* openFile(const char* path) {
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

// The whole file from its start, piece by piece into `feed`.
template <typename Feed>
bool readWhole(FILE* file, Feed feed) {
    if (fseek(file, 0, SEEK_SET) != 0) return false;
    char buffer[1 << 16];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) feed(buffer, got);
    return !ferror(file);
}

bool readLog(FILE* file, LogEventSink sink, void* context, LogCounts* counts) {
    LogReader reader;
    startLogReader(reader, sink, context);
    bool read = readWhole(file, [&](const char* data, size_t size) { feedLogReader(reader, data, size); });
    finishLogReader(reader);
    if (counts) *counts = reader.counts;
    return read;
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
    return std::string(text(IDS_CHART_LOG_TITLE)) + name;
}


std::string fileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return name;
}

// The log's chart over the days asked for: the first pass finds the time
// axis, the second draws on it (and tells the usage, for a report).
bool drawLog(FILE* file, const ChartOptions& options, Chart& chart, LogCounts& counts, Usage* usage) {
    Extent extent{};
    counts = LogCounts{};
    bool read = readLog(file, noteExtent, &extent, &counts);
    int64_t start = options.haveFrom ? std::max(options.from, extent.first) : extent.first;
    int64_t end = options.haveTo ? std::min(options.to, extent.last) : extent.last;
    if (end - start < kShortestAxis) end = start + kShortestAxis;
    startChart(chart, start, end);
    bool inRange = extent.any && (!options.haveFrom || extent.last >= options.from) &&
                   (!options.haveTo || extent.first < options.to);
    if (!read || !inRange) return read;
    if (!usage) return readLog(file, chartEvent, &chart, nullptr);
    struct Both {
        Chart* chart;
        Usage* usage;
    } both{&chart, usage};
    return readLog(
        file,
        [](const LogEvent& e, void* context) {
            Both& b = *static_cast<Both*>(context);
            addToChart(*b.chart, e);
            addLogToUsage(e, b.usage);
        },
        &both, nullptr);
}

bool readHistory(FILE* file, HealthRecordSink sink, void* context, int64_t* records) {
    HistoryReader reader;
    startHistoryReader(reader, sink, context);
    bool read = readWhole(file, [&](const char* data, size_t size) { feedHistoryReader(reader, data, size); });
    finishHistoryReader(reader);
    if (records) *records = reader.records;
    return read;
}

HealthWindow windowOf(const ChartOptions& o) { return HealthWindow{o.haveFrom, o.haveTo, o.from, o.to}; }

// The health chart of a history: the first pass finds the axes (and, for
// a report, the wear's trends and the usage), the second draws.
struct HistoryRun {
    HealthScan scan;
    HealthChart chart;
    HealthTrends trends;
    Usage* usage;
    int64_t records;
};

bool drawHistory(FILE* file, const ChartOptions& options, HistoryRun& run) {
    startHealthScan(run.scan, windowOf(options));
    startHealthTrends(run.trends);
    bool read = readHistory(
        file,
        [](const HealthRecord& record, void* context) {
            HistoryRun& r = *static_cast<HistoryRun*>(context);
            scanHealthRecord(record, &r.scan);
            // The pace of the wear takes the battery's whole history.
            addToHealthTrends(record, &r.trends);
            if (r.usage) addHistoryToUsage(record, r.usage);
        },
        &run, &run.records);
    startHealthChart(run.chart, run.scan);
    return read && readHistory(file, addToHealthChart, &run.chart, nullptr);
}

// Whether the file starts with the health history's version line.
bool historyVersionFirst(const char* path) {
    FILE* file = openFile(path);
    if (!file) return false;
    char start[sizeof kHistoryVersionLine];
    size_t got = fread(start, 1, sizeof start - 1, file);
    fclose(file);
    return got == sizeof start - 1 && memcmp(start, kHistoryVersionLine, got) == 0;
}

bool writeAll(FILE* out, FILE* err, const std::string& text, const char* what) {
    if (fwrite(text.data(), 1, text.size(), out) == text.size() && fflush(out) == 0) return true;
    fprintf(err, "celwrd-chart: cannot write the %s\n", what);
    return false;
}

int runLogChart(const ChartOptions& options, FILE* out, FILE* err) {
    FILE* file = openFile(options.logPath);
    if (!file) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.logPath);
        return 1;
    }
    Chart chart;
    LogCounts counts;
    bool read = drawLog(file, options, chart, counts, nullptr);
    fclose(file);
    if (!read) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.logPath);
        return 1;
    }
    reportSkipped(err, counts);
    if (!chart.haveEvents) {
        fprintf(err, "celwrd-chart: %s has no lines to chart%s\n", options.logPath,
                options.haveFrom || options.haveTo ? " between those days" : "");
        // A health history named in place of a log.
        if (counts.unreadable > 0 && counts.firstUnreadable == 1 && historyVersionFirst(options.logPath))
            fprintf(err, "celwrd-chart: %s is a health history: celwrd-chart --health-chart %s\n", options.logPath,
                    options.logPath);
    }

    std::string title = options.title ? std::string(options.title) : defaultTitle(options.logPath);
    std::string svg;
    writeChartSvg(chart, title.c_str(), svg);
    return writeAll(out, err, svg, "chart") ? 0 : 1;
}

std::string healthTitle(const char* path) { return std::string(reportTexts().healthTitle) + " " + fileName(path); }

int runHealthChart(const ChartOptions& options, const std::string& path, FILE* out, FILE* err) {
    FILE* file = openFile(path.c_str());
    if (!file) {
        fprintf(err, "celwrd-chart: cannot read %s\n", path.c_str());
        return 1;
    }
    static HistoryRun run;
    run.usage = nullptr;
    bool read = drawHistory(file, options, run);
    fclose(file);
    if (!read) {
        fprintf(err, "celwrd-chart: cannot read %s\n", path.c_str());
        return 1;
    }
    if (!run.chart.any) fprintf(err, "celwrd-chart: %s has no lines of a battery's health%s\n", path.c_str(),
                                options.haveFrom || options.haveTo ? " between those days" : "");
    if (run.chart.dropped) fprintf(err, "celwrd-chart: left out %lld lines of batteries beyond the first %d\n",
                                   static_cast<long long>(run.chart.dropped), kMostHealthSeries);
    std::string title = options.title ? std::string(options.title) : healthTitle(path.c_str());
    std::string svg;
    writeHealthSvg(run.chart, title.c_str(), true, svg);
    return writeAll(out, err, svg, "chart") ? 0 : 1;
}

int runReport(const ChartOptions& options, const ChartHost& host, FILE* out, FILE* err) {
    std::string historyPath = options.historyPath ? options.historyPath : defaultHistoryPath(host);
    std::string logPath = options.logPath ? options.logPath : defaultLogPath(host);
    static Usage usage;
    startUsage(usage, windowOf(options));
    static HistoryRun history;
    history.usage = &usage;
    ReportParts parts{};
    parts.history.path = historyPath.c_str();
    parts.log.path = logPath.c_str();
    parts.title = options.title;

    // A file named is one the user wants: not reading it is a failure. One
    // looked for may well not be there.
    if (FILE* file = historyPath.empty() ? nullptr : openFile(historyPath.c_str())) {
        parts.history.read = drawHistory(file, options, history);
        fclose(file);
        parts.history.lines = history.records;
    }
    if (!parts.history.read && options.historyPath) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.historyPath);
        return 1;
    }
    static Chart chart;
    LogCounts counts{};
    if (FILE* file = logPath.empty() ? nullptr : openFile(logPath.c_str())) {
        parts.log.read = drawLog(file, options, chart, counts, &usage);
        fclose(file);
        parts.log.lines = counts.lines - counts.unreadable - counts.undated - counts.outOfOrder;
    }
    if (!parts.log.read && options.logPath) {
        fprintf(err, "celwrd-chart: cannot read %s\n", options.logPath);
        return 1;
    }
    if (parts.log.read) reportSkipped(err, counts);
    if (!parts.history.read && !parts.log.read)
        fprintf(err, "celwrd-chart: found neither %s nor %s\n", historyPath.empty() ? "a health history" : historyPath.c_str(),
                logPath.empty() ? "a battery log" : logPath.c_str());

    std::string healthName = healthTitle(historyPath.c_str()), logName = defaultTitle(logPath.c_str());
    if (parts.history.read) {
        parts.health = &history.chart;
        parts.trends = &history.trends;
        parts.healthTitle = healthName.c_str();
    }
    if (parts.log.read) {
        parts.logChart = &chart;
        parts.logTitle = logName.c_str();
    }
    parts.usage = &usage;
    std::string page;
    writeReportHtml(parts, page);
    return writeAll(out, err, page, "report") ? 0 : 1;
}

bool isAbsolute(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

}  // namespace

std::string defaultHistoryPath(const ChartHost& host) {
    return host.filesFolder.empty() ? std::string() : host.filesFolder + kHistoryFileName;
}

std::string defaultLogPath(const ChartHost& host) {
    if (host.filesFolder.empty()) return std::string();
    std::string named;
    if (FILE* file = openFile((host.filesFolder + kSettingsFileName).c_str())) {
        // The key, a blank, then the value right after " = ", as the program reads it.
        static const char kKey[] = "Clogfile.Slogfilename ";
        char line[2048];
        while (fgets(line, sizeof line, file)) {
            size_t length = strcspn(line, "\r\n");
            line[length] = '\0';
            if (strncmp(line, kKey, sizeof kKey - 1) == 0 && length >= sizeof kKey - 1 + 2)
                named = line + sizeof kKey - 1 + 2;
        }
        fclose(file);
    }
    if (!named.empty() && host.systemTextToUtf8) named = host.systemTextToUtf8(named.c_str());
    if (named.empty()) return host.filesFolder + "CELWRD.LOG";
    return isAbsolute(named) ? named : host.filesFolder + named;
}

bool parseChartOptions(int argc, char** argv, ChartOptions& o, const char** problem) {
    o = ChartOptions{};
    o.mode = ChartMode::Log;
    const char* positional = nullptr;
    bool modeSet = false, filesNamed = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!strcmp(arg, "--help")) {
            o.mode = ChartMode::Help;
            return true;
        }
        bool takesValue = !strcmp(arg, "--from") || !strcmp(arg, "--to") || !strcmp(arg, "--title") ||
                          !strcmp(arg, "--log") || !strcmp(arg, "--history") || !strcmp(arg, "--lang");
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
        } else if (!strcmp(arg, "--lang") || !strncmp(arg, "--lang=", 7)) {
            const char* name = arg[6] == '=' ? arg + 7 : argv[++i];
            if (!languageOfName(name, &o.language)) {
                *problem = "--lang takes ja or en";
                return false;
            }
            o.languageNamed = true;
        } else if (!strcmp(arg, "--log") || !strcmp(arg, "--history")) {
            (!strcmp(arg, "--log") ? o.logPath : o.historyPath) = argv[++i];
            filesNamed = true;
        } else if (!strcmp(arg, "--health-chart") || !strcmp(arg, "--report")) {
            if (modeSet) {
                *problem = "--health-chart and --report do not go together";
                return false;
            }
            modeSet = true;
            o.mode = !strcmp(arg, "--report") ? ChartMode::Report : ChartMode::Health;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            *problem = "unknown option";
            return false;
        } else if (!positional) {
            positional = arg;
        } else {
            *problem = o.mode == ChartMode::Health ? "only one history is charted" : "only one log file is charted";
            return false;
        }
    }
    if (filesNamed && o.mode != ChartMode::Report) {
        *problem = "--log and --history go with --report";
        return false;
    }
    if (o.mode == ChartMode::Report && positional) {
        *problem = "the report takes its files with --log and --history";
        return false;
    }
    if (o.mode == ChartMode::Health) o.historyPath = positional;
    if (o.mode == ChartMode::Log) o.logPath = positional;
    if (o.mode == ChartMode::Log && !o.logPath) {
        *problem = "no log file named";
        return false;
    }
    if (o.haveFrom && o.haveTo && o.from >= o.to) {
        *problem = "--from is after --to";
        return false;
    }
    return true;
}

int runChart(int argc, char** argv, FILE* out, FILE* err, const ChartHost* host) {
    ChartOptions options;
    const char* problem = nullptr;
    if (!parseChartOptions(argc, argv, options, &problem)) return usage(err, problem);
    if (options.languageNamed) setProgramLanguage(options.language);
    static const ChartHost kNoHost{};
    const ChartHost& where = host ? *host : kNoHost;
    switch (options.mode) {
    case ChartMode::Help: return help(out);
    case ChartMode::Log: return runLogChart(options, out, err);
    case ChartMode::Health: {
        std::string path = options.historyPath ? options.historyPath : defaultHistoryPath(where);
        if (path.empty()) return usage(err, "no history named, and no folder of the program's files to look in");
        return runHealthChart(options, path, out, err);
    }
    case ChartMode::Report: return runReport(options, where, out, err);
    }
    return 2;
}
