#include "app/power_broadcast.h"

#include <string>

#include "program_test.h"

namespace {

using Strings = std::vector<std::string>;
const char* const kIni = "C:\\TOOLS\\celwrd.INI";

class PowerBroadcast : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        script("[SUSPEND]\nC:\\\nsuspend\n[STOP]\nC:\\\nstop\n[START]\nC:\\\nstart\n[RESUME]\nC:\\\nresume\n"
               "[END]\nC:\\\nend\n[AC-OFF]\nC:\\\nac-off\n");
        sim::putFile(kIni, "Clogfile.Sneedsavelogfile = 1\n");
        sim::setPower(0, 0, 60);
        startProgram();
        sim::runFor(1000);
        forget();
    }
    std::string lastLogLine() {
        std::string log = logFile();
        size_t end = log.rfind("\r\n");
        size_t start = log.rfind("\r\n", end - 1);
        return log.substr(start + 2, end - start - 2);
    }
    size_t saves() { return sim::callsOf(sim::CallKind::ReplaceFile).size(); }
};

TEST_F(PowerBroadcast, AGrantedQueryStopsLogsSavesAndRunsTheSuspendPrograms) {
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), 1);
    EXPECT_EQ(sim::callsOf(sim::CallKind::AskYesNo).size(), 0u);
    EXPECT_EQ(sim::timerCount(), 0);
    EXPECT_EQ(lastLogLine(), "[Close logfile at 2026/01/05  9:00:01]");
    EXPECT_EQ(saves(), 1u);
    EXPECT_EQ(programs(), (Strings{"suspend", "stop"}));
    // The programs ran after the marker and the save.
    const std::vector<sim::Call>& calls = sim::calls();
    EXPECT_EQ(calls.back().kind, sim::CallKind::RunAndWait);
}

TEST_F(PowerBroadcast, NoRefusesAndChangesNothing) {
    liveSettings.Cmanip.Sasksuspendok = 1;
    simui::setYesNoAnswer(false);
    EXPECT_EQ(onPowerBroadcast(kPbtQueryStandby), kBroadcastQueryDeny);
    std::vector<sim::Call> asked = sim::callsOf(sim::CallKind::AskYesNo);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "サスペンドを実行しますか？");
    EXPECT_EQ(asked[0].text2, "Cellwarden Suspend");
    EXPECT_EQ(sim::timerCount(), 2);
    EXPECT_EQ(saves(), 0u);
    EXPECT_EQ(programs(), Strings{});
    EXPECT_EQ(lastLogLine().substr(0, 9), "Discharge");
    simui::setYesNoAnswer(true);
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), 1);
    EXPECT_EQ(sim::timerCount(), 0);
}

TEST_F(PowerBroadcast, ResumeRebuildsEverythingAndReportsTheSituationAgain) {
    onPowerBroadcast(kPbtQuerySuspend);
    liveSettings.Csound.Slowbatteryperc = 44;  // changed, not saved: the file wins
    sim::putFile(kIni, sim::fileContent(kIni) + "Csound.Slowbatteryperc = 10\r\n");
    forget();
    sim::stall(3600000);
    EXPECT_EQ(onPowerBroadcast(kPbtResumeSuspend), 0);
    EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 10);
    EXPECT_EQ(lastLogLine(), "[Open logfile at 2026/01/05 10:00:01]");
    EXPECT_EQ(programs(), (Strings{"start", "resume"}));
    EXPECT_EQ(sim::timerCount(), 2);
    forget();
    sim::runFor(100);
    EXPECT_EQ(lastLogLine().substr(0, 9), "Discharge");
    EXPECT_EQ(sounds(), Strings{"DISCHARGE"});  // the same kind as before, reported again
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerAcOff}));
    EXPECT_EQ(programs(), Strings{});  // withheld after the life-cycle programs
}

TEST_F(PowerBroadcast, TheSuspendNoticeAloneRunsTheStepsOnce) {
    for (uint32_t notice : {kPbtSuspend, kPbtStandby}) {
        onPowerBroadcast(kPbtResumeSuspend);
        forget();
        // A notice, not a question: the system reads no answer from it.
        EXPECT_EQ(onPowerBroadcast(notice), 0);
        EXPECT_EQ(programs(), (Strings{"suspend", "stop"}));
        EXPECT_EQ(saves(), 1u);
        EXPECT_EQ(sim::timerCount(), 0);
        forget();
        EXPECT_EQ(onPowerBroadcast(notice), 0);
        EXPECT_EQ(programs(), Strings{});
    }
}

