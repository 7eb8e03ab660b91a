#include "monitor/presentation.h"

#include "base/front_end.h"
#include "base/program.h"
#include "base/text_util.h"
#include "settings/settings.h"

const char* const kBanner = "Cellwarden Battery Monitor";

static WindowHandle trayOwner;

// The desktop may have no tray, or lose it: what the last call said.
static bool trayShown;

// The registration the shell holds: the window, icon and tip last given.
static struct {
    WindowHandle window;
    int icon;
    char tip[64];
} trayRecord;

// Columns: p >= 80, 60..79, 40..59, 20..39, below 20.
static int levelOf(int32_t percent) {
    if (percent >= 80) return 0;
    if (percent >= 60) return 1;
    if (percent >= 40) return 2;
    if (percent >= 20) return 3;
    return 4;
}

int chooseIcon(int32_t kind, int32_t percent) {
    int level = levelOf(percent);
    switch (kind) {
    case kPowerDischarge: return 3 + level;                  // blue turning red
    case kPowerCharge: return 8 + level;                     // green turning yellow
    case kPowerAcBatt: return level == 0 ? 13 : 8 + level;   // the green plug when nearly full
    case kPowerAcLine: return 2;
    default: return 1;
    }
}

static void showTrayIcon(WindowHandle window, int icon, const char* tip) {
    if (trayOwner != window) {
        trayRecord.window = window;
        trayRecord.icon = icon;
        copyText(trayRecord.tip, tip);
        frontEndTrayAdd(window, icon, trayRecord.tip);
        trayOwner = window;
    }
    trayRecord.icon = icon;
    copyText(trayRecord.tip, tip);
    trayShown = frontEndTrayModify(trayRecord.window, icon, trayRecord.tip);
}

bool trayIconShown() { return trayOwner != 0 && trayShown; }

WindowHandle trayIconOwner() { return trayOwner; }

void forgetTrayIcon() { trayOwner = 0; }

void updatePresentation() {
    const Settings& s = liveSettings;
    WindowHandle window = frontEndMainWindow();
    frontEndSetCaption(window, s.itemsText[0] ? s.itemsText : kBanner);
    int icon = chooseIcon(s.Cbattery.kind, s.Cbattery.percent);
    frontEndSetClassIcon(window, icon);
    if (s.Cscreen.Sshowtasktray) {
        showTrayIcon(window, icon, s.itemsText);
        // Hidden, the window has no taskbar button; the tray icon brings it
        // back, so only an icon the desktop shows may stand in for it.
        if (s.Cscreen.Shidetaskbar && trayIconShown() && frontEndIsMinimisedAndVisible(window))
            frontEndHideWindow(window);
    } else if (trayOwner != 0 && trayOwner == window) {
        frontEndTrayDelete(window);
        trayOwner = 0;
    }
}

void removeTrayIcon() { frontEndTrayDelete(trayRecord.window); }

void openHelp() {
    char baseName[kPathSize];
    programBaseName(baseName);
    char path[kPathSize];
    pathInFolder(programDirectory, baseName, "*.HLP", path, false);
    frontEndOpenHelp(path);
}
