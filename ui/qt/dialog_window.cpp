#include "ui/qt/dialog_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "base/language.h"
#include "base/texts.h"
#include "dialogs/controls.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_dialog.h"
#include "resources/resource_ids.h"
#include "ui/layout/dialog_layout.h"
#include "ui/qt/pointer_state.h"

namespace {

std::vector<DialogWindow*> live;

// How long after an activation a click on the window still counts as its
// cause; the user sees nothing of the wait.
constexpr int kClickActivationMs = 150;

// Windows' fonts are not installed here: IPA's take the Japanese ones'
// place, proportional for proportional, and free look-alikes the English
// templates' ones.
void substituteWindowsFonts() {
    static bool done = false;
    if (done) return;
    done = true;
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), {QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic")});
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("DejaVu Sans Mono"),
                                                               QStringLiteral("Liberation Mono"), QStringLiteral("Nimbus Mono PS")});
}

QString fromUtf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

}  // namespace

// The English template names Windows' notification area; a Linux desktop
// calls it the tray.
const char* controlText(DialogId dialog, const ControlLayout& control) {
    if (programLanguage() == Language::English && dialog == kMainDialog && control.id == IDC_SHOW_TRAY)
        return ::text(IDS_SHOW_TRAY_LINUX);
    return control.text;
}

