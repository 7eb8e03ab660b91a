#include "ui/sim/sim_front_end.h"

#include <string_view>

#include "dialogs/controls.h"
#include "dialogs/health_window.h"
#include "dialogs/log_viewer.h"
#include "dialogs/main_dialog.h"
#include "platform/sim/sim_platform.h"

namespace {

struct Screen {
    WindowHandle mainWindow = 0;  // without a main dialog
    bool minimisedAndVisible = false;
    bool yesAnswer = true;
    std::string caption;
    int classIcon = 0;
    bool trayShown = false;
    bool trayAvailable = true;
};

Screen screen;

bool isMainWindow(WindowHandle window) { return window != 0 && window == frontEndMainWindow(); }

}  // namespace

namespace simui {

void resetScreen() {
    screen = Screen{};
    screen.caption.reserve(256);  // a caption never needs more
}

void setMainWindow(WindowHandle window) { screen.mainWindow = window; }
void setMinimisedAndVisible(bool value) { screen.minimisedAndVisible = value; }
void setYesNoAnswer(bool yes) { screen.yesAnswer = yes; }
std::string caption() { return screen.caption; }
int classIcon() { return screen.classIcon; }
bool trayIconShown() { return screen.trayShown; }
void setTrayAvailable(bool available) { screen.trayAvailable = available; }

}  // namespace simui

using sim::CallKind;

WindowHandle frontEndMainWindow() {
    WindowHandle dialog = mainDialogWindow();
    return dialog ? dialog : screen.mainWindow;
}

void frontEndSetCaption(WindowHandle window, const char* text) {
    if (!isMainWindow(window)) return;
    screen.caption.assign(text);  // reuses its buffer
    sim::record(CallKind::SetCaption, text);
}

void frontEndSetClassIcon(WindowHandle window, int iconId) {
    if (!isMainWindow(window)) return;
    screen.classIcon = iconId;
    sim::record(CallKind::SetClassIcon, {}, {}, iconId);
}

bool frontEndIsMinimisedAndVisible(WindowHandle window) {
    if (!isMainWindow(window)) return false;
    if (window != mainDialogWindow()) return screen.minimisedAndVisible;
    const WindowShowState shown = windowShowState(window);
    return shown.minimised && shown.visible;
}

void frontEndHideWindow(WindowHandle window) {
    if (!isMainWindow(window)) return;
    screen.minimisedAndVisible = false;
    sim::record(CallKind::HideWindow);
    if (window == mainDialogWindow()) showWindow(window, ShowCommand::Hide);
}

// As the system's: ending the main dialog from inside a tick stops the
// ticking, and the modal run then returns.
void frontEndEndMainDialog() {
    sim::record(CallKind::EndMainDialog);
    if (mainDialogWindow()) {
        endMainDialog();
        sim::stopRunning();
    }
}

bool frontEndTrayAdd(WindowHandle window, int iconId, const char* tip) {
    if (!isMainWindow(window) || !screen.trayAvailable) return false;
    screen.trayShown = true;
    sim::record(CallKind::TrayAdd, std::string_view(tip).substr(0, 63), {}, iconId);
    return true;
}

bool frontEndTrayModify(WindowHandle window, int iconId, const char* tip) {
    if (!isMainWindow(window) || !screen.trayShown) return false;
    sim::record(CallKind::TrayModify, std::string_view(tip).substr(0, 63), {}, iconId);
    return true;
}

void frontEndTrayDelete(WindowHandle window) {
    if (!isMainWindow(window) || !screen.trayShown) return;
    screen.trayShown = false;
    sim::record(CallKind::TrayDelete);
}

bool frontEndAskYesNo(const char* text, const char* caption) {
    sim::record(CallKind::AskYesNo, text, caption);
    return screen.yesAnswer;
}

void frontEndShowMessage(const char* text, const char* caption) { sim::record(CallKind::ShowMessage, text, caption); }

// The simulated desktop shows no notifications.
void frontEndNotifyAlert(bool, int32_t) {}

void frontEndOpenHelp(const char* path) { sim::record(CallKind::OpenHelp, path); }

void frontEndRedrawLogViewer() {
    sim::record(CallKind::RedrawLogViewer);
    redrawLogViewer();
}

void frontEndRefreshHealthWindow() { refreshHealthWindow(); }
