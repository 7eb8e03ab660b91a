// The screen of base/front_end.h on Qt: the main dialog's window, the tray
// icon, message boxes, help and the desktop's notifications.
#include "ui/qt/front_end_qt.h"

#include <QAction>
#include <QAnyStringView>
#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <climits>

#include "base/front_end.h"
#include "base/language.h"
#include "base/texts.h"
#include "dialogs/controls.h"
#include "dialogs/events.h"
#include "dialogs/health_window.h"
#include "dialogs/log_viewer.h"
#include "dialogs/main_dialog.h"
#include "monitor/presentation.h"
#include "platform/linux/linux_platform.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/icons.h"
#include "ui/qt/tray.h"
#include "ui/qt/x11_title.h"

namespace {

// A row chosen in the menu that a panel shows for the tray icon: as if
// chosen in the window menu that a right click pops up.
void trayMenuChosen(int command) {
    if (DialogWindow* w = dialogWindow(frontEndMainWindow())) runWindowMenuCommand(w, command);
}

// That menu is the window menu, as the main dialog extended it.
void giveTrayTheWindowMenu(WindowHandle window) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    TrayMenuRow rows[kItemMenuRows];
    QByteArray labels[kItemMenuRows];
    int count = 0;
    for (QAction* action : w->windowMenu()->actions()) {
        if (count == kItemMenuRows) break;
        labels[count] = action->text().toUtf8();
        rows[count] = {action->data().toInt(), action->isSeparator() ? nullptr : labels[count].constData()};
        ++count;
    }
    traySetMenu(rows, count, trayMenuChosen);
}

QWidget* messageOwner() { return dialogWindow(frontEndMainWindow()); }

// Modal to the main window only, as a box owned by it is on Windows: the
// log viewer stays usable.
void runBox(QMessageBox& box) {
    if (box.parentWidget()) box.setWindowModality(Qt::WindowModal);
    box.exec();
}

QString fromUtf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

// Posted, as the system posts the tray's callback message: the desktop's
// call returns at once, not when the popped-up menu closes.
void trayClicked(TrayClick click) {
    QTimer::singleShot(0, [click] {
        if (WindowHandle window = frontEndMainWindow()) mainDialogTrayClicked(window, click);
    });
}

void trayLeft() { trayClicked(TrayClick::Left); }
void trayRight() { trayClicked(TrayClick::Right); }

// A panel started after the program, or restarted: the icon is added at
// the next refresh, as Windows' "TaskbarCreated" has it added again.
void trayCame() { forgetTrayIcon(); }

}  // namespace

void connectQtFrontEnd() {
    // The platform's timers wake the event loop through their descriptor.
    if (int fd = linuxTimerFd(); fd >= 0) {
        static QSocketNotifier timers(fd, QSocketNotifier::Read);
        QObject::connect(&timers, &QSocketNotifier::activated, [] { linuxTimersWake(); });
    }
    traySetHooks(TrayHooks{trayLeft, trayRight, trayCame});
}

// ---------------------------------------------------------------- the main window

WindowHandle frontEndMainWindow() { return mainDialogWindow(); }

// Set at every refresh; each new title is two properties the X server
// sends round to the window manager and back to us, so an unchanged one
// is not handed on.
void frontEndSetCaption(WindowHandle window, const char* text) {
    DialogWindow* w = dialogWindow(window);
    if (!text) text = "";
    if (!w || setX11Title(w, text)) return;
    // Compared as it stands: no string is made for a title that stays.
    if (!QAnyStringView::equal(w->windowTitle(), QUtf8StringView(text))) w->setWindowTitle(QString::fromUtf8(text));
}

// Set at every refresh; handed on only when it changes, since each new
// icon is a property the X server sends round to every client.
void frontEndSetClassIcon(WindowHandle window, int iconId) {
    DialogWindow* w = dialogWindow(window);
    if (!w || w->classIcon == iconId) return;
    w->classIcon = iconId;
    w->setWindowIcon(programIcon(iconId));
}

bool frontEndIsMinimisedAndVisible(WindowHandle window) {
    const WindowShowState shown = windowShowState(window);
    return shown.minimised && shown.visible;
}

void frontEndHideWindow(WindowHandle window) { showWindow(window, ShowCommand::Hide); }

void frontEndEndMainDialog() { endMainDialog(); }

// ---------------------------------------------------------------- the tray icon

// The desktop knows one icon of ours; the window it stands for is the main one.
bool frontEndTrayAdd(WindowHandle window, int iconId, const char* tip) {
    if (!window) return false;
    giveTrayTheWindowMenu(window);
    return trayAdd(iconId, tip);
}
bool frontEndTrayModify(WindowHandle window, int iconId, const char* tip) {
    return window && trayModify(iconId, tip);
}
void frontEndTrayDelete(WindowHandle window) {
    if (window) trayDelete();
}

// ---------------------------------------------------------------- messages

bool frontEndAskYesNo(const char* text, const char* caption) {
    QMessageBox box(QMessageBox::Question, fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton, messageOwner());
    QPushButton* yes = box.addButton(fromUtf8(::text(IDS_YES)), QMessageBox::YesRole);
    box.addButton(fromUtf8(::text(IDS_NO)), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    runBox(box);
    return box.clickedButton() == yes;
}

void frontEndShowMessage(const char* text, const char* caption) {
    QMessageBox box(QMessageBox::Information, fromUtf8(caption), fromUtf8(text), QMessageBox::NoButton,
                    messageOwner());
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    runBox(box);
}

// The desktop's notification of an alert, beside its sound. Where no
// service shows notifications the call fails, and nobody waits for it.
void frontEndNotifyAlert(bool full, int32_t percent) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString summary = fromUtf8(::text(full ? IDS_FULL_SUMMARY : IDS_LOW_SUMMARY));
    const QString body = fromUtf8(::text(full ? IDS_FULL_BODY : IDS_LOW_BODY)).arg(percent);
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(full ? 1 : 2));
    hints.insert(QStringLiteral("category"), QStringLiteral("device"));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("cellwarden"));
    notify << QStringLiteral("Cellwarden") << 0u
           << (full ? QStringLiteral("battery-full-charged") : QStringLiteral("battery-caution")) << summary << body
           << QStringList() << hints << -1;
    QDBusConnection::sessionBus().asyncCall(notify);
}

// ---------------------------------------------------------------- help

// Linux has no viewer for .HLP: only the page standing in for it is shown.
void frontEndOpenHelp(const char* path) {
    char page[PATH_MAX];
    if (!linuxHelpPage(path, page, sizeof page)) return;
    // A file URL with a fragment goes to the browser (xdg-open) whole.
    QUrl url = QUrl::fromLocalFile(QString::fromUtf8(page));
    url.setFragment(QString::fromLatin1(languageName(programLanguage())));
    QDesktopServices::openUrl(url);
}

// ---------------------------------------------------------------- the log viewer

void frontEndRedrawLogViewer() { redrawLogViewer(); }

// ---------------------------------------------------------------- the health window

void frontEndRefreshHealthWindow() { refreshHealthWindow(); }
