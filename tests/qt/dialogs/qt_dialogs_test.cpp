// The dialogs on Qt widgets, in this process on Qt's offscreen platform,
// with the simulated machine beneath the dialogs' behaviour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cstring>
#include <memory>
#include <vector>

#include "app/apply_settings.h"
#include "app/file_chooser_setup.h"
#include "base/language.h"
#include "base/texts.h"
#include "dialogs/controls.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "ui/layout/dialog_layout.h"
#include "ui/qt/dialog_window.h"
#include "ui/sim/sim_front_end.h"

namespace {

class QtDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset();
        simui::resetScreen();
        initSettingsRecords();
        resetDialogs();
        beginMainDialogEdit();
    }
    void TearDown() override {
        for (DialogWindow* w : std::vector<DialogWindow*>(liveDialogWindows())) delete w;
        resetDialogs();
    }
    // The main dialog as the program makes it, initialised.
    DialogWindow* openMain() {
        auto* window = new DialogWindow(kMainDialog, 0);
        window->initialise();
        return window;
    }
};

const ControlLayout* layoutOf(DialogId dialog, int id) {
    const DialogLayout& layout = kDialogLayouts[dialog];
    for (int i = 0; i < layout.controlCount; ++i)
        if (layout.controls[i].id == id) return &layout.controls[i];
    return nullptr;
}

// Every dialog fits its controls into its client area, in pixels of the
// template font, and keeps the template's tab order and mnemonics.
TEST_F(QtDialogs, TemplatesRenderInDialogUnitsOfTheirFont) {
    for (int d = 0; d < kDialogCount; ++d) {
        const DialogLayout& layout = kDialogLayouts[d];
        DialogWindow window(static_cast<DialogId>(d), 0);
        const DialogUnits units = dialogUnitsOf(templateFont(layout));
        EXPECT_EQ(units.baseY, QFontMetrics(templateFont(layout)).height());
        EXPECT_GE(units.baseX, 4) << "a 9-point font is wider than this";
        EXPECT_EQ(window.size(), QSize(units.toX(layout.width), units.toY(layout.height)));
        for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            // A drop-down list may reach below: its list opens there.
            if (qobject_cast<QComboBox*>(child)) continue;
            EXPECT_TRUE(QRect(QPoint(0, 0), window.size()).contains(child->geometry()))
                << layout.name << " " << child->metaObject()->className();
        }
    }
    DialogWindow main(kMainDialog, 0);
    const ControlLayout* ok = layoutOf(kMainDialog, IDC_OK);
    ASSERT_TRUE(ok);
    EXPECT_EQ(main.control(IDC_OK)->geometry(),
              QRect(main.units().toX(ok->x), main.units().toY(ok->y), main.units().toX(ok->width),
                    main.units().toY(ok->height)));
    EXPECT_TRUE(static_cast<QPushButton*>(main.control(IDC_OK))->isDefault());
    // "充電(&C):" leads to the seconds edit after it.
    for (QLabel* label : main.findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("充電"))) {
            EXPECT_EQ(label->buddy(), main.control(IDC_CHARGE_SECONDS));
        }
    }
    EXPECT_EQ(main.control(IDC_ITEM_FIRST)->nextInFocusChain(), main.control(IDC_ITEM_FIRST + 1));
    EXPECT_EQ(main.control(IDC_LOG_BY_BATTERY)->focusPolicy(), Qt::ClickFocus);
}

// Every text fits its control in both languages, measured in the template's
// font as rendered here: a label its width, a box or button its text beside
// the box or between the edges, a group its title, a list its longest
// entry beside the arrow. Allowances in dialog units, as Windows draws them.
TEST_F(QtDialogs, EveryTextFitsItsControlInBothLanguages) {
    for (Language language : {Language::Japanese, Language::English}) {
        setProgramLanguage(language);
        for (int d = 0; d < kDialogCount; ++d) {
            const DialogLayout& layout = dialogLayout(static_cast<DialogId>(d));
            const QFont font = templateFont(layout);
            const QFontMetrics metrics(font);
            const DialogUnits units = dialogUnitsOf(font);
            for (int i = 0; i < layout.controlCount; ++i) {
                const ControlLayout& c = layout.controls[i];
                QString text = QString::fromUtf8(controlText(static_cast<DialogId>(d), c));
                text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
                text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
                int allowance = 0;
                switch (c.kind) {
                case ControlKind::CheckBox:
                case ControlKind::RadioButton: allowance = text.isEmpty() ? 10 : 12; break;
                case ControlKind::PushButton:
                case ControlKind::DefaultButton: allowance = 2; break;
                case ControlKind::GroupBox: allowance = 8; break;
                case ControlKind::Label: break;
                case ControlKind::ComboBox:
                    // The display items' entries.
                    for (int item = 0; item < 6; ++item) {
                        const QString entry = QString::fromUtf8(::text(IDS_ITEM_NONE + item));
                        EXPECT_LE(metrics.horizontalAdvance(entry) + units.toX(14), units.toX(c.width))
                            << layout.name << " " << c.id << " " << entry.toStdString();
                    }
                    continue;
                case ControlKind::Edit: continue;
                }
                EXPECT_LE(metrics.horizontalAdvance(text) + units.toX(allowance), units.toX(c.width))
                    << metrics.horizontalAdvance(text) << "+" << units.toX(allowance) << " " << layout.name << " " << c.id << " \"" << c.text << "\"";
            }
        }
    }
    setProgramLanguage(Language::Japanese);
}

