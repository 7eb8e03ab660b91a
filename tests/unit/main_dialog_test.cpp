// The main dialog as the user drives it: its controls, buttons, menu and
// the tray icon's clicks.
#include "dialogs/main_dialog.h"

#include "app/apply_settings.h"
#include "base/language.h"
#include "monitor/presentation.h"
#include "dialog_test.h"

namespace {

using simui::window;
using Strings = std::vector<std::string>;

class MainDialog : public DialogTest {
protected:
    size_t saves() { return sim::callsOf(sim::CallKind::ReplaceFile).size(); }
};

TEST_F(MainDialog, TheFirstInitialisationOwnsExtendsTheMenuAndRunsTheStartPrograms) {
    script("[BOOT]\nC:\\\nboot\n[START]\nC:\\\nstart\n[STOP]\nC:\\\nstop\n");
    sim::putFile(kIni, "Cscreen.Sdisplayitems[2] = 9\n");
    run([this](WindowHandle main) {
        EXPECT_EQ(window(main).menu, (Strings{"ﾊﾞｯﾃﾘｰの状態(&H)", "ﾊﾞｰｼﾞｮﾝ(&V)", "終了(&C)"}));
        EXPECT_EQ(programs(), (Strings{"boot", "start"}));
        EXPECT_EQ(sim::callsOf(sim::CallKind::SetClassIcon).front().number, 1);
        const simui::Control& first = simui::control(main, IDC_ITEM_FIRST);
        EXPECT_EQ(first.entries.size(), 6u);
        EXPECT_EQ(first.entries[4], "充放電終了残り時間");
        EXPECT_EQ(first.selection, 1);
        EXPECT_EQ(simui::control(main, IDC_ITEM_FIRST + 2).selection, -1);  // no entry for 9
        EXPECT_TRUE(checked(main, IDC_LOG_BY_BATTERY));
        EXPECT_FALSE(checked(main, IDC_LOG_BY_TIME));
        EXPECT_EQ(text(main, IDC_LOG_FILE), "C:\\TOOLS\\CELWRD.LOG");
        forget();
        simui::activate(main, Activation::Active);
        EXPECT_TRUE(programs().empty());  // the first initialisation does not repeat
    });
    EXPECT_TRUE(programs().empty());  // ending the program runs no section
}

TEST_F(MainDialog, AnAutoUpdateCheckDisablesItsSecondsEdit) {
    run([this](WindowHandle main) {
        EXPECT_FALSE(enabled(main, IDC_CHARGE_SECONDS));
        simui::click(main, IDC_CHARGE_AUTO);
        EXPECT_TRUE(enabled(main, IDC_CHARGE_SECONDS));
        EXPECT_FALSE(enabled(main, IDC_DISCHARGE_SECONDS));
        simui::click(main, IDC_CHARGE_AUTO);
        EXPECT_FALSE(enabled(main, IDC_CHARGE_SECONDS));
    });
}

TEST_F(MainDialog, CancelPutsTheWindowAwayAndUndoesWhatOtherButtonsApplied) {
    run([this](WindowHandle main) {
        simui::trayClick(TrayClick::Left);  // shown, and the backup taken
        simui::click(main, IDC_HIDE_TASKBAR);
        simui::clickRadio(main, IDC_LOG_BY_TIME, {IDC_LOG_BY_TIME, IDC_LOG_BY_BATTERY});
        simui::click(main, IDC_VERSION);  // applies
        EXPECT_EQ(liveSettings.Cscreen.Shidetaskbar, 1);
        EXPECT_EQ(liveSettings.Clogfile.Sneedsavelogfiletime, 1);
        simui::click(main, IDC_CANCEL);
        EXPECT_EQ(liveSettings.Cscreen.Shidetaskbar, 0);
        EXPECT_EQ(liveSettings.Clogfile.Sneedsavelogfiletime, 0);
        EXPECT_TRUE(window(main).minimised);  // judged by the restored switch
        EXPECT_TRUE(window(main).visible);
        EXPECT_EQ(saves(), 0u);
    });
}

// Hidden, the window's only way back is the tray icon: without one shown
// it is minimised instead, until the desktop's tray comes.
TEST_F(MainDialog, OkWithHiddenTaskbarHidesOnlyBehindAShownTrayIcon) {
    simui::setTrayAvailable(false);
    run([this](WindowHandle main) {
        simui::trayClick(TrayClick::Left);
        simui::click(main, IDC_HIDE_TASKBAR);
        simui::click(main, IDC_OK);
        EXPECT_TRUE(window(main).minimised && window(main).visible);
        EXPECT_EQ(saves(), 1u);
        EXPECT_EQ(iniLine("Cscreen.Shidetaskbar"), "Cscreen.Shidetaskbar = 1");

        simui::trayClick(TrayClick::Left);
        simui::click(main, IDC_SHOW_TRAY);
        simui::click(main, IDC_OK);
        sim::runFor(3000);
        EXPECT_TRUE(window(main).minimised && window(main).visible) << "hidden with no icon shown";

        simui::setTrayAvailable(true);
        forgetTrayIcon();  // the front end's news that a tray is there
        sim::runFor(3000);
        EXPECT_FALSE(window(main).visible);
        simui::trayClick(TrayClick::Left);
        simui::click(main, IDC_OK);
        EXPECT_FALSE(window(main).visible);
    });
}

TEST_F(MainDialog, OnlyOkAndUpdateWriteTheFileAndOnlyTheSoundButtonRetakesTheBackup) {
    simui::onModal(kSoundDialog, [](WindowHandle sound) { simui::click(sound, IDC_OK); });
    run([this](WindowHandle main) {
        simui::click(main, IDC_VERSION);
        EXPECT_EQ(texts(sim::CallKind::ShowMessage),
                  Strings{"Cellwarden 「Tamberlo」\nVoltarium\nV1.05A\nBuild 1999/07/12"});
        simui::click(main, IDC_LOG_VIEW);
        simui::click(main, IDC_LOG_BROWSE);
        EXPECT_EQ(saves(), 0u);

        simui::click(main, IDC_ASK_SUSPEND);
        simui::click(main, IDC_SOUND);  // applies, then the sound dialog takes a backup
        simui::click(main, IDC_CANCEL);
        EXPECT_EQ(liveSettings.Cmanip.Sasksuspendok, 1);

        simui::click(main, IDC_APPLY);
        EXPECT_EQ(saves(), 1u);
        simui::click(main, IDC_OK);
        EXPECT_EQ(saves(), 2u);
    });
}

// Where the system only tells of a suspend, the question cannot be asked:
// the switch is greyed and says why, also when the window comes up again,
// and its setting is kept all the same.
TEST_F(MainDialog, TheSuspendQuestionIsGreyedWhereNoSuspendCanBeRefused) {
    sim::setSuspendRefusable(false);
    liveSettings.Cmanip.Sasksuspendok = 1;
    run([this](WindowHandle main) {
        EXPECT_FALSE(enabled(main, IDC_ASK_SUSPEND));
        EXPECT_NE(simui::control(main, IDC_ASK_SUSPEND).tip.find("サスペンド"), std::string::npos);
        simui::trayClick(TrayClick::Left);
        EXPECT_FALSE(enabled(main, IDC_ASK_SUSPEND));
        EXPECT_TRUE(checked(main, IDC_ASK_SUSPEND));
        simui::click(main, IDC_OK);
    });
    EXPECT_EQ(iniLine("Cmanip.Sasksuspendok"), "Cmanip.Sasksuspendok = 1");
}

TEST_F(MainDialog, AKeyboardActivationDropsAnUnreadListChangeAClickKeepsIt) {
    run([](WindowHandle main) {
        simui::selectEntry(main, IDC_ITEM_FIRST, 3);
        simui::activate(main, Activation::ByClick);
        EXPECT_EQ(simui::control(main, IDC_ITEM_FIRST).selection, 3);
        simui::activate(main, Activation::Active);
        EXPECT_EQ(simui::control(main, IDC_ITEM_FIRST).selection, 1);
    });
}

TEST_F(MainDialog, ActivationWhileMinimisedDropsUnappliedEdits) {
    run([this](WindowHandle main) {
        simui::restore(main);
        simui::click(main, IDC_CHARGE_AUTO);
        simui::activate(main, Activation::Active);  // not minimised: the edit stays
        EXPECT_FALSE(checked(main, IDC_CHARGE_AUTO));
        simui::minimise(main);
        simui::activate(main, Activation::Active);
        EXPECT_TRUE(checked(main, IDC_CHARGE_AUTO));
    });
}

TEST_F(MainDialog, TrayClicksShowTheLiveSettingsOrPopUpTheMenu) {
    run([this](WindowHandle main) {
        liveSettings.Cscreen.Sdisplayitems[0] = 5;
        simui::clearEvents();
        simui::trayClick(TrayClick::Left);
        EXPECT_EQ(simui::control(main, IDC_ITEM_FIRST).selection, 5);
        EXPECT_FALSE(window(main).minimised);
        const Strings& events = simui::events();
        EXPECT_EQ(Strings(events.end() - 2, events.end()), (Strings{"show Normal main", "foreground main"}));
        simui::trayClick(TrayClick::Right);
        EXPECT_EQ(simui::events().back(), "popup menu main");
        const size_t shown = simui::events().size();
        simui::trayClick(TrayClick::Double);
        EXPECT_EQ(simui::events().size(), shown) << "a double click does nothing";
    });
}

TEST_F(MainDialog, AChosenLogFileReachesTheSettingsOnlyWhenApplied) {
    run([this](WindowHandle main) {
        simui::answerChooser("D:\\LOGS\\NEW.LOG");
        simui::click(main, IDC_LOG_BROWSE);
        const simui::ChooserRequest& request = simui::chooserRequests().back();
        EXPECT_EQ(request.owner, main);
        EXPECT_EQ(request.file, "C:\\TOOLS\\CELWRD.LOG");
        EXPECT_EQ(request.initialDirectory, "C:\\TOOLS\\");
        EXPECT_EQ(request.defaultExtension, "LOG");
        EXPECT_EQ(text(main, IDC_LOG_FILE), "D:\\LOGS\\NEW.LOG");
        EXPECT_STREQ(liveSettings.Clogfile.Slogfilename, "C:\\TOOLS\\CELWRD.LOG");

        simui::click(main, IDC_LOG_BROWSE);  // cancelled: the field stays
        EXPECT_EQ(text(main, IDC_LOG_FILE), "D:\\LOGS\\NEW.LOG");
        simui::click(main, IDC_APPLY);
        EXPECT_STREQ(liveSettings.Clogfile.Slogfilename, "D:\\LOGS\\NEW.LOG");
    });
}

TEST_F(MainDialog, TheWindowMenuShowsTheVersionAndEndsTheProgram) {
    run([this](WindowHandle main) {
        mainDialogSysCommand(main, CMD_VERSION);
        EXPECT_EQ(sim::callsOf(sim::CallKind::ShowMessage).size(), 1u);
        mainDialogCommand(main, CMD_EXIT, ControlEvent::Clicked);
        EXPECT_FALSE(simui::exists(main));
    });
    EXPECT_EQ(iniLine("WPOS_Dlg_Main").substr(iniLine("WPOS_Dlg_Main").size() - 3), ",-1");
}

// In English the dialog says the English words, and what it writes (the
// settings file, the log) is the same byte for byte as in Japanese.
TEST_F(MainDialog, EnglishSaysItsOwnWordsAndWritesTheSameFiles) {
    std::string files[2];
    for (Language language : {Language::Japanese, Language::English}) {
        SetUp();  // the whole machine afresh, Japanese
        setProgramLanguage(language);
        const bool english = language == Language::English;
        run([&](WindowHandle main) {
            const Strings menu = english ? Strings{"Battery &Health", "&About Cellwarden", "E&xit"}
                                       : Strings{"ﾊﾞｯﾃﾘｰの状態(&H)", "ﾊﾞｰｼﾞｮﾝ(&V)", "終了(&C)"};
            EXPECT_EQ(window(main).menu, menu);
            const simui::Control& first = simui::control(main, IDC_ITEM_FIRST);
            ASSERT_EQ(first.entries.size(), 6u);
            EXPECT_EQ(first.entries[4], english ? "Time left" : "充放電終了残り時間");
            simui::selectEntry(main, IDC_ITEM_FIRST + 3, 4);
            simui::click(main, IDC_VERSION);
            const std::string about = english ? "Cellwarden \"Tamberlo\"\nVoltarium\nV1.05A\nBuild 1999/07/12"
                                              : "Cellwarden 「Tamberlo」\nVoltarium\nV1.05A\nBuild 1999/07/12";
            EXPECT_EQ(texts(sim::CallKind::ShowMessage), Strings{about});
            simui::click(main, IDC_LOG_BROWSE);
            ASSERT_FALSE(simui::chooserRequests().empty());
            EXPECT_EQ(simui::chooserRequests().back().title, english ? "Log File" : "ﾛｸﾞﾌｧｲﾙ名");
            simui::click(main, IDC_OK);
        });
        files[english] = sim::fileContent(kIni) + "\n----\n" + logFile();
        TearDown();
    }
    EXPECT_NE(files[0].find("Cscreen.Sdisplayitems[3] = 4"), std::string::npos) << files[0];
    EXPECT_EQ(files[1], files[0]);
}

}  // namespace
