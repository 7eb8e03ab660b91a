// The pieces the SVG charts share: plot areas and their scales, text,
// frames, grids, the time axis and legends.
#pragma once

#include <cstdint>
#include <string>

struct PlotArea {
    int left, top, width, height;
};

// Room above the highest value, so a line at the top is not hidden by the frame.
constexpr int kHeadroom = 8;

extern const char* const kFontFamily;

// printf onto `out`; a piece is at most 511 bytes.
void addSvg(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The <svg> element's start tag and its <title>, after the XML
// declaration where the picture is a document of its own.
void addSvgStart(std::string& out, int width, int height, const char* title, bool declaration);

// A <text> element; `text` is UTF-8 (anything else is replaced).
void addSvgText(std::string& out, double x, double y, const char* attributes, const char* text);

// x of a time on a plot whose axis runs from `start` to `end` (end > start).
double plotX(const PlotArea& plot, int64_t start, int64_t end, int64_t time);
// y of a value on a plot whose scale runs from `low` to `high`.
double scaleY(const PlotArea& plot, double value, double low, double high);

// Grid lines and labels of the time axis under a plot.
void addTimeAxis(std::string& out, const PlotArea& plot, int64_t start, int64_t end);
// Horizontal grid lines from `low` to `high` with their values at the left.
void addValueAxis(std::string& out, const PlotArea& plot, double low, double high, double step);
void addFrame(std::string& out, const PlotArea& plot);

// Legend entries from the right edge of a plot leftwards.
struct LegendEntry {
    const char* label;
    const char* fill;
    bool dot;
};
void addLegend(std::string& out, const PlotArea& plot, double y, const LegendEntry* entries, int count);
