#include "actions/event_script.h"

#include <algorithm>
#include <string>
#include <vector>

#include "program_test.h"

namespace {

const char* const kScriptPath = "C:\\TOOLS\\AUTOEXEC.CLW";

class EventScript : public ProgramTest {
protected:
    // The entries as "SECTION|dir|command" ("!" before a launch-only command).
    std::vector<std::string> entries(const std::string& text) {
        script(text);
        std::vector<std::string> out;
        forEachScriptEntry(
            kScriptPath,
            [](const ScriptEntry& e, void* context) {
                static const char* const names[] = {"BOOT",   "START",  "RESUME",  "SUSPEND",
                                                    "STOP",   "END",    "AC-ON",   "AC-OFF",
                                                    "BAT-ON", "BAT-OFF", "BAT-FULL", "BAT-LOW"};
                static_cast<std::vector<std::string>*>(context)->push_back(
                    std::string(names[e.section]) + "|" + e.directory + "|" + (e.launchOnly ? "!" : "") +
                    e.command);
            },
            &out);
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST_F(EventScript, ReadsEntriesOfTwoLinesInFileOrder) {
    struct Row {
        const char* script;
        Strings entries;
    } rows[] = {
        {"[SUSPEND]\r\nC:\\bin\r\nsync.exe /all\r\n", {"SUSPEND|C:\\bin|sync.exe /all"}},
        {"before\nignored\n[AC-ON] remark\nD:\\\n!notify.exe\n", {"AC-ON|D:\\|!notify.exe"}},
        {"[ac-on]\nx\n[AC-OFF]\ndir\ncmd\n", {"AC-OFF|dir|cmd"}},
        {"[STOP]\n [END]\ndir\ncmd\n", {"STOP|dir|cmd"}},
        {"[STOP]\ndir\n[END]\nnext\ncmd", {"STOP|dir|[END]", "STOP|next|cmd"}},
        {"[STOP]\ndir\n; comment\nd2\nc2\n", {"STOP|d2|c2"}},
        {"[STOP]\ndir\n\n", {}},
        {"[STOP]\ndir", {}},
        {"[STOP]\n\x83\x65\x83\x58\x83\x67\nd\n\tc\nd3\nc3", {"STOP|d3|c3"}},
        {"[BOOT]\na\nb\n[START]\nc\nd\n[BOOT]\ne\nf\n", {"BOOT|a|b", "START|c|d", "BOOT|e|f"}},
        {"#c\n[BAT-LOW]\n C:\\x\n#c\n", {}},
        {"[BAT-FULL]\n  C:\\dir with blanks  \n  \"cmd\" arg  \n", {}},
        {"[BAT-FULL]\nC:\\dir with blanks  \n\"cmd\" arg  \n", {"BAT-FULL|C:\\dir with blanks  |\"cmd\" arg  "}},
    };
    for (const Row& row : rows) EXPECT_EQ(entries(row.script), row.entries) << row.script;
}

// Cut into pieces, a long line would run its rest as a command and shift
// every entry after it into the wrong section.
TEST_F(EventScript, ALineLongerThanTheBufferDropsItsEntryWhole) {
    const std::string longLine(1100, 'd'), fits(1023, 'c');
    struct Row {
        std::string script;
        Strings entries;
    } rows[] = {
        {"[BOOT]\n" + longLine + "\nboot\n[BAT-LOW]\nC:\\\nlow\n", {"BAT-LOW|C:\\|low"}},
        {"[BOOT]\nC:\\\n" + longLine + "\n[START]\nC:\\\nstart\n", {"START|C:\\|start"}},
        {";" + std::string(1022, 'c') + "[BOOT]\nC:\\\nboot\n", {}},
        {"[BOOT]" + longLine + "\nC:\\\nboot\n", {"BOOT|C:\\|boot"}},
        {"[BOOT]\nC:\\\n" + fits + "\nC:\\\nnext\n", {"BOOT|C:\\|" + fits, "BOOT|C:\\|next"}},
    };
    for (const Row& row : rows) EXPECT_EQ(entries(row.script), row.entries) << row.script.substr(0, 40);
}

const char* const kLifeScript =
    "[BOOT]\nC:\\\nboot\n[START]\nC:\\\nstart\n[RESUME]\nC:\\\nresume\n[SUSPEND]\nC:\\\nsuspend\n"
    "[STOP]\nC:\\\nstop\n[END]\nC:\\\nend\n[AC-OFF]\nC:\\\nac-off\n";

TEST_F(EventScript, EachTriggerRunsItsSections) {
    script(kLifeScript);
    struct Row {
        int trigger;
        Strings programs;
    } rows[] = {
        {kTriggerBoot, {"boot", "start"}},      {kTriggerResume, {"start", "resume"}},
        {kTriggerSuspend, {"suspend", "stop"}}, {kTriggerShutdown, {"stop", "end"}},
    };
    for (const Row& row : rows) {
        forget();
        runEventScript(row.trigger);
        EXPECT_EQ(programs(), row.programs) << row.trigger;
    }
}

TEST_F(EventScript, APowerTriggerAfterALifeCycleTriggerIsWithheldOnce) {
    script(kLifeScript);
    runEventScript(kTriggerBoot);
    forget();
    runEventScript(kTriggerAcOff);
    EXPECT_EQ(programs(), Strings{});
    EXPECT_EQ(powerEventHold, 0);
    runEventScript(kTriggerAcOff);
    EXPECT_EQ(programs(), Strings{"ac-off"});
    // A life-cycle trigger that reaches no entry sets no hold.
    script("[AC-OFF]\nC:\\\nac-off\n");
    runEventScript(kTriggerSuspend);
    forget();
    runEventScript(kTriggerAcOff);
    EXPECT_EQ(programs(), Strings{"ac-off"});
}

TEST_F(EventScript, AMissingScriptRunsNothingAndKeepsTheHold) {
    runEventScript(kTriggerAcOff);
    EXPECT_EQ(powerEventHold, 1);
    runEventScript(-1);
    runEventScript(kTriggerCount);
    EXPECT_EQ(triggers, (std::vector<int>{kTriggerAcOff}));
}

TEST_F(EventScript, AScriptSomeoneElseCouldHaveWrittenRunsNothingAndTheUserIsToldOnce) {
    script(kLifeScript);
    sim::setFileTrusted(kScriptPath, false);
    runEventScript(kTriggerBoot);
    EXPECT_EQ(programs(), Strings{});
    EXPECT_EQ(powerEventHold, 1);
    EXPECT_EQ(sim::callsOf(sim::CallKind::LogProblem).size(), 1u);
    EXPECT_TRUE(sim::callsOf(sim::CallKind::ShowMessage).empty());  // no window to own a box yet
    simui::setMainWindow(kMainWindow);
    runEventScript(kTriggerResume);
    runEventScript(kTriggerSuspend);
    EXPECT_EQ(programs(), Strings{});
    EXPECT_EQ(sim::callsOf(sim::CallKind::ShowMessage).size(), 1u);
    EXPECT_EQ(sim::callsOf(sim::CallKind::LogProblem).size(), 1u);
    sim::setFileTrusted(kScriptPath, true);
    runEventScript(kTriggerBoot);
    EXPECT_EQ(programs(), (Strings{"boot", "start"}));
}

// Timers tick inside a message box, and a tick may run the script again.
TEST_F(EventScript, RefusedFilesAreToldOfOneBoxAtATime) {
    sim::putFile("C:\\TOOLS\\celwrd.INI", "");
    sim::setFileTrusted("C:\\TOOLS\\celwrd.INI", false);
    readSettingsFile();
    script(kLifeScript);
    sim::setFileTrusted(kScriptPath, false);
    simui::setMainWindow(kMainWindow);
    static int open, mostOpen;
    open = mostOpen = 0;
    sim::setCallObserver([](const sim::Call& call) {
        if (call.kind != sim::CallKind::ShowMessage) return;
        mostOpen = std::max(mostOpen, ++open);
        runEventScript(kTriggerAcOff);
        --open;
    });
    runEventScript(kTriggerBoot);
    EXPECT_EQ(sim::callsOf(sim::CallKind::ShowMessage).size(), 2u);
    EXPECT_EQ(mostOpen, 1);
}

TEST_F(EventScript, EntriesRunInTheirDirectoryWhichIsRestoredAfterwards) {
    sim::setEveryDirectoryExists(false);
    sim::addDirectory("C:\\");
    sim::addDirectory("D:\\work");
    powerEventHold = 0;
    script("[AC-OFF]\nD:\\work\nfirst\nX:\\missing\n!second\nD:\\work\nthird\n");
    sim::setProgramFails("first", true);
    runEventScript(kTriggerAcOff);
    std::vector<sim::Call> waited = sim::callsOf(sim::CallKind::RunAndWait);
    std::vector<sim::Call> started = sim::callsOf(sim::CallKind::Launch);
    ASSERT_EQ(waited.size(), 2u);  // a program that fails to start does not stop the rest
    EXPECT_EQ(waited[0].text2, "D:\\work");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].text, "second");
    EXPECT_EQ(started[0].text2, "C:\\");  // the missing directory left it unchanged
    EXPECT_EQ(waited[1].text, "third");
    EXPECT_EQ(sim::currentDirectory(), "C:\\");
    EXPECT_EQ(sim::openFileCount(), 0);
}

TEST_F(EventScript, TheScriptLiesBesideTheProgram) {
    char path[kPathSize];
    parseCommandLine("\"D:\\My Tools\\celwrd.exe\"");
    eventScriptPath(path);
    EXPECT_STREQ(path, "D:\\My Tools\\AUTOEXEC.CLW");
}

}  // namespace
