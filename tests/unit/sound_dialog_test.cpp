// The sound dialog and the log viewer, opened from the main dialog.
#include "dialogs/sound_dialog.h"

#include "actions/battery_log.h"
#include "dialog_test.h"

namespace {

using Strings = std::vector<std::string>;

class SoundDialog : public DialogTest {
protected:
    // Opens the sound dialog from a running main dialog; `whileOpen` is the
    // user in it.
    void withSoundDialog(std::function<void(WindowHandle)> whileOpen,
                         std::function<void(WindowHandle)> afterwards = nullptr) {
        simui::onModal(kSoundDialog, whileOpen);
        run([&](WindowHandle main) {
            simui::click(main, IDC_SOUND);
            if (afterwards) afterwards(main);
        });
    }
};

TEST_F(SoundDialog, AnUncheckedRowDisablesItsFileButStillPlays) {
    withSoundDialog([this](WindowHandle sound) {
        EXPECT_EQ(text(sound, IDC_LOW_FILE), "LOW");
        simui::click(sound, IDC_LOW_ENABLE);
        EXPECT_FALSE(enabled(sound, IDC_LOW_FILE));
        EXPECT_TRUE(enabled(sound, IDC_ACBATT_FILE));
        simui::click(sound, IDC_LOW_PLAY);
        EXPECT_EQ(sounds().back(), "LOW");
        simui::click(sound, IDC_OK);
    });
    EXPECT_EQ(liveSettings.Csound.Slowbatteryfilenameenable, 0);
}

TEST_F(SoundDialog, ThresholdsAreClampedAndShownClampedAtTheNextOpening) {
    withSoundDialog(
        [](WindowHandle sound) {
            simui::type(sound, IDC_FULL_PERCENT, "150");
            simui::type(sound, IDC_LOW_PERCENT, "abc");
            simui::click(sound, IDC_OK);
        },
        [this](WindowHandle main) {
            EXPECT_EQ(liveSettings.Csound.Sfullbatteryperc, 100);
            EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 0);
            simui::onModal(kSoundDialog, [this](WindowHandle sound) {
                EXPECT_EQ(text(sound, IDC_FULL_PERCENT), "100");
                EXPECT_EQ(text(sound, IDC_LOW_PERCENT), "0");
                simui::click(sound, IDC_CANCEL);
            });
            simui::click(main, IDC_SOUND);
        });
}

TEST_F(SoundDialog, CancelAfterChoosingAFileKeepsTheSetting) {
    withSoundDialog([this](WindowHandle sound) {
        simui::answerChooser("D:\\SOUNDS\\A.WAV");
        simui::click(sound, IDC_AC_BROWSE);
        EXPECT_EQ(text(sound, IDC_AC_FILE), "D:\\SOUNDS\\A.WAV");
        EXPECT_EQ(simui::chooserRequests().back().defaultExtension, "WAV");
        simui::click(sound, IDC_CANCEL);
    });
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, "AC");
}

// A name with a line break, from the chooser or typed, would come back from
// the settings file as a setting of its own.
TEST_F(SoundDialog, ANameWithALineBreakNeverReachesTheSettingsFile) {
    const std::string planted = "C:\\a.wav\nClogfile.Slogfilename = C:\\Users\\me\\startup.bat";
    withSoundDialog([&](WindowHandle sound) {
        simui::answerChooser(planted);
        simui::click(sound, IDC_AC_BROWSE);
        EXPECT_EQ(text(sound, IDC_AC_FILE), "AC");
        simui::type(sound, IDC_CHARGE_FILE, planted);
        simui::click(sound, IDC_OK);
    });
    EXPECT_EQ(iniLine("Csound.Schargefilename"), "Csound.Schargefilename = CHARGE");
    EXPECT_EQ(iniLine("Clogfile.Slogfilename"), "Clogfile.Slogfilename = C:\\TOOLS\\CELWRD.LOG");
}

TEST_F(SoundDialog, OkThenCancelInTheMainDialogUndoesTheSoundChanges) {
    withSoundDialog(
        [](WindowHandle sound) {
            simui::type(sound, IDC_FULL_PERCENT, "90");
            simui::click(sound, IDC_OK);
        },
        [](WindowHandle main) {
            EXPECT_EQ(liveSettings.Csound.Sfullbatteryperc, 90);
            simui::click(main, IDC_CANCEL);
            EXPECT_EQ(liveSettings.Csound.Sfullbatteryperc, 95);
        });
}

TEST_F(SoundDialog, CancelKeepsWhatTheMonitorDidWhileTheDialogWasOpen) {
    sim::setPower(0, 0, 60);
    withSoundDialog([this](WindowHandle sound) {
        simui::type(sound, IDC_LOW_PERCENT, "30");
        sim::setPower(0, 0, 59);
        sim::runFor(2000);
        EXPECT_NE(std::string(ringLine()).find(" 59%"), std::string::npos);
        simui::click(sound, IDC_CANCEL);
        EXPECT_NE(std::string(ringLine()).find(" 59%"), std::string::npos);
        EXPECT_EQ(liveSettings.Cbattery.percent, 59);
        EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 20);
    });
}

class LogViewer : public DialogTest {};

TEST_F(LogViewer, ShowsTheLast128LinesNumberedAndFollowsEveryNewOne) {
    run([this](WindowHandle main) {
        for (int i = 1; i <= 130; ++i) appendLogLine(("line " + std::to_string(i)).c_str());
        simui::click(main, IDC_LOG_VIEW);
        WindowHandle log = simui::windowOf(kLogDialog);
        std::string shown = text(log, IDC_LOG_TEXT);
        EXPECT_EQ(shown.substr(0, 16), "  1: line 3\r\r\n  ");
        EXPECT_NE(shown.find("128: line 130\r\r\n"), std::string::npos);
        appendLogLine("line 131");
        EXPECT_EQ(text(log, IDC_LOG_TEXT).substr(0, 11), "  1: line 4");
        EXPECT_EQ(simui::events().back(), "text at end log");
        simui::resize(log, 800, 400);
        EXPECT_EQ(simui::events().back(), "fill client log");
        simui::click(log, IDC_OK);
        EXPECT_FALSE(simui::exists(log));
        appendLogLine("nobody looks");  // no viewer: nothing to redraw
    });
}

}  // namespace
