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
#include <QTimer>
#include <QUrl>

#include "dialogs/controls.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_dialog.h"
#include "monitor/presentation.h"
#include "platform/linux/linux_platform.h"
#include "resources/resource_ids.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/icons.h"
#include "ui/qt/timer_wheel.h"
#include "ui/qt/tray.h"
#include "ui/qt/x11_title.h"

namespace {

constexpr uint64_t kTrayIconId = 12345;
constexpr uint64_t kMouseLeftDown = 0x201;
constexpr uint64_t kMouseRightDown = 0x204;
constexpr int kTimerToleranceMs = 32;

TimerWheel* wheel;

WindowHandle mainWindow() { return dialogFrames[kMainDialog].window; }

bool startTimer(uintptr_t id, uint32_t periodMs) { return wheel && wheel->start(id, periodMs); }
void stopTimer(uintptr_t id) {
    if (wheel) wheel->stop(id);
}
void armTimer(uintptr_t id, int64_t delayMs) {
    if (wheel) wheel->arm(id, delayMs);
}

// Set at every refresh; each new title is two properties the X server
// sends round to the window manager and back to us, so an unchanged one
// is not handed on.
void setCaption(WindowHandle window, const char* text) {
    DialogWindow* w = dialogWindow(window);
    if (!w || setX11Title(w, text)) return;
    // Compared as it stands: no string is made for a title that stays.
    if (!QAnyStringView::equal(w->windowTitle(), QUtf8StringView(text))) w->setWindowTitle(QString::fromUtf8(text));
}

// Set at every refresh; handed on only when it changes, since each new
// icon is a property the X server sends round to every client.
void setClassIcon(WindowHandle window, int iconId) {
    DialogWindow* w = dialogWindow(window);
    if (!w || w->classIcon == iconId) return;
    w->classIcon = iconId;
    w->setWindowIcon(programIcon(iconId));
}

// A row chosen in the menu that a panel shows for the tray icon: as if
// chosen in the window menu that a right click pops up.
void trayMenuChosen(int command) {
    if (DialogWindow* w = dialogWindow(mainWindow())) runWindowMenuCommand(w, command);
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

bool trayAddHook(WindowHandle window, int iconId, const char* tip) {
    giveTrayTheWindowMenu(window);
    return trayAdd(iconId, tip);
}
bool trayModifyHook(WindowHandle, int iconId, const char* tip) { return trayModify(iconId, tip); }
void trayDeleteHook(WindowHandle) { trayDelete(); }

bool isMinimisedAndVisible(WindowHandle window) {
    const WindowShowState shown = windowShowState(window);
    return shown.minimised && shown.visible;
}

void hideWindow(WindowHandle window) { showWindow(window, ShowCommand::Hide); }

QWidget* messageOwner() { return dialogWindow(mainWindow()); }

// Modal to the main window only, as a box owned by it is on Windows: the
// log viewer stays usable.
void runBox(QMessageBox& box) {
    if (box.parentWidget()) box.setWindowModality(Qt::WindowModal);
    box.exec();
}

bool askYesNo(const char* text, const char* caption) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::NoButton,
                    messageOwner());
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    runBox(box);
    return box.clickedButton() == yes;
}

void showMessage(const char* text, const char* caption) {
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::NoButton, messageOwner());
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    runBox(box);
}

bool openPage(const char* path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path))); }

void redrawLogViewer() {
    if (WindowHandle log = dialogFrames[kLogDialog].window) dialogCommand(kLogDialog, log, IDC_LOG_TEXT, kNotifyRefresh);
}

void endMainDialog() {
    DialogFrame& frame = dialogFrames[kMainDialog];
    if (frame.window) endDialog(frame, frame.window);
}

// Posted, as the system posts the tray's callback message: the desktop's
// call returns at once, not when the popped-up menu closes.
void trayNotice(uint64_t mouseMessage) {
    QTimer::singleShot(0, [mouseMessage] {
        if (WindowHandle window = mainWindow()) mainDialogTrayNotice(window, kTrayIconId, mouseMessage);
    });
}

// The main timer's start showed caption, icon and tray before the main
// window existed. At the event loop's first turn the window is made and
// put away: shown then, they appear at start, not a display interval later.
void showAtStart() {
    static int tries;
    if (mainWindow()) updatePresentation();
    else if (++tries < 100) QTimer::singleShot(10, showAtStart);  // a turn before the dialog opened
}

void trayLeft() { trayNotice(kMouseLeftDown); }
void trayRight() { trayNotice(kMouseRightDown); }

// The desktop's notification of an alert, beside its sound. Where no
// service shows notifications the call fails, and nobody waits for it.
void notifyAlert(bool full, int32_t percent) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString summary = full ? QStringLiteral("ﾌﾙ充電") : QStringLiteral("容量減少警告");
    const QString body = full ? QStringLiteral("バッテリーが %1% まで充電されました").arg(percent)
                              : QStringLiteral("バッテリーの残りが %1% になりました").arg(percent);
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(full ? 1 : 2));
    hints.insert(QStringLiteral("category"), QStringLiteral("device"));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("cellwarden"));
    notify << QStringLiteral("Cellwarden") << 0u
           << (full ? QStringLiteral("battery-full-charged") : QStringLiteral("battery-caution")) << summary << body
           << QStringList() << hints << -1;
    QDBusConnection::sessionBus().asyncCall(notify);
}

// A panel started after the program, or restarted: the icon is added at
// the next refresh, as Windows' "TaskbarCreated" has it added again.
void trayCame() { trayOwner = 0; }

}  // namespace

void connectQtFrontEnd() {
    static TimerWheel timers(linuxTimerFired, kTimerToleranceMs, linuxClockSet);
    wheel = &timers;
    LinuxFrontEnd hooks{};
    hooks.mainWindow = mainWindow;
    hooks.startTimer = startTimer;
    hooks.stopTimer = stopTimer;
    hooks.armTimer = armTimer;
    hooks.setCaption = setCaption;
    hooks.setClassIcon = setClassIcon;
    hooks.trayAdd = trayAddHook;
    hooks.trayModify = trayModifyHook;
    hooks.trayDelete = trayDeleteHook;
    hooks.isMinimisedAndVisible = isMinimisedAndVisible;
    hooks.hideWindow = hideWindow;
    hooks.askYesNo = askYesNo;
    hooks.showMessage = showMessage;
    hooks.openPage = openPage;
    hooks.redrawLogViewer = redrawLogViewer;
    hooks.endMainDialog = endMainDialog;
    hooks.notifyAlert = notifyAlert;
    linuxConnect(hooks);
    traySetHooks(TrayHooks{trayLeft, trayRight, trayCame});
    QTimer::singleShot(0, showAtStart);
}
