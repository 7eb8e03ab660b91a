#include "dialogs/main_dialog.h"

#include "actions/event_script.h"
#include "app/apply_settings.h"
#include "app/file_chooser_setup.h"
#include "app/trace.h"
#include "base/front_end.h"
#include "base/texts.h"
#include "dialogs/binding.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/file_chooser.h"
#include "dialogs/health_window.h"
#include "dialogs/log_viewer.h"
#include "dialogs/sound_dialog.h"
#include "monitor/presentation.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "settings/settings_file.h"

const char* displayItemNames[6];

namespace {

bool firstInitialisation = true;

MainDialogCopy& copy = mainDialogCopy;

// Whole seconds per 1 % and between log records.
constexpr NumberLimits kSeconds{1, 1000};

NumberEdit chargeEdit, dischargeEdit, intervalEdit;

// Every bound control, in the order of refreshing and reading.
const Binding kBindings[] = {
    {.id = IDC_CHARGE_SECONDS, .kind = BindingKind::Number, .field = &copy.chargeSeconds, .limits = kSeconds,
     .edit = &chargeEdit},
    {.id = IDC_CHARGE_AUTO, .kind = BindingKind::Check, .field = &copy.autoCharge, .disables = IDC_CHARGE_SECONDS},
    {.id = IDC_DISCHARGE_SECONDS, .kind = BindingKind::Number, .field = &copy.dischargeSeconds, .limits = kSeconds,
     .edit = &dischargeEdit},
    {.id = IDC_DISCHARGE_AUTO, .kind = BindingKind::Check, .field = &copy.autoDischarge,
     .disables = IDC_DISCHARGE_SECONDS},
    {.id = IDC_LOG_ENABLE, .kind = BindingKind::Check, .field = &copy.logEnabled},
    {.id = IDC_LOG_FILE, .kind = BindingKind::Text, .text = copy.logFileName},
    {.id = IDC_LOG_BY_TIME, .kind = BindingKind::Radio, .field = &copy.logTrigger, .radioCode = 0},
    {.id = IDC_LOG_BY_BATTERY, .kind = BindingKind::Radio, .field = &copy.logTrigger, .radioCode = 1},
    {.id = IDC_LOG_INTERVAL, .kind = BindingKind::Number, .field = &copy.logIntervalSeconds, .limits = kSeconds,
     .edit = &intervalEdit},
    {.id = IDC_ITEM_FIRST, .kind = BindingKind::List, .field = &copy.displayItems[0], .entries = displayItemNames,
     .entryCount = 6},
    {.id = IDC_ITEM_FIRST + 1, .kind = BindingKind::List, .field = &copy.displayItems[1],
     .entries = displayItemNames, .entryCount = 6},
    {.id = IDC_ITEM_FIRST + 2, .kind = BindingKind::List, .field = &copy.displayItems[2],
     .entries = displayItemNames, .entryCount = 6},
    {.id = IDC_ITEM_FIRST + 3, .kind = BindingKind::List, .field = &copy.displayItems[3],
     .entries = displayItemNames, .entryCount = 6},
    {.id = IDC_ITEM_FIRST + 4, .kind = BindingKind::List, .field = &copy.displayItems[4],
     .entries = displayItemNames, .entryCount = 6},
    {.id = IDC_HIDE_TASKBAR, .kind = BindingKind::Check, .field = &copy.hideTaskbar},
    {.id = IDC_SHOW_TRAY, .kind = BindingKind::Check, .field = &copy.showTaskTray},
    {.id = IDC_ASK_SUSPEND, .kind = BindingKind::Check, .field = &copy.askSuspend},
};

DialogFrame& frame() { return dialogFrames[kMainDialog]; }

void refreshOne(WindowHandle window, int id) { refreshBinding(kBindings, window, id); }

void refreshMainControls(WindowHandle window) { refreshBindings(kBindings, window); }

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
    chargeEdit.guard = dischargeEdit.guard = intervalEdit.guard = false;
}

intptr_t mainDialogInit(WindowHandle window) {
    initDialogFrame(frame(), window);
    if (firstInitialisation) {
        firstInitialisation = false;
        ownerWindow = window;
        const MenuItem added[] = {
            {CMD_HEALTH, text(IDS_MENU_HEALTH)}, {CMD_VERSION, text(IDS_MENU_VERSION)}, {CMD_EXIT, text(IDS_MENU_EXIT)}};
        extendWindowMenu(window, added, static_cast<int>(sizeof added / sizeof added[0]));
        frontEndSetClassIcon(window, IDI_BATTERY_PLAIN);
        // Where the system lets no program refuse a suspend, the question
        // cannot be asked: the switch stays, for a settings file shared
        // with Windows, but greyed, with the reason.
        if (!platformCanRefuseSuspend()) {
            enableControl(window, IDC_ASK_SUSPEND, false);
            setControlTip(window, IDC_ASK_SUSPEND, text(IDS_NO_SUSPEND_QUESTION));
        }
        runEventScript(kTriggerBoot);
    }
    for (int item = 0; item < 6; ++item) displayItemNames[item] = text(IDS_ITEM_NONE + item);
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

void readMainControls(WindowHandle window) { readBindings(kBindings, window); }

void normaliseMainDialogCopy() { normaliseBindings(kBindings); }

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
    case CMD_HEALTH: openHealthWindow(); return 1;
    case CMD_VERSION: showAbout(); return 1;
    case CMD_EXIT: exitProgram(window); return 1;
    default: return 0;
    }
}

void mainDialogSysCommand(WindowHandle window, uint32_t command) {
    if (command == CMD_HEALTH) openHealthWindow();
    else if (command == CMD_VERSION) showAbout();
    else if (command == CMD_EXIT) exitProgram(window);
}

void mainDialogTrayClicked(WindowHandle window, TrayClick click) {
    if (click == TrayClick::Left) showMainWindow();
    else if (click == TrayClick::Right) popUpWindowMenu(window);
}

void mainDialogDestroyed(WindowHandle window) { frameDestroyed(frame(), window, destroyStep); }

void endMainDialog() {
    if (frame().window) endDialog(frame(), frame().window);
}

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
    frontEndShowMessage(text(IDS_VERSION_TEXT), text(IDS_VERSION_CAPTION));
}
