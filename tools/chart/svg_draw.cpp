#include "svg_draw.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "base/text_util.h"
#include "svg_text.h"
#include "time_axis.h"

const char* const kFontFamily = "'ＭＳ Ｐゴシック', 'MS PGothic', IPAPGothic, sans-serif";

void addSvg(std::string& out, const char* format, ...) {
    char piece[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    if (n > 0) out.append(piece, std::min(static_cast<size_t>(n), sizeof piece - 1));
}

void addSvgStart(std::string& out, int width, int height, const char* title, bool declaration) {
    if (declaration) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    addSvg(out, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" ", width,
           height, width, height);
    addSvg(out, "font-family=\"%s\" font-size=\"12\" fill=\"#202020\">\n", kFontFamily);
    out += "<title>";
    appendXmlText(out, title, 400);
    out += "</title>\n";
}

void addSvgText(std::string& out, double x, double y, const char* attributes, const char* text) {
    addSvg(out, "<text x=\"%.1f\" y=\"%.1f\"%s>", x, y, attributes);
    appendXmlText(out, text, 400);
    out += "</text>\n";
}

double plotX(const PlotArea& plot, int64_t start, int64_t end, int64_t time) {
    return plot.left + static_cast<double>(time - start) * plot.width / static_cast<double>(end - start);
}

double scaleY(const PlotArea& plot, double value, double low, double high) {
    return plot.top + kHeadroom + (plot.height - kHeadroom) * (1 - (value - low) / (high - low));
}

void addTimeAxis(std::string& out, const PlotArea& plot, int64_t start, int64_t end) {
    TimeTick ticks[kMaxTimeTicks];
    int count = timeTicks(start, end, plot.width / 75, ticks);
    for (int i = 0; i < count; ++i) {
        double x = plotX(plot, start, end, ticks[i].time);
        addSvg(out, "<line x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#000000\" stroke-opacity=\"0.12\"/>\n",
               x, plot.top, x, plot.top + plot.height + 4);
        addSvgText(out, x, plot.top + plot.height + 17, " text-anchor=\"middle\"", ticks[i].label);
        if (ticks[i].date[0])
            addSvgText(out, x, plot.top + plot.height + 31, " text-anchor=\"middle\" fill=\"#555555\"", ticks[i].date);
    }
}

void addValueAxis(std::string& out, const PlotArea& plot, double low, double high, double step) {
    for (double value = low; value <= high + step / 2; value += step) {
        double y = scaleY(plot, value, low, high);
        addSvg(out, "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"#000000\" stroke-opacity=\"0.12\"/>\n",
               plot.left - 4, y, plot.left + plot.width, y);
        char label[24];
        formatText(label, "%g", value);
        addSvgText(out, plot.left - 7, y + 4, " text-anchor=\"end\"", label);
    }
}

void addFrame(std::string& out, const PlotArea& plot) {
    addSvg(out, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"#404040\"/>\n", plot.left,
           plot.top, plot.width, plot.height);
}

void addLegend(std::string& out, const PlotArea& plot, double y, const LegendEntry* entries, int count) {
    double x = plot.left + plot.width;
    for (int i = count - 1; i >= 0; --i) {
        x -= textWidth(entries[i].label, 12);
        addSvgText(out, x, y, "", entries[i].label);
        x -= 17;
        if (entries[i].dot)
            addSvg(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"%s\"/>\n", x + 6, y - 4, entries[i].fill);
        else
            addSvg(out, "<rect x=\"%.1f\" y=\"%.1f\" width=\"12\" height=\"12\" fill=\"%s\" stroke=\"#808080\"/>\n", x,
                   y - 10, entries[i].fill);
        x -= 14;
    }
}
