#include "monitor/monitor_timers.h"

#include "program_test.h"

namespace {

using Strings = std::vector<std::string>;

// One entry per power-change section, each running a program of its name.
const char* const kPowerScript =
    "[AC-ON]\nC:\\\nac-on\n[AC-OFF]\nC:\\\nac-off\n[BAT-ON]\nC:\\\nbat-on\n"
    "[BAT-OFF]\nC:\\\nbat-off\n[BAT-FULL]\nC:\\\nbat-full\n[BAT-LOW]\nC:\\\nbat-low\n";

class Monitor : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        script(kPowerScript);
    }
    void power(uint8_t ac, uint8_t flag, uint8_t percent) {
        sim::setPower(ac, flag, percent);
        sim::runFor(1000);
    }
};

TEST_F(Monitor, DischargeCrossesTheLowThresholdOnce) {
    sim::setPower(0, 0, 25);
    startProgram();
    sim::runFor(1000);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBoot, kTriggerAcOff}));
    EXPECT_EQ(programs(), Strings{});  // the first report after start-up is withheld
    EXPECT_EQ(sounds(), Strings{"DISCHARGE"});
    forget();
    power(0, 0, 21);
    power(0, 0, 20);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBatLow}));
    EXPECT_EQ(programs(), Strings{"bat-low"});
    EXPECT_EQ(sounds(), Strings{"LOW"});
    forget();
    power(0, 0, 19);
    power(0, 0, 5);
    EXPECT_EQ(triggers, std::vector<int>{});
    EXPECT_EQ(sounds(), Strings{});
}

TEST_F(Monitor, StartingBelowTheLowThresholdWarnsInsteadOfTheDischargeSound) {
    sim::setPower(0, 0, 15);
    startProgram();
    sim::runFor(1000);
    power(0, 0, 14);
    EXPECT_EQ(sounds(), Strings{"LOW"});
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBoot, kTriggerAcOff}));
}

TEST_F(Monitor, ChargingToFullAlertsOnceAndNotAgainWhenChargingStops) {
    sim::setPower(1, 8, 90);
    startProgram();
    sim::runFor(1000);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBoot, kTriggerBatOn}));
    EXPECT_EQ(sounds(), Strings{"CHARGE"});
    forget();
    power(1, 8, 94);
    EXPECT_EQ(sounds(), Strings{});
    power(1, 8, 95);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBatFull}));
    EXPECT_EQ(programs(), Strings{"bat-full"});
    EXPECT_EQ(sounds(), Strings{"FULL"});
    forget();
    power(1, 0, 100);  // the charger stops at the top: AC&Batt
    EXPECT_EQ(triggers, std::vector<int>{});
    EXPECT_EQ(sounds(), Strings{});
}

TEST_F(Monitor, PluggingInRunsAcOnAndPlaysTheSoundOfTheNewKind) {
    sim::setPower(0, 0, 50);
    startProgram();
    sim::runFor(1000);
    forget();
    power(1, 8, 50);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerAcOn}));
    EXPECT_EQ(programs(), Strings{"ac-on"});
    EXPECT_EQ(sounds(), Strings{"CHARGE"});
    EXPECT_EQ(fullLatch, 1);
    EXPECT_EQ(lowLatch, 1);
    power(0, 0, 50);
    forget();
    power(1, 0, 50);
    EXPECT_EQ(programs(), Strings{"ac-on"});
    EXPECT_EQ(sounds(), Strings{"ACBATT"});
}

TEST_F(Monitor, BatteryRemovedAndInsertedOnMains) {
    sim::setPower(1, 0, 60);
    startProgram();
    sim::runFor(1000);
    EXPECT_EQ(sounds(), Strings{"ACBATT"});
    forget();
    power(1, 128, 255);
    EXPECT_EQ(programs(), Strings{"bat-off"});
    EXPECT_EQ(sounds(), Strings{"AC"});
    forget();
    power(1, 0, 60);
    EXPECT_EQ(programs(), Strings{"bat-on"});
    EXPECT_EQ(sounds(), Strings{"ACBATT"});
}

TEST_F(Monitor, UnpluggingRearmsTheLowAlert) {
    sim::setPower(0, 0, 21);
    startProgram();
    sim::runFor(1000);
    power(0, 0, 20);
    power(1, 8, 20);
    forget();
    power(0, 0, 18);  // unplugged below the threshold: the low alert again
    EXPECT_EQ(programs(), Strings{"ac-off"});
    EXPECT_EQ(sounds(), Strings{"LOW"});
}

TEST_F(Monitor, ADisabledAlertStillSpendsItsLatch) {
    liveSettings.Csound.Slowbatteryfilenameenable = 0;
    sim::setPower(0, 0, 21);
    startProgram();
    sim::runFor(1000);
    forget();
    power(0, 0, 20);
    EXPECT_EQ(programs(), Strings{"bat-low"});
    EXPECT_EQ(sounds(), Strings{});
    liveSettings.Csound.Slowbatteryfilenameenable = 1;
    power(0, 0, 19);
    EXPECT_EQ(sounds(), Strings{});
}

