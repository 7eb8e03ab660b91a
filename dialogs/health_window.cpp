#include "dialogs/health_window.h"

#include "actions/health_forecast.h"
#include "actions/health_history.h"
#include "base/text_util.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/health_plot.h"
#include "monitor/health_report.h"
#include "monitor/health_texts.h"
#include "monitor/health_watch.h"
#include "resources/resource_ids.h"

namespace {

DialogFrame& frame() { return dialogFrames[kHealthDialog]; }

// What the history said when the window last read it: the trends for the
// forecast and the first pass of the chart.
HealthTrends trends;
HealthPlot plot;
uint32_t historyWritesRead;

void scanRecord(const HealthRecord& record, void*) {
    addToHealthTrends(record, &trends);
    scanForHealthPlot(record, &plot);
}

// A machine without a battery has no file, and reading makes none.
void readHistory(HealthRecordSink sink) {
    char path[kPathSize];
    historyFilePath(path);
    if (!path[0]) return;
    static HistoryReader reader;
    startHistoryReader(reader, sink, &plot);
    readHistoryFile(path, reader);
}

void paintChart(Picture& picture, void*) {
    beginHealthPlotDrawing(plot, picture);
    if (plot.records > 0) readHistory(drawHealthPlotRecord);
}

void showHistory(WindowHandle window) {
    historyWritesRead = healthHistoryWrites();
    startHealthTrends(trends);
    startHealthPlot(plot);
    readHistory(scanRecord);
    paintPicture(window, IDC_HEALTH_CHART, paintChart, nullptr);
}

void showReading(WindowHandle window) {
    static char text[8192];
    if (const HealthReading* reading = latestHealth()) formatHealthText(*reading, &trends, text, sizeof text);
    else copyText(text, sizeof text, healthTexts().reading);
    showProgramText(window, IDC_HEALTH_TEXT, text);
}

void stopWatching(WindowHandle) { watchHealthPower(false); }

}  // namespace

void openHealthWindow() {
    // Minimised, it comes back where it was.
    if (WindowHandle open = frame().window; open && windowShowState(open).minimised)
        showWindow(open, ShowCommand::Normal);
    openDialog(frame());
}

intptr_t healthWindowInit(WindowHandle window) {
    initDialogFrame(frame(), window);
    watchHealthPower(true);
    showHistory(window);
    showReading(window);
    return 1;
}

intptr_t healthWindowCommand(WindowHandle window, int id, ControlEvent) {
    switch (id) {
    case IDC_OK:
    case IDC_CANCEL: endDialog(frame(), window); return 1;
    default: return 0;
    }
}

void healthWindowDestroyed(WindowHandle window) { frameDestroyed(frame(), window, stopWatching); }

void refreshHealthWindow() {
    WindowHandle window = frame().window;
    if (!window) return;
    if (healthHistoryWrites() != historyWritesRead) showHistory(window);
    showReading(window);
}