TEST_F(PowerBroadcast, AGrantedQueryFollowedByTheNoticeRunsTheStepsOnce) {
    onPowerBroadcast(kPbtQuerySuspend);
    onPowerBroadcast(kPbtSuspend);
    EXPECT_EQ(programs(), (Strings{"suspend", "stop"}));
}

TEST_F(PowerBroadcast, AFailedSuspendStartsTheMonitorAgain) {
    onPowerBroadcast(kPbtQuerySuspend);
    forget();
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspendFailed), 0);
    EXPECT_EQ(sim::timerCount(), 2);
    EXPECT_EQ(lastLogLine().substr(0, 5), "[Open");
    EXPECT_EQ(programs(), (Strings{"start", "resume"}));
    onPowerBroadcast(kPbtQueryStandby);
    onPowerBroadcast(kPbtQueryStandbyFailed);
    EXPECT_EQ(sim::timerCount(), 2);
    // The next query is asked again, not taken as already granted.
    liveSettings.Cmanip.Sasksuspendok = 1;
    simui::setYesNoAnswer(false);
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), kBroadcastQueryDeny);
    forget();
    onPowerBroadcast(kPbtQuerySuspendFailed);  // without a stop there is nothing to restart
    EXPECT_EQ(sim::calls().size(), 0u);
}

TEST_F(PowerBroadcast, OneWakeRunsTheResumeStepsOnce) {
    onPowerBroadcast(kPbtSuspend);
    forget();
    onPowerBroadcast(kPbtResumeAutomatic);
    onPowerBroadcast(kPbtResumeSuspend);
    EXPECT_EQ(programs(), (Strings{"start", "resume"}));
    EXPECT_EQ(sim::timerCount(), 2);
}

TEST_F(PowerBroadcast, ACriticalResumeWhileRunningLeavesOneTimerOfEach) {
    onPowerBroadcast(kPbtResumeCritical);
    onPowerBroadcast(kPbtResumeCritical);
    EXPECT_EQ(sim::timerCount(), 2);
    EXPECT_TRUE(mainTimerRunning());
    stopMainTimer();
    stopLogTimer();
    EXPECT_EQ(sim::timerCount(), 0);
}

TEST_F(PowerBroadcast, OtherCodesChangeNothing) {
    for (uint32_t code : {2u, 3u, 9u, 10u, 11u, 18u, 0x8013u, 0xFFFFFFFFu}) EXPECT_EQ(onPowerBroadcast(code), 0);
    EXPECT_EQ(sim::calls().size(), 0u);
}

TEST_F(PowerBroadcast, EndOfSessionClosesAndRunsStopAndEnd) {
    EXPECT_EQ(onEndSession(0), 0);
    EXPECT_EQ(sim::calls().size(), 0u);
    EXPECT_EQ(onEndSession(1), 0);
    EXPECT_EQ(sim::timerCount(), 0);
    EXPECT_EQ(lastLogLine().substr(0, 6), "[Close");
    EXPECT_EQ(saves(), 1u);
    EXPECT_EQ(programs(), (Strings{"stop", "end"}));
    EXPECT_EQ(sim::callsOf(sim::CallKind::TrayDelete).size(), 0u);
}

TEST_F(PowerBroadcast, TheSessionEndingWhileSuspendedClosesTheLogOnce) {
    onPowerBroadcast(kPbtQuerySuspend);
    onEndSession(1);
    std::string log = logFile();
    size_t close = log.find("[Close");
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(close, log.rfind("[Close"));
    EXPECT_EQ(programs(), (Strings{"suspend", "stop", "stop", "end"}));
}

TEST_F(PowerBroadcast, WithoutLifeCycleEntriesTheFirstReportAfterResumeRuns) {
    script("[AC-OFF]\nC:\\\nac-off\n");
    onPowerBroadcast(kPbtQuerySuspend);
    onPowerBroadcast(kPbtResumeSuspend);
    forget();
    sim::runFor(100);
    EXPECT_EQ(programs(), Strings{"ac-off"});
}

TEST_F(PowerBroadcast, WithSavingOffTheFileIsNeverWritten) {
    liveSettings.Cmanip.Sneedsaveoptionsystem = 0;
    onPowerBroadcast(kPbtQuerySuspend);
    onEndSession(1);
    shutDown();
    EXPECT_EQ(saves(), 0u);
}

}  // namespace