namespace {

bool takesFocus(ControlKind kind) { return kind != ControlKind::Label && kind != ControlKind::GroupBox; }

QWidget* makeEdit(const ControlLayout& c, QWidget* parent) {
    if (c.style & kLayoutEditMultiLine) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setReadOnly(c.style & kLayoutEditReadOnly);
        edit->setVerticalScrollBarPolicy((c.style & kLayoutVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy((c.style & kLayoutHScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(c.style & kLayoutEditReadOnly);
    edit->setFrame(c.style & kLayoutBorder);
    if (c.style & kLayoutEditRight) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QWidget* makeControl(DialogId dialog, const ControlLayout& c, QWidget* parent) {
    const QString text = fromUtf8(controlText(dialog, c));
    switch (c.kind) {
    case ControlKind::GroupBox: return new QGroupBox(text, parent);
    case ControlKind::Label: return new QLabel(text, parent);
    case ControlKind::ComboBox: return new QComboBox(parent);
    case ControlKind::Edit: return makeEdit(c, parent);
    case ControlKind::CheckBox: return new QCheckBox(text, parent);
    case ControlKind::RadioButton: return new QRadioButton(text, parent);
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        // Only the default button answers Enter, as in a Windows dialog.
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefaultButton);
        return button;
    }
    }
    return new QWidget(parent);
}

// A closed drop-down list is as tall as an edit, whatever height the
// template gives its open list.
int visibleHeight(const ControlLayout& c, const DialogUnits& units) {
    return units.toY(c.kind == ControlKind::ComboBox ? 12 : c.height);
}

}  // namespace

DialogUnits dialogUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units{(letters / 26 + 1) / 2, metrics.height()};
    if (units.baseX < 1) units.baseX = 1;
    if (units.baseY < 1) units.baseY = 1;
    return units;
}

QFont templateFont(const DialogLayout& layout) {
    substituteWindowsFonts();
    QFont font(fromUtf8(layout.fontFace));
    font.setPointSize(layout.fontPoints > 0 ? layout.fontPoints : 9);
    return font;
}

DialogWindow* dialogWindow(WindowHandle handle) {
    for (DialogWindow* window : live)
        if (window->handle() == handle) return window;
    return nullptr;
}

const std::vector<DialogWindow*>& liveDialogWindows() { return live; }

DialogWindow::DialogWindow(DialogId dialog, WindowHandle owner) : dialog_(dialog), owner_(owner) {
    const DialogLayout& layout = dialogLayout(dialog);
    const QFont font = templateFont(layout);
    setFont(font);
    units_ = dialogUnitsOf(font);
    setWindowTitle(fromUtf8(layout.caption));
    createControls(layout);

    const bool popup = layout.style & kLayoutPopup;
    DialogWindow* ownerWindow = dialogWindow(owner);
    // A popup stays with its owner (and a modal one blocks only it); the
    // log viewer is a window of its own, usable beside a modal dialog.
    if (popup && ownerWindow) setParent(ownerWindow, Qt::Dialog);
    Qt::WindowFlags flags = (popup ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (layout.style & kLayoutSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (layout.style & kLayoutMinimiseBox) flags |= Qt::WindowMinimizeButtonHint;
    if (layout.style & kLayoutMaximiseBox) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);

    const QSize client(units_.toX(layout.width), units_.toY(layout.height));
    if (layout.style & kLayoutThickFrame) resize(client);
    else setFixedSize(client);
    QPoint corner(units_.toX(layout.x), units_.toY(layout.y));
    if (ownerWindow) corner = ownerWindow->mapToGlobal(corner);
    move(corner);
    buildSystemMenu();
    activation_.setSingleShot(true);
    connect(&activation_, &QTimer::timeout, this, &DialogWindow::tellActivation);
    live.push_back(this);
}

DialogWindow::~DialogWindow() { live.erase(std::remove(live.begin(), live.end(), this), live.end()); }

QWidget* DialogWindow::control(int id) const {
    for (const auto& [controlId, widget] : controls_)
        if (controlId == id && id != IDC_STATIC_TEXT) return widget;
    return nullptr;
}

void DialogWindow::createControls(const DialogLayout& layout) {
    QWidget* previousFocus = nullptr;
    std::vector<QLabel*> waitingForBuddy;
    for (int i = 0; i < layout.controlCount; ++i) {
        const ControlLayout& c = layout.controls[i];
        QWidget* widget = makeControl(dialog_, c, this);
        widget->setGeometry(units_.toX(c.x), units_.toY(c.y), units_.toX(c.width), visibleHeight(c, units_));
        if (takesFocus(c.kind)) {
            widget->setFocusPolicy((c.style & kLayoutTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            if (previousFocus) QWidget::setTabOrder(previousFocus, widget);
            previousFocus = widget;
            // A label's mnemonic moves to the control after it, as on Windows.
            for (QLabel* label : waitingForBuddy) label->setBuddy(widget);
            waitingForBuddy.clear();
        } else if (c.kind == ControlKind::Label) {
            waitingForBuddy.push_back(static_cast<QLabel*>(widget));
        }
        controls_.emplace_back(c.id, widget);
        connectControl(widget, c.id);
        widget->installEventFilter(this);  // its presses, for the activation
    }
    // Frames stay behind the controls drawn over them.
    for (const auto& [id, widget] : controls_)
        if (qobject_cast<QGroupBox*>(widget)) widget->lower();
}

void DialogWindow::connectControl(QWidget* widget, int id) {
    if (id == IDC_STATIC_TEXT) return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        connect(button, &QAbstractButton::clicked, this, [this, id] { sendCommand(id, ControlEvent::Clicked); });
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
        connect(line, &QLineEdit::textChanged, this, [this, id] { sendCommand(id, ControlEvent::Edited); });
}

void DialogWindow::sendCommand(int id, ControlEvent event) {
    if (initialised_ && !destroyed_) dialogCommand(dialog_, handle(), id, event);
}

// Of the system's window-menu items only the restore does anything from a
// tray: moving, sizing, minimising and closing are the window manager's.
void DialogWindow::buildSystemMenu() { menu_.addAction(fromUtf8(::text(IDS_MENU_RESTORE)))->setData(kRestoreItem); }

void DialogWindow::initialise() {
    initialised_ = true;
    dialogInit(dialog_, handle());
    // A visible template shows normal once initialised when the dialog left
    // it hidden, as the system's dialogs do (a minimised one stays so).
    if (!destroyed_ && !isVisible() && (dialogLayout(dialog_).style & kLayoutVisible)) showNormal();
    QTimer::singleShot(0, this, [this] {
        if (!destroyed_) dialogSettled(dialog_, handle());
    });
}

void DialogWindow::destroyWithOwned() {
    if (destroyed_) return;
    const std::vector<DialogWindow*> all = live;
    for (DialogWindow* other : all)
        if (other != this && other->owner_ == handle() && dialogWindow(other->handle())) {
            other->destroyWithOwned();
            other->hide();
            if (!other->modalLoop) other->deleteLater();
        }
    endNestedRuns();
    if (initialised_) dialogDestroyed(dialog_, handle());
    destroyed_ = true;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

// Message boxes and choosers are children of the window that asked; each
// runs a loop of its own, which must return before the window may go.
void DialogWindow::endNestedRuns() {
    menu_.close();
    for (QDialog* box : findChildren<QDialog*>())
        if (!qobject_cast<DialogWindow*>(box) && box->isVisible()) box->done(QDialog::Rejected);
    modalEnded = true;
    if (modalLoop) modalLoop->quit();
}

void DialogWindow::applyPendingOuterSize() {
    if (pendingOuterSize.isEmpty() || !isVisible()) return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) return;  // not framed yet
    const QSize client = pendingOuterSize - frame;
    pendingOuterSize = QSize();
    if (client.width() > 0 && client.height() > 0) resize(client);
}

void DialogWindow::moveEvent(QMoveEvent* event) {
    applyPendingOuterSize();
    QDialog::moveEvent(event);
    if (initialised_ && !destroyed_) dialogMoved(dialog_, handle());
}

void DialogWindow::resizeEvent(QResizeEvent* event) {
    applyPendingOuterSize();
    QDialog::resizeEvent(event);
    if (initialised_ && !destroyed_) dialogSized(dialog_, handle());
}

void DialogWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (!initialised_ || destroyed_) return;
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) minimisedSinceActive_ = true;
        // Restored before Qt let the focus go (it waits a moment for it to
        // come back): no activation follows, so the coming back is told now,
        // not at some later activation that would drop newer edits.
        else if (minimisedSinceActive_ && isActiveWindow() && dialog_ == kMainDialog) activated();
        dialogSized(dialog_, handle());
    } else if (event->type() == QEvent::ActivationChange && dialog_ == kMainDialog) {
        if (isActiveWindow()) {
            activated();
        } else {
            tellActivation();
            mainDialogActivated(handle(), ActivationEvent{Activation::Inactive, false, 0});
        }
    }
}

// Activated by a click when a button is down over the window now (its
// frame included), or when a press reaches it in the moment after. A
// window coming back from minimised was not clicked (its taskbar button
// or tray icon was): it is told at once, before any key typed into it.
void DialogWindow::activated() {
    if (minimisedSinceActive_) {
        minimisedSinceActive_ = false;
        mainDialogActivated(handle(), ActivationEvent{Activation::Active, true, 0});
        return;
    }
    activatedByClick_ = pointerButtonDownOver(this);
    activationPending_ = true;
    activation_.start(kClickActivationMs);
}

void DialogWindow::tellActivation() {
    if (!activationPending_ || destroyed_) return;
    activationPending_ = false;
    activation_.stop();
    mainDialogActivated(handle(),
                        ActivationEvent{activatedByClick_ ? Activation::ByClick : Activation::Active, false, 0});
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && activationPending_) activatedByClick_ = true;
    return QDialog::eventFilter(watched, event);
}

// The close button and Alt+F4 are the dialog's Cancel, as on Windows.
void DialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    QTimer::singleShot(0, this, [this] { sendCommand(IDC_CANCEL, ControlEvent::Clicked); });
}

void DialogWindow::reject() { sendCommand(IDC_CANCEL, ControlEvent::Clicked); }

void DialogWindow::mousePressEvent(QMouseEvent* event) {
    if (activationPending_) activatedByClick_ = true;
    QDialog::mousePressEvent(event);
    if (initialised_ && !destroyed_) dialogClicked(handle());
}

void runWindowMenuCommand(DialogWindow* window, int command) {
    if (!window || !dialogWindow(window->handle())) return;
    if (command != kRestoreItem) {
        dialogCommand(window->dialog(), window->handle(), command, ControlEvent::Clicked);
        return;
    }
    window->showNormal();
    window->activateWindow();
}
