// The command line of celwrd-chart:
//   celwrd-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] LOGFILE > chart.svg
//   celwrd-chart --health-chart [--from ...] [--to ...] [--title TEXT] [HISTORY] > health.svg
//   celwrd-chart --report [--log LOGFILE] [--history HISTORY] [--from ...] [--to ...] > report.html
// and with any of them --lang ja|en, over the language the system chose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/language.h"

enum class ChartMode { Log, Health, Report, Help };

struct ChartOptions {
    ChartMode mode;
    bool haveFrom, haveTo;
    int64_t from;  // local seconds: midnight at the start of the day named
    int64_t to;    // midnight at the end of the day named
    const char* title;
    const char* logPath;      // null: the report looks for it
    const char* historyPath;  // null: looked for
    bool languageNamed;       // --lang given: `language` over the system's
    Language language;
};

// False, with `problem` saying what is wrong, on a bad command line.
bool parseChartOptions(int argc, char** argv, ChartOptions& options, const char** problem);

// Where the program keeps its files, for a chart or report whose files are
// not named: the folder (UTF-8, ending in its separator; empty when there is
// none) and how a text of the settings file (the system's code page) reads
// in UTF-8.
struct ChartHost {
    std::string filesFolder;
    std::string (*systemTextToUtf8)(const char* text);
};

// The history's name, and the settings file's, beside the program's files.
constexpr char kSettingsFileName[] = "celwrd.INI";

// The log the settings name (Clogfile.Slogfilename), else CELWRD.LOG, in
// the files folder; empty without a folder. A relative name is taken in
// the folder.
std::string defaultLogPath(const ChartHost& host);
std::string defaultHistoryPath(const ChartHost& host);

// The whole program, its arguments in UTF-8, in the language chosen before
// (base/language.h) unless --lang names one: the SVG or the page goes to
// `out`, what was skipped to `err`. Returns 0; 1 when a file named cannot
// be read or the output not written; 2 on a bad command line.
int runChart(int argc, char** argv, FILE* out, FILE* err, const ChartHost* host = nullptr);
