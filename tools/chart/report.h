// The battery report: one HTML page, whole in itself (its pictures inline
// SVG, its style inline, no script), of every battery the health history
// names, their health and cycles over the years, the battery log's chart
// and how the machine was used.
#pragma once

#include <cstdint>
#include <string>

#include "actions/health_forecast.h"
#include "chart.h"
#include "health_chart.h"
#include "usage.h"

// A file the report was made from: named (or found where the program keeps
// its files), and whether it could be read.
struct ReportFile {
    const char* path;  // UTF-8; null or empty when none could be named
    bool read;
    int64_t lines;     // lines taken
};

struct ReportParts {
    const char* title;  // null: the report's own
    ReportFile history, log;
    const HealthChart* health;  // with the history
    const HealthTrends* trends;
    const char* healthTitle;
    const Chart* logChart;      // with the log
    const char* logTitle;
    const Usage* usage;
};

void writeReportHtml(const ReportParts& parts, std::string& out);
