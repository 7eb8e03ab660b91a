// Faults a notebook meets over months: files it cannot write, programs that
// misbehave, clocks set by hand, power notices out of order, files edited
// into garbage. Each test asserts that nothing is lost.
#include <algorithm>
#include <string>
#include <vector>

#include "monitor/local_time.h"
#include "program_test.h"
#include "settings/settings_keys.h"

namespace {

using Strings = std::vector<std::string>;
const char* const kIni = "C:\\TOOLS\\celwrd.INI";
const char* const kLog = "C:\\TOOLS\\CELWRD.LOG";

class Faults : public ProgramTest {
protected:
    int ringCount() {
        int count = 0;
        for (const char* slot : liveSettings.Clogfile.logRing.slots) count += slot[0] != '\0';
        return count;
    }
    size_t count(sim::CallKind kind) { return sim::callsOf(kind).size(); }
    Strings lines(const std::string& text) {
        Strings out;
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            out.push_back(text.substr(start, end - start));
        return out;
    }
    bool onlyFiles(const Strings& expected) {
        Strings paths = sim::filePaths();
        return paths.size() == expected.size() &&
               std::is_permutation(paths.begin(), paths.end(), expected.begin());
    }
};

// ---------------------------------------------------------------- settings file

struct FileFault {
    const char* name;
    void (*apply)(bool on);
};

const FileFault kSettingsFaults[] = {
    {"directory not writable", [](bool on) { sim::setReadOnly("C:\\TOOLS\\", on); }},
    {"file read-only", [](bool on) { sim::setReadOnly(kIni, on); }},
    {"file locked", [](bool on) { sim::setFileUnavailable(kIni, on); }},
    {"disk full", [](bool on) { sim::setDiskSpace(on ? 100 : -1); }},
};

TEST_F(Faults, ASettingsFileThatCannotBeWrittenStaysWholeAndTheChangeIsKept) {
    const std::string old = "Csound.Slowbatteryperc = 44\r\nCbattery.Sautosetchargetime = 0\r\n";
    for (const FileFault& fault : kSettingsFaults) {
        SCOPED_TRACE(fault.name);
        SetUp();
        sim::putFile(kIni, old);
        startProgram();
        sim::runFor(1000);
        liveSettings.Csound.Slowbatteryperc = 30;  // applied in the dialog
        fault.apply(true);
        onPowerBroadcast(kPbtQuerySuspend);  // a save point
        EXPECT_EQ(sim::fileContent(kIni), old);
        EXPECT_TRUE(onlyFiles({kIni}));  // no temporary file left behind
        onPowerBroadcast(kPbtResumeSuspend);  // reads the file again, if it can
        shutDown();                           // another save point
        EXPECT_EQ(sim::fileContent(kIni), old);
        fault.apply(false);
        saveSettingsIfEnabled();
        readSettingsFile();
        // The resume did not take the stale file for the settings in force:
        // the change survives, and so does the automatic-rate switch.
        EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 30);
        EXPECT_EQ(liveSettings.Cbattery.Sautosetchargetime, 0);
        EXPECT_EQ(lines(sim::fileContent(kIni)).size(), 38u);
    }
}

TEST_F(Faults, AMegabyteOfGarbageReadsAsNothingButItsOneGoodLine) {
    std::string garbage;
    uint32_t seed = 12345;
    while (garbage.size() < (1u << 20)) {
        seed = seed * 1103515245 + 12345;
        char c = static_cast<char>(seed >> 16);
        garbage += c;
        if ((seed >> 8) % 97 == 0) garbage += "Cscreen.Sdisplayitems[0] = ";  // keys cut by garbage
    }
    garbage += "\nCsound.Slowbatteryperc = 33\n";
    Settings before = liveSettings;
    sim::putFile(kIni, garbage);
    readSettingsFile();
    EXPECT_EQ(liveSettings.Csound.Slowbatteryperc, 33);
    EXPECT_EQ(liveSettings.Cmanip.Sneedsaveoptionsystem, before.Cmanip.Sneedsaveoptionsystem);
    EXPECT_STREQ(liveSettings.Csound.Sacfilename, before.Csound.Sacfilename);
    EXPECT_EQ(sim::openFileCount(), 0);
    ASSERT_TRUE(writeSettingsFile());
    Strings written = lines(sim::fileContent(kIni));
    ASSERT_EQ(written.size(), 38u);
    EXPECT_EQ(written[29], "Csound.Slowbatteryperc = 33");
}