// What the dialogs' behaviour relies on: an edit set from the program
// reports at once, buttons report their clicks, lists fill and select.
TEST_F(QtDialogs, ControlsAnswerTheDialogsAsTheSystemDoes) {
    sim::setSuspendRefusable(false);  // as on Linux: the suspend question greyed, with a tip
    DialogWindow* main = openMain();
    const WindowHandle h = main->handle();
    EXPECT_EQ(dialogFrames[kMainDialog].window, h);

    setControlText(h, IDC_CHARGE_SECONDS, "77");
    EXPECT_EQ(mainDialogCopy.chargeSeconds, 77) << "the edit's update reached the working copy";

    const bool autoBefore = controlChecked(h, IDC_CHARGE_AUTO);
    static_cast<QAbstractButton*>(main->control(IDC_CHARGE_AUTO))->click();
    EXPECT_NE(controlChecked(h, IDC_CHARGE_AUTO), autoBefore);
    EXPECT_EQ(main->control(IDC_CHARGE_SECONDS)->isEnabled(), autoBefore) << "automatic greys the seconds";

    auto* slot = static_cast<QComboBox*>(main->control(IDC_ITEM_FIRST));
    EXPECT_EQ(slot->count(), 6);
    EXPECT_EQ(listSelection(h, IDC_ITEM_FIRST), liveSettings.Cscreen.Sdisplayitems[0]);
    slot->setCurrentIndex(5);
    readMainControls(h);
    EXPECT_EQ(mainDialogCopy.displayItems[0], 5);

    // Neither radio button checked reads as by time, as on Windows.
    setControlChecked(h, IDC_LOG_BY_BATTERY, true);
    setControlChecked(h, IDC_LOG_BY_BATTERY, false);
    EXPECT_FALSE(controlChecked(h, IDC_LOG_BY_TIME));
    EXPECT_FALSE(controlChecked(h, IDC_LOG_BY_BATTERY));

    EXPECT_FALSE(main->control(IDC_ASK_SUSPEND)->isEnabled());
    EXPECT_FALSE(main->control(IDC_ASK_SUSPEND)->toolTip().isEmpty());
}

// Minimised and restored so quickly that Qt never counted the main window
// inactive: the restore is its coming back, so edits typed afterwards
// survive the next time it is activated.
TEST_F(QtDialogs, EditsAfterAQuickRestoreSurviveTheNextActivation) {
    DialogWindow* main = openMain();
    QWidget other;
    const auto activate = [](QWidget* w) {
        w->show();
        QApplication::setActiveWindow(w);
        for (int i = 0; i < 100 && !w->isActiveWindow(); ++i) QApplication::processEvents();
        return w->isActiveWindow();
    };
    ASSERT_TRUE(activate(main));
    main->showMinimized();
    QApplication::processEvents();
    main->showNormal();
    QApplication::processEvents();
    ASSERT_TRUE(main->isActiveWindow()) << "this platform let it go: not the case looked at";

    setControlText(main->handle(), IDC_CHARGE_SECONDS, "77");
    ASSERT_TRUE(activate(&other));
    ASSERT_TRUE(activate(main));
    EXPECT_EQ(mainDialogCopy.chargeSeconds, 77);
}

// The health window's chart fills its label, the colours as drawn; its
// report keeps the user's scrolling and selection across a refresh.
TEST_F(QtDialogs, HealthWindowShowsItsChartAndReport) {
    DialogWindow* main = openMain();
    mainDialogSysCommand(main->handle(), CMD_HEALTH);
    DialogWindow* health = dialogWindow(dialogFrames[kHealthDialog].window);
    ASSERT_NE(health, nullptr);
    auto* chart = qobject_cast<QLabel*>(health->control(IDC_HEALTH_CHART));
    ASSERT_NE(chart, nullptr);
    const QImage picture = chart->pixmap().toImage();
    ASSERT_EQ(picture.size(), chart->size());
    EXPECT_EQ(picture.pixel(picture.width() - 1, 0) & 0xFFFFFFu, 0xFFFFFFu);  // the background
    int limit = 0;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y) limit += (picture.pixel(x, y) & 0xFFFFFFu) == 0xD03030u;
    EXPECT_GT(limit, picture.width() / 3);  // the dashed 80 % line

    auto* report = qobject_cast<QPlainTextEdit*>(health->control(IDC_HEALTH_TEXT));
    ASSERT_NE(report, nullptr);
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "line " + std::to_string(i) + "\n";
    showProgramText(health->handle(), IDC_HEALTH_TEXT, lines.c_str());
    EXPECT_EQ(report->toPlainText().toStdString(), lines.substr(0, lines.size() - 1) + "\n");
    report->verticalScrollBar()->setValue(10);
    lines += "one more\n";
    showProgramText(health->handle(), IDC_HEALTH_TEXT, lines.c_str());
    EXPECT_EQ(report->verticalScrollBar()->value(), 10);
    // The same text again keeps the user's selection.
    report->selectAll();
    showProgramText(health->handle(), IDC_HEALTH_TEXT, lines.c_str());
    EXPECT_TRUE(report->textCursor().hasSelection());
}

