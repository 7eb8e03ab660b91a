#include "ui/qt/tray.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include "resources/resource_ids.h"
#include "ui/qt/icons.h"
#include "ui/qt/tray_watch.h"

namespace {

TrayHooks hooks{};
void (*menuChosen)(int command);
enum class Shown { None, Item, XEmbed };
Shown shown = Shown::None;
bool trayThere;  // as last asked

// Qt's icon in the X tray, where no watcher is.
QPointer<QSystemTrayIcon> xembed;
int xembedId = 0;
QString xembedTip;

// From the item's thread to the event loop, as the system posts the
// tray's callback message.
void itemEvent(ItemEvent event, int command) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [event, command] {
            if (event == ItemEvent::Activate && hooks.leftClick) hooks.leftClick();
            else if (event == ItemEvent::ContextMenu && hooks.rightClick) hooks.rightClick();
            else if (event == ItemEvent::MenuChosen && menuChosen) menuChosen(command);
        },
        Qt::QueuedConnection);
}

void activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && hooks.leftClick) hooks.leftClick();
    if (reason == QSystemTrayIcon::Context && hooks.rightClick) hooks.rightClick();
}

// A desktop shows a new picture or tip as a change: unchanged ones are
// not handed on again.
void show(int iconId, const char* tipUtf8) {
    if (shown == Shown::Item) {
        statusNotifierSet(iconId, tipUtf8);
        return;
    }
    if (iconId < 1 || iconId > IDI_COUNT) iconId = IDI_BATTERY_PLAIN;
    if (iconId != xembedId) {
        xembed->setIcon(programIcon(iconId));
        xembedId = iconId;
    }
    QString tip = QString::fromUtf8(tipUtf8 ? tipUtf8 : "");
    if (tip != xembedTip) {
        xembed->setToolTip(tip);
        xembedTip = tip;
    }
}

// Qt settles at its first icon whether it uses a watcher: made only where
// none is, it docks in the X tray.
void addXEmbed() {
    // No context menu: that would take the right click from the front end.
    xembed = new QSystemTrayIcon(QCoreApplication::instance());
    QObject::connect(xembed, &QSystemTrayIcon::activated, xembed, activated);
    xembedId = 0;
    xembedTip.clear();
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

void traySetMenu(const TrayMenuRow* rows, int count, void (*chosen)(int command)) {
    menuChosen = chosen;
    statusNotifierSetMenu(rows, count);
}

bool trayAdd(int iconId, const char* tipUtf8) {
    watchTrayHost(trayChanged);
    if (shown == Shown::None) {
        const bool item = statusNotifierHostPresent();
        trayThere = item || xTrayPresent();
        if (!trayThere) return false;
        shown = item ? Shown::Item : Shown::XEmbed;
        if (!item) addXEmbed();
    }
    show(iconId, tipUtf8);
    // Shown again, the item also tries its connection again.
    if (shown == Shown::Item) statusNotifierShow(itemEvent);
    else xembed->show();
    return true;
}

bool trayModify(int iconId, const char* tipUtf8) {
    if (shown == Shown::None) return false;
    show(iconId, tipUtf8);
    return trayThere;
}

void trayDelete() {
    if (shown == Shown::Item) statusNotifierHide();
    if (shown == Shown::XEmbed && xembed) {
        QSystemTrayIcon* old = xembed;
        xembed = nullptr;
        // Gone from the desktop now; the object itself later, as this may
        // run inside its own click.
        old->hide();
        old->deleteLater();
    }
    shown = Shown::None;
}
