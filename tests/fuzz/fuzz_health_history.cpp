// Any bytes as the health history: every record read is written again as
// a line that reads back the same, the forecast over them stays finite,
// the health window's chart draws them within its picture, and a line the
// program appends leaves every byte before it as it was.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "actions/health_forecast.h"
#include "actions/health_history.h"
#include "app/command_line.h"
#include "dialogs/health_plot.h"
#include "monitor/health_watch.h"
#include "platform/sim/sim_battery_health.h"
#include "platform/sim/sim_platform.h"

namespace {

HealthTrends trends;
HealthPlot plot;

bool sameRecord(const HealthRecord& a, const HealthRecord& b) {
    const BatteryHealth &x = a.battery, &y = b.battery;
    return memcmp(&a.time, &b.time, sizeof a.time) == 0 && a.offsetMinutes == b.offsetMinutes &&
           sameBattery(x, y) && x.designMwh == y.designMwh && x.fullMwh == y.fullMwh && x.designMah == y.designMah &&
           x.fullMah == y.fullMah && x.designRelative == y.designRelative && x.fullRelative == y.fullRelative &&
           x.cycles == y.cycles && x.powerMw == y.powerMw && x.voltageMv == y.voltageMv;
}

void check(const HealthRecord& record, void*) {
    char line[kHistoryLineSize];
    size_t length = formatHistoryLine(record, line, sizeof line);
    HealthRecord again;
    if (length == 0 || strlen(line) != length || !parseHistoryLine(line, length, &again)) abort();
    if (!sameRecord(record, again)) abort();
    addToHealthTrends(record, &trends);
    scanForHealthPlot(record, &plot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    // In two pieces, cut where the first byte says.
    size_t cut = size ? data[0] % (size + 1) : 0;
    startHealthTrends(trends);
    startHealthPlot(plot);
    HistoryReader reader;
    startHistoryReader(reader, check, nullptr);
    feedHistoryReader(reader, bytes, cut);
    feedHistoryReader(reader, bytes + cut, size - cut);
    finishHistoryReader(reader);
    for (int i = 0; i < trends.count; ++i) {
        HealthForecast forecast;
        if (forecastHealth(trends, trends.trends[i].battery, &forecast) &&
            (!std::isfinite(forecast.pointsPerMonth) || (forecast.perCycles && !std::isfinite(forecast.pointsPer100Cycles)) ||
             (forecast.reaches && (forecast.month < 1 || forecast.month > 12))))
            abort();
    }

    // The chart's second pass, into a picture of exactly its size (a
    // sanitizer sees a pixel put outside it).
    std::vector<uint32_t> pixels(size_t{97} * 61);
    Picture picture{pixels.data(), 97, 61};
    beginHealthPlotDrawing(plot, picture);
    startHistoryReader(reader, drawHealthPlotRecord, &plot);
    feedHistoryReader(reader, bytes, size);
    finishHistoryReader(reader);

    // The program appends to what is there, whatever it is.
    sim::reset();
    resetHealthWatch();
    parseCommandLine("C:\\P\\celwrd.exe");
    const std::string before(bytes, size);
    sim::putFile("C:\\P\\CELWRDHL.LOG", before);
    HealthReading reading{};
    reading.count = 1;
    reading.batteries[0] = unknownBatteryHealth();
    strcpy(reading.batteries[0].name, "BAT0");
    reading.batteries[0].fullMwh = 40000;
    sim::setBatteryHealth(reading);
    requestHealthReading(sim::clock());
    const std::string after = sim::fileContent("C:\\P\\CELWRDHL.LOG");
    // Nothing when the file says the same of today already.
    if (after.compare(0, before.size(), before) != 0) abort();
    if (after.size() > before.size() && after.compare(after.size() - 2, 2, "\r\n") != 0) abort();
    return 0;
}