// ---------------------------------------------------------------- log file

const FileFault kLogFaults[] = {
    {"file locked", [](bool on) { sim::setFileUnavailable(kLog, on); }},
    {"directory missing", [](bool on) { sim::setFileUnavailable(kLog, on); }},
    {"file read-only", [](bool on) { sim::setReadOnly(kLog, on); }},
    {"disk full", [](bool on) { sim::setDiskSpace(on ? 0 : -1); }},
};

TEST_F(Faults, ALogFileThatCannotBeWrittenLosesNoLineFromTheRing) {
    for (const FileFault& fault : kLogFaults) {
        SCOPED_TRACE(fault.name);
        SetUp();
        sim::putFile(kIni, "Clogfile.Sneedsavelogfile = 1\n");
        sim::setPower(0, 0, 60);
        startProgram();
        sim::runFor(1000);
        std::string before = logFile();
        fault.apply(true);
        for (uint8_t percent = 59; percent > 55; --percent) {
            sim::setPower(0, 0, percent);
            sim::runFor(1000);
        }
        EXPECT_EQ(logFile(), before);
        EXPECT_EQ(ringCount(), 6);  // open marker, first reading, four changes
        EXPECT_EQ(std::string(ringLine()).substr(0, 15), "Discharge |  56");
        fault.apply(false);
        sim::setPower(0, 0, 55);
        sim::runFor(1000);
        EXPECT_EQ(logFile().substr(before.size(), 15), "Discharge |  55");
        EXPECT_EQ(sim::openFileCount(), 0);
    }
}

// ---------------------------------------------------------------- event programs

TEST_F(Faults, MissingAndLongRunningProgramsHoldNothingElseBack) {
    script("[AC-OFF]\nC:\\\nmissing.exe\nC:\\\nslow.exe\nD:\\\n!notify.exe\nC:\\\nlast.exe\n");
    sim::setProgramFails("missing.exe", true);
    sim::setProgramDuration("slow.exe", 3600000);  // an hour
    liveSettings.Clogfile.Sneedsavelogfiletime = 1;
    sim::putFile(kIni, "Clogfile.Sneedsavelogfiletime = 1\nClogfile.Sneedsavelogfilebattery = 0\n");
    sim::setPower(1, 8, 80);
    startProgram();
    sim::runFor(1000);  // the first report runs nothing
    int before = ringCount();
    forget();
    sim::setPower(0, 0, 80);
    sim::runFor(1000);  // unplugged: the programs hold the tick that sees it for an hour
    EXPECT_EQ(programs(), (Strings{"missing.exe", "slow.exe", "last.exe"}));
    EXPECT_EQ(launched(), Strings{"notify.exe"});
    EXPECT_EQ(sounds(), Strings{"DISCHARGE"});  // after the programs, once
    EXPECT_EQ(sim::currentDirectory(), "C:\\");
    forget();
    sim::runFor(1000);
    // The hour is not caught up a step per tick: one refresh, one record.
    EXPECT_LE(count(sim::CallKind::SetCaption), 2u);
    EXPECT_EQ(ringCount(), before + 2);  // the kind change and one record by time
    EXPECT_LE(count(sim::CallKind::PowerQuery), 2u);
}

TEST_F(Faults, AHundredThousandLineScriptRunsEveryEntry) {
    std::string text = "[AC-OFF]\n";
    for (int i = 0; i < 49999; ++i) text += "C:\\\n!p" + std::to_string(i) + "\n";
    script(text + "; 100,000 lines, the last without its line end");
    powerEventHold = 0;
    runEventScript(kTriggerAcOff);
    Strings started = launched();
    ASSERT_EQ(started.size(), 49999u);
    EXPECT_EQ(started.front(), "p0");
    EXPECT_EQ(started.back(), "p49998");
    EXPECT_EQ(sim::openFileCount(), 0);
}

