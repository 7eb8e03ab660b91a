// The controls and windows of dialogs/controls.h on Qt. The core's texts
// are UTF-8 here, so they pass unchanged; what comes back is cut to the
// caller's buffer on a character boundary.
#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <cstring>

#include "dialogs/controls.h"
#include "dialogs/main_dialog.h"
#include "settings/settings_file.h"
#include "ui/layout/dialog_layout.h"
#include "ui/qt/dialog_window.h"

namespace {

QWidget* item(WindowHandle dialog, int id) {
    DialogWindow* window = dialogWindow(dialog);
    return window ? window->control(id) : nullptr;
}

void copyUtf8Cut(const QByteArray& bytes, char* out, size_t size) {
    if (!out || size == 0) return;
    size_t end = static_cast<size_t>(bytes.size());
    if (end > size - 1) {
        end = size - 1;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
    }
    memcpy(out, bytes.constData(), end);
    out[end] = '\0';
}

// Keeps a window whose recorded place lies on a screen no longer there
// within reach: it moves onto the nearest screen's available area.
QRect onSomeScreen(QRect r) {
    if (QGuiApplication::screenAt(r.topLeft()) || QGuiApplication::screenAt(r.bottomRight())) return r;
    QScreen* nearest = QGuiApplication::primaryScreen();
    if (!nearest) return r;
    const QRect area = nearest->availableGeometry();
    int x = std::clamp(r.x(), area.left(), std::max(area.left(), area.right() + 1 - r.width()));
    int y = std::clamp(r.y(), area.top(), std::max(area.top(), area.bottom() + 1 - r.height()));
    return QRect(x, y, r.width(), r.height());
}

// No settings file yet: the program's first start for this user.
bool firstStart() {
    char path[kPathSize];
    settingsFilePath(path);
    return !QFileInfo::exists(QString::fromUtf8(path));
}

}  // namespace

bool controlChecked(WindowHandle dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(item(dialog, id));
    return button && button->isChecked();
}

void setControlChecked(WindowHandle dialog, int id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(item(dialog, id))) {
        // One radio button of a group may be unchecked by itself, as Windows allows.
        const bool exclusive = button->autoExclusive();
        if (!checked) button->setAutoExclusive(false);
        button->setChecked(checked);
        button->setAutoExclusive(exclusive);
    }
}

void controlText(WindowHandle dialog, int id, char* out, size_t size) {
    QWidget* widget = item(dialog, id);
    QString text;
    if (auto* line = qobject_cast<QLineEdit*>(widget)) text = line->text();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) text = plain->toPlainText();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
    copyUtf8Cut(text.toUtf8(), out, size);
}

void setControlText(WindowHandle dialog, int id, const char* text) {
    QWidget* widget = item(dialog, id);
    const QString value = QString::fromUtf8(text ? text : "");
    // QLineEdit reports the change through textChanged before this returns.
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(value);
        line->setCursorPosition(0);  // shown from its start, as a Windows edit is
    }
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) plain->setPlainText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(value);
}

void enableControl(WindowHandle dialog, int id, bool enabled) {
    if (QWidget* widget = item(dialog, id)) widget->setEnabled(enabled);
}

void setControlTip(WindowHandle dialog, int id, const char* text) {
    if (QWidget* widget = item(dialog, id)) widget->setToolTip(QString::fromUtf8(text ? text : ""));
}

void fillList(WindowHandle dialog, int id, const char* const* entries, int count, int selected) {
    auto* list = qobject_cast<QComboBox*>(item(dialog, id));
    if (!list) return;
    list->clear();
    for (int i = 0; i < count; ++i) list->addItem(QString::fromUtf8(entries[i]));
    list->setCurrentIndex(selected >= 0 && selected < count ? selected : -1);
}

int listSelection(WindowHandle dialog, int id) {
    auto* list = qobject_cast<QComboBox*>(item(dialog, id));
    return list ? list->currentIndex() : -1;
}

WindowShowState windowShowState(WindowHandle window) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return WindowShowState{false, false, false};
    return WindowShowState{w->isMinimized(), w->isMaximized(), w->isVisible()};
}

WindowRect windowRect(WindowHandle window) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return WindowRect{0, 0, 0, 0};
    const QRect r = w->frameGeometry();
    return WindowRect{r.x(), r.y(), r.width(), r.height()};
}

void screenToOwnerClient(WindowHandle window, int32_t& x, int32_t& y) {
    DialogWindow* w = dialogWindow(window);
    if (DialogWindow* owner = w ? dialogWindow(w->owner()) : nullptr) {
        const QPoint p = owner->mapFromGlobal(QPoint(x, y));
        x = p.x(), y = p.y();
    }
}

void ownerClientToScreen(WindowHandle window, int32_t& x, int32_t& y) {
    DialogWindow* w = dialogWindow(window);
    if (DialogWindow* owner = w ? dialogWindow(w->owner()) : nullptr) {
        const QPoint p = owner->mapToGlobal(QPoint(x, y));
        x = p.x(), y = p.y();
    }
}

void moveWindow(WindowHandle window, const WindowRect& rect) {
    DialogWindow* w = dialogWindow(window);
    if (!w || rect.width <= 0 || rect.height <= 0) return;
    const QRect r = onSomeScreen(QRect(rect.x, rect.y, rect.width, rect.height));
    // The rectangle is the outer one; Qt sizes the client area.
    const QRect frame = w->frameGeometry(), client = w->geometry();
    const int width = r.width() - (frame.width() - client.width());
    const int height = r.height() - (frame.height() - client.height());
    w->move(r.topLeft());
    if (w->minimumSize() == w->maximumSize()) return;  // a fixed frame keeps its size
    if (width > 0 && height > 0) w->resize(width, height);
    // Not framed yet: the frame's share is taken off once it is known.
    if (frame.size() == client.size()) w->pendingOuterSize = r.size();
}

