#include "app/apply_settings.h"

#include <string>

#include "base/text_util.h"
#include "program_test.h"

namespace {

const char* const kOldLog = "C:\\TOOLS\\CELWRD.LOG";
const char* const kNewLog = "D:\\NEW.LOG";

class ApplySettings : public ProgramTest {
protected:
    // Running, as after start-up; logging on when the file says so.
    void start(const char* settingsFile = "") {
        sim::putFile("C:\\TOOLS\\celwrd.INI", settingsFile);
        startProgram();
        forget();
    }
    int markers(const char* path, const char* word) {
        std::string content = sim::fileContent(path);
        int n = 0;
        for (size_t at = content.find(word); at != std::string::npos; at = content.find(word, at + 1)) ++n;
        return n;
    }
    std::string lastLine(const char* path) {
        std::string content = sim::fileContent(path);
        size_t end = content.rfind("\r\n");
        size_t start = content.rfind("\r\n", end - 1);
        return content.substr(start == std::string::npos ? 0 : start + 2, end - (start == std::string::npos ? 0 : start + 2));
    }
};

TEST_F(ApplySettings, CopyShowsSecondsAndTheWinningLogTrigger) {
    start("Cbattery.Stimedef1pcharge = 72999\nClogfile.Soutputinterval = 1500\n"
          "Clogfile.Sneedsavelogfiletime = 1\nClogfile.Sneedsavelogfilebattery = 1\n");
    EXPECT_EQ(mainDialogCopy.chargeSeconds, 72);
    EXPECT_EQ(mainDialogCopy.logIntervalSeconds, 1);
    EXPECT_EQ(mainDialogCopy.logTrigger, 1);
    applyMainDialogCopy();
    EXPECT_EQ(liveSettings.Clogfile.Soutputinterval, 1000);  // the fraction is lost
    EXPECT_EQ(liveSettings.Clogfile.Sneedsavelogfiletime, 0);
    EXPECT_EQ(liveSettings.Cbattery.Stimedef1pcharge, 72000);
}

TEST_F(ApplySettings, BothTriggersOffShowAndApplyTheTimeTrigger) {
    start("Clogfile.Sneedsavelogfiletime = 0\nClogfile.Sneedsavelogfilebattery = 0\n");
    EXPECT_EQ(mainDialogCopy.logTrigger, 0);
    applyMainDialogCopy();
    EXPECT_EQ(liveSettings.Clogfile.Sneedsavelogfiletime, 1);
}

TEST_F(ApplySettings, SwitchingLoggingOffClosesOnceAndOnGoesOpenOnce) {
    start("Clogfile.Sneedsavelogfile = 1\n");
    mainDialogCopy.logEnabled = 0;
    applyMainDialogCopy();
    applyMainDialogCopy();  // nothing changed: no marker
    EXPECT_EQ(markers(kOldLog, "[Close"), 1);
    EXPECT_EQ(lastLine(kOldLog), "[Close logfile at 2026/01/05  9:00:00]");
    mainDialogCopy.logEnabled = 1;
    applyMainDialogCopy();
    applyMainDialogCopy();
    EXPECT_EQ(markers(kOldLog, "[Open"), 2);
    EXPECT_EQ(lastLine(kOldLog), "[Open logfile at 2026/01/05  9:00:00]");
}

TEST_F(ApplySettings, ANewFileNameClosesTheOldFileAndOpensTheNew) {
    start("Clogfile.Sneedsavelogfile = 1\n");
    copyText(mainDialogCopy.logFileName, kNewLog);
    applyMainDialogCopy();
    EXPECT_EQ(lastLine(kOldLog).substr(0, 6), "[Close");
    EXPECT_EQ(sim::fileContent(kNewLog), "[Open logfile at 2026/01/05  9:00:00]\r\n");
}

TEST_F(ApplySettings, AFlagOfFiveCountsAsAChange) {
    start("Clogfile.Sneedsavelogfile = 5\n");
    mainDialogCopy.logEnabled = 1;
    applyMainDialogCopy();
    EXPECT_EQ(markers(kOldLog, "[Open"), 2);
    EXPECT_EQ(markers(kOldLog, "[Close"), 1);
}

TEST_F(ApplySettings, ApplyingRestartsTheLogTimer) {
    start();
    applyMainDialogCopy();
    EXPECT_EQ(sim::callsOf(sim::CallKind::StopTimer).size(), 1u);
    EXPECT_EQ(sim::callsOf(sim::CallKind::StartTimer).size(), 1u);
    EXPECT_EQ(sim::timerCount(), 2);
}

TEST_F(ApplySettings, CancelRestoresButKeepsTheFileNameAndMeasuredRates) {
    start();
    beginMainDialogEdit();
    mainDialogCopy.displayItems[0] = 0;
    mainDialogCopy.hideTaskbar = 1;
    copyText(mainDialogCopy.logFileName, kNewLog);
    applyMainDialogCopy();  // what the version button does
    liveSettings.Cbattery.Stimedef1pcharge = 555000;  // measured meanwhile
    restoreFromBackup();
    EXPECT_EQ(liveSettings.Cscreen.Sdisplayitems[0], 1);
    EXPECT_EQ(liveSettings.Cscreen.Shidetaskbar, 0);
    EXPECT_STREQ(liveSettings.Clogfile.Slogfilename, kNewLog);
    EXPECT_EQ(liveSettings.Cbattery.Stimedef1pcharge, 555000);

    backupSettings.Cbattery.Sautosetchargetime = 0;
    backupSettings.Cbattery.Stimedef1pcharge = 30000;
    restoreFromBackup();
    EXPECT_EQ(liveSettings.Cbattery.Stimedef1pcharge, 30000);
    EXPECT_EQ(liveSettings.Cbattery.Sautosetchargetime, 0);
}

// Readers of the log take a close marker to end a run and an open marker to
// start one: whatever the dialog does, the two alternate.
TEST_F(ApplySettings, CancelKeepsTheLogMarkersPaired) {
    start("Clogfile.Sneedsavelogfile = 1\n");
    // Off and applied by a button, then Cancel: on again.
    beginMainDialogEdit();
    mainDialogCopy.logEnabled = 0;
    applyMainDialogCopy();
    restoreFromBackup();
    // Off and snapshot by the update button, on and applied, then Cancel: off again.
    beginMainDialogEdit();
    mainDialogCopy.logEnabled = 0;
    applyMainDialogAndSnapshot();
    mainDialogCopy.logEnabled = 1;
    applyMainDialogCopy();
    restoreFromBackup();
    restoreFromBackup();  // nothing changes: no marker
    std::string content = sim::fileContent(kOldLog), order;
    for (size_t at = content.find("logfile at"); at != std::string::npos; at = content.find("logfile at", at + 1))
        order += content.compare(content.rfind('[', at), 5, "[Open") == 0 ? 'O' : 'C';
    EXPECT_EQ(order, "OCOCOC");
    EXPECT_EQ(liveSettings.Clogfile.Sneedsavelogfile, 0);
}

TEST_F(ApplySettings, SnapshotMakesTheAppliedValuesTheCancelPoint) {
    start();
    beginMainDialogEdit();
    mainDialogCopy.askSuspend = 1;
    applyMainDialogAndSnapshot();
    restoreFromBackup();
    EXPECT_EQ(liveSettings.Cmanip.Sasksuspendok, 1);
    EXPECT_EQ(backupSettings.Cmanip.Sasksuspendok, 1);
}

TEST_F(ApplySettings, DisplayItemsTakeEffectAtTheNextRefresh) {
    sim::setPower(0, 0, 80);
    start();
    sim::runFor(1000);
    mainDialogCopy.displayItems[1] = mainDialogCopy.displayItems[2] = 0;
    mainDialogCopy.displayItems[3] = mainDialogCopy.displayItems[4] = 0;
    applyMainDialogCopy();
    EXPECT_NE(simui::caption(), "80%");
    sim::runFor(1000);
    EXPECT_EQ(simui::caption(), "80%");
}

}  // namespace
