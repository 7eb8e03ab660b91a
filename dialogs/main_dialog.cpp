#include "dialogs/main_dialog.h"

#include "actions/event_script.h"
#include "app/apply_settings.h"
#include "app/file_chooser_setup.h"
#include "app/trace.h"
#include "base/front_end.h"
#include "dialogs/binding.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/file_chooser.h"
#include "dialogs/log_viewer.h"
#include "dialogs/sound_dialog.h"
#include "monitor/presentation.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "settings/settings_file.h"

const char* const kDisplayItemNames[6] = {
    "非表示", "電池容量", "1%充放電時間", "充放電終了時刻", "充放電終了残り時間", "現在時刻",
};

namespace {

bool firstInitialisation = true;

BoundedNumber chargeNumber, dischargeNumber, intervalNumber;
bool chargeGuard, dischargeGuard, intervalGuard;

MainDialogCopy& copy = mainDialogCopy;

void enableChargeEdit(WindowHandle w) { enableControl(w, IDC_CHARGE_SECONDS, copy.autoCharge == 0); }
void enableDischargeEdit(WindowHandle w) { enableControl(w, IDC_DISCHARGE_SECONDS, copy.autoDischarge == 0); }

Binding check(int id, int32_t& field, void (*afterwards)(WindowHandle) = nullptr) {
    return Binding{id, BindingKind::Check, &field, nullptr, 0, nullptr, nullptr, nullptr, 0, afterwards};
}
Binding number(int id, int32_t& field, BoundedNumber& bounds, bool& guard) {
    return Binding{id, BindingKind::Number, &field, nullptr, 0, &bounds, &guard, nullptr, 0, nullptr};
}
Binding radio(int id, int32_t& field, int32_t code) {
    return Binding{id, BindingKind::Radio, &field, nullptr, code, nullptr, nullptr, nullptr, 0, nullptr};
}
Binding list(int slot) {
    return Binding{IDC_ITEM_FIRST + slot, BindingKind::List, &copy.displayItems[slot], nullptr, 0,
                   nullptr, nullptr, kDisplayItemNames, 6, nullptr};
}

const Binding kBindings[] = {
    number(IDC_CHARGE_SECONDS, copy.chargeSeconds, chargeNumber, chargeGuard),
    check(IDC_CHARGE_AUTO, copy.autoCharge, enableChargeEdit),
    number(IDC_DISCHARGE_SECONDS, copy.dischargeSeconds, dischargeNumber, dischargeGuard),
    check(IDC_DISCHARGE_AUTO, copy.autoDischarge, enableDischargeEdit),
    check(IDC_LOG_ENABLE, copy.logEnabled),
    Binding{IDC_LOG_FILE, BindingKind::Text, nullptr, copy.logFileName, 0, nullptr, nullptr, nullptr, 0, nullptr},
    radio(IDC_LOG_BY_TIME, copy.logTrigger, 0),
    radio(IDC_LOG_BY_BATTERY, copy.logTrigger, 1),
    number(IDC_LOG_INTERVAL, copy.logIntervalSeconds, intervalNumber, intervalGuard),
    list(0), list(1), list(2), list(3), list(4),
    check(IDC_HIDE_TASKBAR, copy.hideTaskbar),
    check(IDC_SHOW_TRAY, copy.showTaskTray),
    check(IDC_ASK_SUSPEND, copy.askSuspend),
};

const int kRefreshOrder[] = {
    IDC_CHARGE_SECONDS, IDC_CHARGE_AUTO, IDC_DISCHARGE_SECONDS, IDC_DISCHARGE_AUTO, IDC_LOG_ENABLE,
    IDC_LOG_FILE, IDC_LOG_BY_TIME, IDC_LOG_BY_BATTERY, IDC_LOG_INTERVAL, IDC_ITEM_FIRST,
    IDC_ITEM_FIRST + 1, IDC_ITEM_FIRST + 2, IDC_ITEM_FIRST + 3, IDC_ITEM_FIRST + 4, IDC_HIDE_TASKBAR,
    IDC_SHOW_TRAY, IDC_ASK_SUSPEND,
};

// Where the system lets no program refuse a suspend, the question cannot
// be asked: the switch stays, for a settings file shared with Windows, but
// greyed, with the reason.
const char* const kNoSuspendQuestion = "Linux ではサスペンドを止められないため、確認はできません";

const MenuItem kAddedMenuItems[] = {
    {CMD_VERSION, "ﾊﾞｰｼﾞｮﾝ(&V)"},
    {CMD_EXIT, "終了(&C)"},
};

DialogFrame& frame() { return dialogFrames[kMainDialog]; }

void refreshOne(WindowHandle window, int id) { refreshBinding(kBindings, window, id); }

void refreshMainControls(WindowHandle window) {
    chargeNumber = {copy.chargeSeconds, 1, 1000};
    dischargeNumber = {copy.dischargeSeconds, 1, 1000};
    intervalNumber = {copy.logIntervalSeconds, 1, 1000};
    refreshBindings(kBindings, kRefreshOrder, window);
}

int32_t checkedFlag(WindowHandle window, int id) { return controlChecked(window, id) ? 1 : 0; }

// Hidden, the window has no taskbar button; minimised, it keeps one. It
// hides only behind a tray icon that is shown, its one way back.
void putAway() {
    WindowHandle window = frame().window;
    if (!window) return;
    const bool hide = liveSettings.Cscreen.Shidetaskbar && liveSettings.Cscreen.Sshowtasktray && trayIconShown();
    showWindow(window, hide ? ShowCommand::Hide : ShowCommand::Minimise);
}

void applyAndThen(WindowHandle window, void (*then)(WindowHandle)) {
    readMainControls(window);
    applyMainDialogCopy();
    then(window);
}

void exitProgram(WindowHandle window) {
    readMainControls(window);
    acceptMainDialog();
    endDialog(frame(), window);
}

void openSound(WindowHandle) { openSoundDialog(); }
void openLog(WindowHandle) { openLogViewer(); }
void about(WindowHandle) { showAbout(); }
void browseLogFile(WindowHandle window) {
    browseForFile(window, logFileChooser, copy.logFileName, IDC_LOG_FILE, refreshOne);
}

void destroyStep(WindowHandle window) {
    readMainControls(window);
    applyMainDialogCopy();
}

}  // namespace