void showWindow(WindowHandle window, ShowCommand command) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    switch (command) {
    case ShowCommand::Normal: w->showNormal(); break;
    case ShowCommand::Minimise: w->showMinimized(); break;
    case ShowCommand::Maximise: w->showMaximized(); break;
    case ShowCommand::Hide: w->hide(); break;
    }
}

void raiseWindow(WindowHandle window) {
    if (DialogWindow* w = dialogWindow(window)) {
        w->show();
        w->raise();
    }
}

void bringWindowToTop(WindowHandle window) {
    if (DialogWindow* w = dialogWindow(window)) {
        w->raise();
        w->activateWindow();
    }
}

void setForegroundWindow(WindowHandle window) { bringWindowToTop(window); }

// No template gives a dialog scroll bars of its own; the log viewer's are
// its edit's.
void setScrollBar(WindowHandle, bool, int32_t, int32_t) {}

void extendWindowMenu(WindowHandle window, const MenuItem* items, int count) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    QMenu* menu = w->windowMenu();
    const QList<QAction*> actions = menu->actions();
    if (actions.size() > 1) menu->removeAction(actions[1]);
    menu->addSeparator();
    for (int i = 0; i < count; ++i) menu->addAction(QString::fromUtf8(items[i].text))->setData(items[i].command);
}

// The chosen item arrives afterwards, as a posted command does.
void popUpWindowMenu(WindowHandle window) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    QAction* chosen = w->windowMenu()->exec(QCursor::pos());
    if (!chosen) return;
    const int command = chosen->data().toInt();
    QTimer::singleShot(0, w, [window, command] { runWindowMenuCommand(dialogWindow(window), command); });
}

void showTextAtEnd(WindowHandle dialog, int id, const char* text) {
    auto* edit = qobject_cast<QPlainTextEdit*>(item(dialog, id));
    if (!edit) return;
    // The log's lines end in CR LF; a lone line feed is one line break here.
    edit->setPlainText(QString::fromUtf8(text ? text : "").replace(QLatin1String("\r\n"), QLatin1String("\n")));
    edit->moveCursor(QTextCursor::End);
    // The last line at the bottom of a full view.
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
    edit->horizontalScrollBar()->setValue(0);
}

// The label's size in pixels, drawn anew each time: a chart is redrawn
// at most once a day.
void paintPicture(WindowHandle dialog, int id, PicturePainter paint, void* context) {
    auto* label = qobject_cast<QLabel*>(item(dialog, id));
    if (!label || label->width() <= 0 || label->height() <= 0) return;
    QImage image(label->size(), QImage::Format_RGB32);
    if (image.isNull()) return;
    Picture picture{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height()};
    paint(picture, context);
    label->setPixmap(QPixmap::fromImage(image));
}

void showProgramText(WindowHandle dialog, int id, const char* text) {
    auto* edit = qobject_cast<QPlainTextEdit*>(item(dialog, id));
    if (!edit) return;
    // The same text again keeps what the user selected.
    const QString shown = QString::fromUtf8(text ? text : "");
    if (edit->toPlainText() == shown && !shown.isEmpty()) return;
    const int column = edit->horizontalScrollBar()->value();
    const int line = edit->verticalScrollBar()->value();
    // Selected and copied from the keyboard too, as a read-only edit is on Windows.
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setPlainText(shown);
    // A refresh leaves the view where the user scrolled it.
    edit->verticalScrollBar()->setValue(line);
    edit->horizontalScrollBar()->setValue(column);
}

void fillClientWithControl(WindowHandle dialog, int id) {
    DialogWindow* w = dialogWindow(dialog);
    QWidget* control = w ? w->control(id) : nullptr;
    if (!control) return;
    const QPoint corner = control->pos();
    control->setGeometry(corner.x(), corner.y(), w->width(), w->height() - corner.y());
}

// ---------------------------------------------------------------- dialogs

uint32_t dialogTemplateStyle(DialogId dialog) {
    return dialog >= 0 && dialog < kDialogCount ? dialogLayout(dialog).style : 0;
}

void runModalDialog(DialogId dialog, WindowHandle owner) {
    auto* window = new DialogWindow(dialog, owner);
    // Modal to its owner only: the log viewer stays usable.
    if (owner) window->setWindowModality(Qt::WindowModal);
    QEventLoop loop;
    window->modalLoop = &loop;
    window->initialise();
    // Many Linux desktops have no taskbar: on the first start the main
    // dialog shows once, so that a new user finds the program.
    if (!owner && !window->modalEnded && firstStart()) showMainWindow();
    if (!window->modalEnded) loop.exec();
    window->modalLoop = nullptr;
    window->destroyWithOwned();
    window->hide();
    // Every run nested in it has returned: nothing uses the window now.
    delete window;
}

WindowHandle createModelessDialog(DialogId dialog, WindowHandle owner) {
    auto* window = new DialogWindow(dialog, owner);
    const WindowHandle handle = window->handle();
    window->initialise();
    return dialogWindow(handle) ? handle : 0;
}

void endModalDialog(WindowHandle window, int) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    w->modalEnded = true;
    w->hide();
    if (w->modalLoop) w->modalLoop->quit();
}

// A window gone ends the modal run it had, as on Windows; the run deletes
// its own window when it returns.
void destroyDialogWindow(WindowHandle window) {
    DialogWindow* w = dialogWindow(window);
    if (!w) return;
    w->destroyWithOwned();
    w->hide();
    if (!w->modalLoop) w->deleteLater();
}