TEST_F(QtDialogs, TextsComeBackCutOnACharacterBoundary) {
    DialogWindow* main = openMain();
    setControlText(main->handle(), IDC_LOG_FILE, "/home/利用者/ログ.LOG");
    char whole[64], cut[15];
    controlText(main->handle(), IDC_LOG_FILE, whole, sizeof whole);
    EXPECT_STREQ(whole, "/home/利用者/ログ.LOG");
    controlText(main->handle(), IDC_LOG_FILE, cut, sizeof cut);
    // 14 bytes would end inside "者": the cut stops before it.
    EXPECT_STREQ(cut, "/home/利用");
    controlText(main->handle(), 4242, whole, sizeof whole);
    EXPECT_STREQ(whole, "");
    controlText(0, IDC_LOG_FILE, whole, sizeof whole);
    EXPECT_STREQ(whole, "");
}

// The menu the tray pops up holds only what works from there, each item
// with an access key of its own.
TEST_F(QtDialogs, TrayMenuOffersRestoreHealthVersionAndExit) {
    DialogWindow* main = openMain();
    QStringList texts;
    QList<QChar> keys;
    for (QAction* action : main->windowMenu()->actions()) {
        if (action->isSeparator()) continue;
        EXPECT_TRUE(action->isEnabled()) << qPrintable(action->text());
        texts << action->text();
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << qPrintable(action->text());
        EXPECT_FALSE(keys.contains(action->text().at(amp + 1).toUpper())) << qPrintable(action->text());
        keys << action->text().at(amp + 1).toUpper();
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("元のサイズに戻す(&R)"), QStringLiteral("ﾊﾞｯﾃﾘｰの状態(&H)"),
                                  QStringLiteral("ﾊﾞｰｼﾞｮﾝ(&V)"), QStringLiteral("終了(&C)")}));
}

// Answers the chooser once it is up: types `name` and presses Open, then
// dismisses any message box the chooser shows, then cancels the chooser.
struct ChooserAnswer {
    QString name;
    int refusals = 0;
};

// Types the name into the chooser once it is up and presses Open; a refusal
// (a message box from inside Open) is counted and dismissed, and the
// chooser, still open then, cancelled.
void answerChooser(ChooserAnswer* answer) {
    QTimer::singleShot(20, [answer] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser) return answerChooser(answer);
        if (auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) field->setText(answer->name);
        // Only while this chooser lives: the next one may get its address.
        QTimer::singleShot(50, [answer, guard = QPointer<QFileDialog>(chooser)] {
            if (!guard) return;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++answer->refusals;
                box->accept();
            }
        });
        static_cast<QDialog*>(chooser)->accept();
        if (chooser->isVisible()) chooser->reject();
    });
}

// The chooser's rules: a new file in an existing directory is taken with
// the default extension added; a missing directory is refused and the
// chooser stays open.
TEST_F(QtDialogs, FileChooserTakesNewFilesButNoMissingDirectory) {
    const QString directory = QDir::tempPath() + QStringLiteral("/celwrd-chooser-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(directory);
    FileChooserSetup setup{};
    setupFileChooser(setup, "ﾛｸﾞﾌｧｲﾙ名", "ﾛｸﾞﾌｧｲﾙ(*.LOG)", "*.LOG", "", "", "*.LOG", "");
    char file[260] = "";

    ChooserAnswer fresh{directory + QStringLiteral("/新しいログ")};
    answerChooser(&fresh);
    ASSERT_TRUE(runFileChooser(0, setup, file, "LOG"));
    EXPECT_EQ(QString::fromUtf8(file), directory + QStringLiteral("/新しいログ.LOG"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(file))) << "choosing creates nothing";

    ChooserAnswer missing{directory + QStringLiteral("/no-such-dir/x.LOG")};
    answerChooser(&missing);
    EXPECT_FALSE(runFileChooser(0, setup, file, "LOG"));
    EXPECT_EQ(missing.refusals, 1);
    EXPECT_EQ(QString::fromUtf8(file), directory + QStringLiteral("/新しいログ.LOG")) << "a refused choice keeps the file";
    QDir(directory).removeRecursively();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
