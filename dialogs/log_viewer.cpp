#include "dialogs/log_viewer.h"

#include "actions/battery_log.h"
#include "dialogs/dialog_frame.h"
#include "resources/resource_ids.h"

static DialogFrame& frame() { return dialogFrames[kLogDialog]; }

static void showLogText(WindowHandle window) {
    static char text[kLogViewSize];
    renderLogRing(text, sizeof text);
    showTextAtEnd(window, IDC_LOG_TEXT, text);
}

void openLogViewer() { openDialog(frame()); }

intptr_t logViewerInit(WindowHandle window) {
    initDialogFrame(frame(), window);
    logViewerCommand(window, IDC_LOG_TEXT, ControlEvent::Refresh);
    return 1;
}

intptr_t logViewerCommand(WindowHandle window, int id, ControlEvent event) {
    switch (id) {
    case IDC_LOG_TEXT:
        if (event == ControlEvent::Refresh) showLogText(window);
        return 1;
    case IDC_OK:
    case IDC_CANCEL: endDialog(frame(), window); return 1;
    default: return 0;
    }
}

void logViewerSized(WindowHandle window) {
    capturePlacement(frame(), window);
    fillClientWithControl(window, IDC_LOG_TEXT);
}

void redrawLogViewer() {
    if (frame().window) logViewerCommand(frame().window, IDC_LOG_TEXT, ControlEvent::Refresh);
}
