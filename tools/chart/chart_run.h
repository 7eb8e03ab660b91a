// The command line of celwrd-chart:
//   celwrd-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] LOGFILE > chart.svg
#pragma once

#include <cstdint>
#include <cstdio>

struct ChartOptions {
    bool haveFrom, haveTo;
    int64_t from;  // local seconds: midnight at the start of the day named
    int64_t to;    // midnight at the end of the day named
    const char* title;
    const char* logPath;
};

// False, with `problem` saying what is wrong, on a bad command line.
bool parseChartOptions(int argc, char** argv, ChartOptions& options, const char** problem);

// The whole program, its arguments in UTF-8: the SVG goes to `out`, what
// was skipped to `err`. Returns 0; 1 when the log cannot be read or the
// chart not written; 2 on a bad command line.
int runChart(int argc, char** argv, FILE* out, FILE* err);