TEST_F(Monitor, FailedQueriesDelayTheFirstReportInsteadOfLosingIt) {
    sim::setPowerQueryFails(true);
    sim::setPower(1, 0, 70);
    startProgram();
    sim::runFor(3000);
    EXPECT_EQ(sounds(), Strings{});
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 1);  // the open marker only
    sim::setPowerQueryFails(false);
    sim::runFor(1000);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerBoot, kTriggerBatOn}));  // judged against AC-Line
    EXPECT_EQ(sounds(), Strings{"ACBATT"});
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 2);
}

TEST_F(Monitor, AutoExitEndsOnMainsWithoutCharging) {
    struct Row {
        uint8_t ac, flag, percent;
        bool ends;
    } rows[] = {{1, 0, 80, true}, {1, 128, 255, true}, {1, 8, 80, false}, {0, 0, 80, false}};
    for (const Row& row : rows) {
        SetUp();
        sim::setPower(row.ac, row.flag, row.percent);
        startProgram("C:\\TOOLS\\celwrd.exe -A");
        sim::runFor(100);
        EXPECT_EQ(sim::callsOf(sim::CallKind::EndMainDialog).size(), row.ends ? 1u : 0u);
    }
}

TEST_F(Monitor, DisplayRefreshesOnItsGridAndCatchesUpAfterAStall) {
    startProgram();
    sim::runFor(10000);
    EXPECT_EQ(sim::callsOf(sim::CallKind::SetCaption).size(), 10u);
    forget();
    // Waited programs hold the thread: the grid catches up one tick at a time.
    sim::stall(5000);
    sim::runFor(500);  // six ticks, the first at once
    EXPECT_EQ(sim::callsOf(sim::CallKind::SetCaption).size(), 5u);
    sim::runFor(500);
    EXPECT_EQ(sim::callsOf(sim::CallKind::SetCaption).size(), 6u);
    forget();
    liveSettings.Cscreen.Sdisplayinterval = 0;
    sim::runFor(1000);
    EXPECT_EQ(sim::callsOf(sim::CallKind::SetCaption).size(), 10u);
    forget();
    liveSettings.Cscreen.Sdisplayinterval = -500;
    sim::runFor(1000);
    EXPECT_EQ(sim::callsOf(sim::CallKind::SetCaption).size(), 10u);
}

TEST_F(Monitor, ClockSetBackDoesNotFreezeTheDisplay) {
    startProgram();
    sim::runFor(2000);
    forget();
    sim::shiftClock(-3600000);
    sim::runFor(3000);
    EXPECT_GE(sim::callsOf(sim::CallKind::SetCaption).size(), 3u);
}

TEST_F(Monitor, LogWritesOneRecordPerChangeNeverTwoPerTick) {
    sim::setPower(0, 0, 50);
    startProgram();
    sim::runFor(1000);
    EXPECT_STREQ(ringLine(1), "[Open logfile at 2026/01/05  9:00:00]");
    EXPECT_STREQ(ringLine(), "Discharge |  50% |    0sec/1% | end  9:00:00 | rest  0:00:00 | now  9:00:00 (   0sec)");
    power(0, 0, 49);
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 3);
    power(1, 8, 48);  // kind and percent change in one tick
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 4);
    sim::runFor(60000);
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 4);
    EXPECT_EQ(logFile(), "");  // file logging is off by default
}

TEST_F(Monitor, WithBothLogSwitchesOffOnlyKindChangesAreLogged) {
    liveSettings.Clogfile.Sneedsavelogfilebattery = 0;
    sim::putFile("C:\\TOOLS\\celwrd.INI", "Clogfile.Sneedsavelogfilebattery = 0\n");
    sim::setPower(0, 0, 50);
    startProgram();
    sim::runFor(1000);
    power(0, 0, 49);
    power(0, 0, 48);
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 2);
    power(1, 8, 48);
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 3);
}

TEST_F(Monitor, TimeBasedLogFollowsTheIntervalAndReportsTheSpan) {
    sim::putFile("C:\\TOOLS\\celwrd.INI",
                 "Clogfile.Sneedsavelogfiletime = 1\nClogfile.Sneedsavelogfilebattery = 0\n"
                 "Clogfile.Soutputinterval = 30000\nClogfile.Sneedsavelogfile = 1\n");
    sim::setPower(0, 0, 50);
    startProgram();
    sim::runFor(95000);
    EXPECT_EQ(liveSettings.Clogfile.logRing.writeIndex, 5);  // marker, kind change, 3 by time
    std::string file = logFile();
    EXPECT_EQ(file.substr(0, 39), "[Open logfile at 2026/01/05  9:00:00]\r\n");
    EXPECT_NE(file.find("now  9:01:30 (  30sec)\r\n"), std::string::npos);
}

TEST_F(Monitor, ProgramsRunBeforeTheSoundAndHoldTheTick) {
    sim::setPower(0, 0, 50);
    startProgram();
    sim::runFor(1000);
    sim::setProgramDuration("ac-on", 20000);
    forget();
    power(1, 8, 50);
    const std::vector<sim::Call>& calls = sim::calls();
    size_t program = 0, sound = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind == sim::CallKind::RunAndWait) program = i;
        if (calls[i].kind == sim::CallKind::PlaySound) sound = i;
    }
    EXPECT_LT(program, sound);
    EXPECT_EQ(sim::callsOf(sim::CallKind::PlaySound)[0].at.second, 22);  // after the program's 20 s
}

}  // namespace