void resetMainDialog() {
    firstInitialisation = true;
    chargeGuard = dischargeGuard = intervalGuard = false;
}

intptr_t mainDialogInit(WindowHandle window) {
    initDialogFrame(frame(), window);
    if (firstInitialisation) {
        firstInitialisation = false;
        ownerWindow = window;
        extendWindowMenu(window, kAddedMenuItems, 2);
        frontEndSetClassIcon(window, IDI_BATTERY_PLAIN);
        if (!platformCanRefuseSuspend()) {
            enableControl(window, IDC_ASK_SUSPEND, false);
            setControlTip(window, IDC_ASK_SUSPEND, kNoSuspendQuestion);
        }
        runEventScript(kTriggerBoot);
    }
    refreshMainControls(window);
    return 1;
}

void mainDialogSettled(WindowHandle) { updatePresentation(); }

void mainDialogActivated(WindowHandle window, const ActivationEvent& event) {
    traceActivate(static_cast<int>(event.how), event.minimised, event.other);
    if (event.how != Activation::Active) return;
    // Back from minimised: unapplied edits are dropped.
    if (event.minimised) beginMainDialogEdit();
    refreshMainControls(window);
}

void readMainControls(WindowHandle window) {
    char text[kNameSize];
    copy.chargeSeconds = readBoundedNumber(window, IDC_CHARGE_SECONDS, 1, 1000);
    copy.autoCharge = checkedFlag(window, IDC_CHARGE_AUTO);
    copy.dischargeSeconds = readBoundedNumber(window, IDC_DISCHARGE_SECONDS, 1, 1000);
    copy.autoDischarge = checkedFlag(window, IDC_DISCHARGE_AUTO);
    copy.logEnabled = checkedFlag(window, IDC_LOG_ENABLE);
    controlText(window, IDC_LOG_FILE, text, sizeof text);
    setText(copy.logFileName, text);
    copy.logIntervalSeconds = readBoundedNumber(window, IDC_LOG_INTERVAL, 1, 1000);
    // By time unless the battery button is checked (also when neither is).
    copy.logTrigger = controlChecked(window, IDC_LOG_BY_BATTERY) ? 1 : 0;
    for (int slot = 0; slot < 5; ++slot) copy.displayItems[slot] = listSelection(window, IDC_ITEM_FIRST + slot);
    copy.hideTaskbar = checkedFlag(window, IDC_HIDE_TASKBAR);
    copy.showTaskTray = checkedFlag(window, IDC_SHOW_TRAY);
    copy.askSuspend = checkedFlag(window, IDC_ASK_SUSPEND);
}

intptr_t mainDialogCommand(WindowHandle window, int id, ControlEvent event) {
    if (const Binding* b = findBinding(kBindings, id)) return handleBinding(*b, window, event);
    switch (id) {
    case IDC_OK:
        readMainControls(window);
        acceptMainDialog();
        saveSettingsIfEnabled();
        return 1;
    case IDC_CANCEL: cancelMainDialog(); return 1;
    case IDC_APPLY:
        readMainControls(window);
        applyMainDialogAndSnapshot();
        saveSettingsIfEnabled();
        return 1;
    case IDC_HELP_BUTTON: openHelp(); return 1;
    case IDC_VERSION: applyAndThen(window, about); return 1;
    case IDC_SOUND: applyAndThen(window, openSound); return 1;
    case IDC_LOG_VIEW: applyAndThen(window, openLog); return 1;
    case IDC_LOG_BROWSE: applyAndThen(window, browseLogFile); return 1;
    case IDC_EXIT: exitProgram(window); return 1;
    case CMD_VERSION: showAbout(); return 1;
    case CMD_EXIT: exitProgram(window); return 1;
    default: return 0;
    }
}

void mainDialogSysCommand(WindowHandle window, uint32_t command) {
    if (command == CMD_VERSION) showAbout();
    else if (command == CMD_EXIT) exitProgram(window);
}

void mainDialogTrayClicked(WindowHandle window, TrayClick click) {
    if (click == TrayClick::Left) showMainWindow();
    else if (click == TrayClick::Right) popUpWindowMenu(window);
}

void mainDialogDestroyed(WindowHandle window) { frameDestroyed(frame(), window, destroyStep); }

void showMainWindow() {
    WindowHandle window = frame().window;
    if (!window) return;
    beginMainDialogEdit();
    mainDialogInit(window);
    showWindow(window, ShowCommand::Normal);
    setForegroundWindow(window);
}

void showMainWindowAgain() {
    WindowHandle window = frame().window;
    if (!window) return;
    const WindowShowState shown = windowShowState(window);
    if (shown.minimised || !shown.visible) showMainWindow();
    else setForegroundWindow(window);
}

void acceptMainDialog() {
    applyMainDialogCopy();
    putAway();
}

void cancelMainDialog() {
    restoreFromBackup();
    putAway();
}

void showAbout() {
    frontEndShowMessage("Cellwarden 「Tamberlo」\nVoltarium\nV1.05A\nBuild 1999/07/12", "Cellwarden Version");
}
