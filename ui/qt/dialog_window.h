// A dialog window of the Qt front end: the controls of its template in
// ui/layout, placed in dialog units taken from the template font's
// metrics, and its events turned into the calls of dialogs/dialogs.h.
#pragma once

#include <QDialog>
#include <QEventLoop>
#include <QFont>
#include <QMenu>
#include <QTimer>
#include <vector>

#include "base/front_end.h"
#include "dialogs/events.h"
#include "settings/settings_file.h"

struct DialogLayout;
struct ControlLayout;

// Dialog units in pixels for a font, as Windows measures them: the average
// width of the Latin letters and the font's height.
struct DialogUnits {
    int baseX;
    int baseY;
    int toX(int units) const { return (units * baseX + 2) / 4; }
    int toY(int units) const { return (units * baseY + 4) / 8; }
};
DialogUnits dialogUnitsOf(const QFont& font);

// What a control of the template says on Linux: its template text, or in
// English the Linux desktop's word where the template has Windows' one.
const char* controlText(DialogId dialog, const ControlLayout& control);

// The template's font, with the installed Japanese fonts standing in for
// the Windows ones it names.
QFont templateFont(const DialogLayout& layout);

class DialogWindow : public QDialog {
    Q_OBJECT

public:
    DialogWindow(DialogId dialog, WindowHandle owner);
    ~DialogWindow() override;

    DialogId dialog() const { return dialog_; }
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(this); }
    WindowHandle owner() const { return owner_; }
    const DialogUnits& units() const { return units_; }
    QWidget* control(int id) const;

    // The window menu, which the tray pops up: restore, then what the
    // program added (extendWindowMenu).
    QMenu* windowMenu() { return &menu_; }

    // Calls the dialog's initialisation; events reach dialogs/ from now on.
    void initialise();
    // The last calls before the window goes: owned windows first, as the
    // system destroys them with their owner. Every run nested in the window
    // (its modal loop, a message box, a chooser, its menu) ends, so that
    // each returns to its caller; the object itself is left to the caller.
    void destroyWithOwned();

    // A modal run: set while its loop runs, ended by endModalDialog. Its
    // window is deleted when the run returns, never earlier: the runs
    // nested in it still use it until then.
    QEventLoop* modalLoop = nullptr;
    bool modalEnded = false;
    // The icon shown in the title bar and taskbar, 0 before the first.
    int classIcon = 0;
    // An outer size asked for before the window manager framed the window:
    // the client size follows once the frame is known.
    QSize pendingOuterSize;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void createControls(const DialogLayout& layout);
    void connectControl(QWidget* widget, int id);
    void buildSystemMenu();
    void applyPendingOuterSize();
    void sendCommand(int id, ControlEvent event);
    void endNestedRuns();
    void activated();
    void tellActivation();

    DialogId dialog_;
    WindowHandle owner_;
    DialogUnits units_{};
    std::vector<std::pair<int, QWidget*>> controls_;
    QMenu menu_;
    bool initialised_ = false;
    bool destroyed_ = false;
    bool minimisedSinceActive_ = false;
    // An activation is told a moment late: the click that caused it, if
    // any, reaches the window only after it.
    QTimer activation_;
    bool activationPending_ = false;
    bool activatedByClick_ = false;
};

// The live window behind a handle, or nullptr (a stale handle is harmless).
DialogWindow* dialogWindow(WindowHandle handle);
// Every live dialog window, oldest first.
const std::vector<DialogWindow*>& liveDialogWindows();

// Runs an item of the window menu: the program's own items as commands of
// the window, as the system's tray menu does, the restore item itself.
void runWindowMenuCommand(DialogWindow* window, int command);

// The window menu's one item of its own (the program's commands are above 0).
constexpr int kRestoreItem = 0;