// ---------------------------------------------------------------- the clock

class ClockFaults : public Faults {
protected:
    void SetUp() override {
        Faults::SetUp();
        sim::putFile(kIni,
                     "Clogfile.Sneedsavelogfiletime = 1\nClogfile.Sneedsavelogfilebattery = 0\n"
                     "Clogfile.Sneedsavelogfile = 1\n");
        sim::setPower(0, 0, 70);
        startProgram();
        sim::runFor(90000);  // open marker, first reading, one record by time
        forget();
    }
    Strings logSince(size_t from) { return lines(logFile().substr(from)); }
    static std::string nowField(const std::string& line) { return line.substr(line.find("now ")); }
};

TEST_F(ClockFaults, ASetBackShorterThanAnIntervalChangesNothing) {
    LocalTime display = displayStamp, log = logStamp, sample = liveSettings.Cbattery.sampleStamp;
    sim::runFor(200);
    sim::shiftClock(-800);  // 9:01:29.4, behind the display and query stamps
    sim::runFor(100);
    EXPECT_EQ(count(sim::CallKind::SetCaption), 0u);
    EXPECT_EQ(count(sim::CallKind::PowerQuery), 0u);
    EXPECT_EQ(timeDiff(displayStamp, display), 0);
    EXPECT_EQ(timeDiff(liveSettings.Cbattery.sampleStamp, sample), 0);
    // 45 s back is less than the log's minute: no record, and its grid
    // waits for the clock to pass 9:02:00 again.
    size_t logged = logFile().size();
    sim::shiftClock(-45000);
    sim::runFor(75000);
    EXPECT_EQ(timeDiff(logStamp, log), 0);
    EXPECT_EQ(logSince(logged), Strings{});
    sim::runFor(1000);
    ASSERT_EQ(logSince(logged).size(), 1u);
    EXPECT_EQ(nowField(logSince(logged)[0]), "now  9:02:00 (  60sec)");
}

TEST_F(ClockFaults, AnHourBackRestartsTheGridsAtOnce) {
    size_t logged = logFile().size();
    sim::shiftClock(-3600000);
    sim::runFor(100);
    // One refresh and one record at the new time, then the grids run from it.
    EXPECT_EQ(count(sim::CallKind::SetCaption), 1u);
    ASSERT_EQ(logSince(logged).size(), 1u);
    EXPECT_EQ(nowField(logSince(logged)[0]), "now  8:01:30 (-3570sec)");
    sim::runFor(60000);
    ASSERT_EQ(logSince(logged).size(), 2u);
    EXPECT_EQ(nowField(logSince(logged)[1]), "now  8:02:30 (  60sec)");
    EXPECT_EQ(ringCount(), 5);  // nothing pushed out
}

TEST_F(ClockFaults, ADayForwardMovesTheGridsOnceWithoutABurst) {
    size_t logged = logFile().size();
    sim::shiftClock(86400000);
    sim::runFor(1000);
    EXPECT_LE(count(sim::CallKind::SetCaption), 2u);
    EXPECT_LE(count(sim::CallKind::PowerQuery), 2u);
    ASSERT_EQ(logSince(logged).size(), 1u);  // not 1,440 records in a row
    EXPECT_EQ(nowField(logSince(logged)[0]), "now  9:01:30 (86430sec)");
    // The grid kept its phase: the next record on the full minute.
    sim::runFor(60000);
    ASSERT_EQ(logSince(logged).size(), 2u);
    EXPECT_EQ(nowField(logSince(logged)[1]), "now  9:02:00 (  30sec)");
    EXPECT_EQ(ringCount(), 5);
}

// ---------------------------------------------------------------- power notices

