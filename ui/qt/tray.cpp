#include "ui/qt/tray.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include "resources/resource_ids.h"
#include "ui/qt/icons.h"
#include "ui/qt/tray_watch.h"

namespace {

TrayHooks hooks{};
QPointer<QSystemTrayIcon> shown;
int shownId = 0;
QString shownTip;
bool trayThere;  // as last asked

void activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && hooks.leftClick) hooks.leftClick();
    if (reason == QSystemTrayIcon::Context && hooks.rightClick) hooks.rightClick();
}

// A desktop shows a new picture or tip as a change: unchanged ones are
// not handed on again.
void show(int iconId, const char* tipUtf8) {
    if (iconId < 1 || iconId > IDI_COUNT) iconId = IDI_BATTERY_PLAIN;
    if (iconId != shownId) {
        shown->setIcon(programIcon(iconId));
        shownId = iconId;
    }
    QString tip = QString::fromUtf8(tipUtf8 ? tipUtf8 : "");
    if (tip != shownTip) {
        shown->setToolTip(tip);
        shownTip = tip;
    }
}

void trayChanged() {
    const bool came = !trayThere;
    trayThere = trayHostPresent();
    if (came && trayThere && hooks.trayCame) hooks.trayCame();
}

}  // namespace

void traySetHooks(const TrayHooks& newHooks) {
    hooks = newHooks;
}

bool trayAdd(int iconId, const char* tipUtf8) {
    watchTrayHost(trayChanged);
    if (!shown) {
        trayThere = trayHostPresent();
        if (!trayThere) return false;
        // No context menu: that would take the right click from the front end.
        shown = new QSystemTrayIcon(QCoreApplication::instance());
        QObject::connect(shown, &QSystemTrayIcon::activated, shown, activated);
        shownId = 0;
        shownTip.clear();
    }
    show(iconId, tipUtf8);
    shown->show();
    return true;
}

bool trayModify(int iconId, const char* tipUtf8) {
    if (!shown) return false;
    show(iconId, tipUtf8);
    return trayThere;
}

void trayDelete() {
    if (!shown) return;
    QSystemTrayIcon* old = shown;
    shown = nullptr;
    // Gone from the desktop now; the object itself later, as this may run
    // inside its own click.
    old->hide();
    old->deleteLater();
}