class PowerFaults : public Faults {
protected:
    void SetUp() override {
        Faults::SetUp();
        script("[SUSPEND]\nC:\\\nsuspend\n[STOP]\nC:\\\nstop\n[START]\nC:\\\nstart\n[RESUME]\nC:\\\nresume\n");
        sim::putFile(kIni, "Clogfile.Sneedsavelogfile = 1\nCmanip.Sasksuspendok = 1\n");
        sim::setPower(0, 0, 60);
        startProgram();
        sim::runFor(1000);
        forget();
    }
    size_t markers(const char* word) {
        size_t n = 0;
        for (const std::string& line : lines(logFile())) n += line.rfind(word, 0) == 0;
        return n;
    }
};

TEST_F(PowerFaults, TwoQueriesWithoutAResumeAskTwiceAndRunTheStepsOnce) {
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), 1);
    EXPECT_EQ(onPowerBroadcast(kPbtQueryStandby), 1);
    EXPECT_EQ(count(sim::CallKind::AskYesNo), 2u);
    EXPECT_EQ(programs(), (Strings{"suspend", "stop"}));
    EXPECT_EQ(count(sim::CallKind::ReplaceFile), 1u);
    EXPECT_EQ(markers("[Close"), 1u);
    EXPECT_EQ(sim::timerCount(), 0);
}

TEST_F(PowerFaults, ASecondQueryRefusedStartsTheMonitorAgain) {
    onPowerBroadcast(kPbtQuerySuspend);
    forget();
    simui::setYesNoAnswer(false);
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), kBroadcastQueryDeny);
    EXPECT_EQ(count(sim::CallKind::AskYesNo), 1u);
    // Nothing of the way down again; the way up once, as after a refused suspend.
    EXPECT_EQ(count(sim::CallKind::ReplaceFile), 0u);
    EXPECT_EQ(programs(), (Strings{"start", "resume"}));
    EXPECT_EQ(markers("[Close"), 1u);
    EXPECT_EQ(markers("[Open"), 2u);
    EXPECT_EQ(sim::timerCount(), 2);
    // The system tells everyone the suspend failed: that changes nothing more.
    forget();
    onPowerBroadcast(kPbtQuerySuspendFailed);
    EXPECT_EQ(sim::calls().size(), 0u);
    sim::setPower(0, 0, 59);
    sim::runFor(1000);
    EXPECT_EQ(std::string(ringLine()).substr(0, 15), "Discharge |  59");
}

TEST_F(PowerFaults, ResumesWithoutASuspendAndTwiceInARow) {
    onPowerBroadcast(kPbtResumeSuspend);  // nothing was announced: still running
    onPowerBroadcast(kPbtResumeAutomatic);
    EXPECT_EQ(sim::calls().size(), 0u);
    EXPECT_EQ(sim::timerCount(), 2);
    onPowerBroadcast(kPbtQuerySuspend);
    forget();
    onPowerBroadcast(kPbtResumeSuspend);
    onPowerBroadcast(kPbtResumeSuspend);
    EXPECT_EQ(programs(), (Strings{"start", "resume"}));
    EXPECT_EQ(markers("[Open"), 2u);
    EXPECT_EQ(sim::timerCount(), 2);
    // A critical resume while running restarts, and leaves one timer of each.
    onPowerBroadcast(kPbtResumeCritical);
    EXPECT_EQ(sim::timerCount(), 2);
}

TEST_F(PowerFaults, AQueryRefusedByAnotherProgramStartsAgainAndAsksNextTime) {
    onPowerBroadcast(kPbtQuerySuspend);
    onPowerBroadcast(kPbtQuerySuspendFailed);
    forget();
    simui::setYesNoAnswer(false);
    EXPECT_EQ(onPowerBroadcast(kPbtQuerySuspend), kBroadcastQueryDeny);
    EXPECT_EQ(count(sim::CallKind::AskYesNo), 1u);
    EXPECT_EQ(programs(), Strings{});
    EXPECT_EQ(sim::timerCount(), 2);
}

}  // namespace
