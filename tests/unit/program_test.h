// Scenario tests: the program started as the real one starts, on a machine
// whose clock and battery the test drives by hand.
#pragma once

#include <string>
#include <vector>

#include "actions/event_script.h"
#include "app/command_line.h"
#include "app/lifecycle.h"
#include "sim_test.h"

class ProgramTest : public SimTest {
protected:
    static constexpr WindowHandle kMainWindow = 0x1000;
    static inline std::vector<int> triggers;

    void SetUp() override {
        SimTest::SetUp();
        triggers.clear();
        setEventScriptObserver([](int trigger) { triggers.push_back(trigger); });
        sim::setEveryDirectoryExists(true);
        parseCommandLine("C:\\TOOLS\\celwrd.exe");
        // Short sound names, so that expectations read at a glance.
        CsoundGroup& sound = liveSettings.Csound;
        setText(sound.Sacfilename, "AC");
        setText(sound.Sacbatteryfilename, "ACBATT");
        setText(sound.Schargefilename, "CHARGE");
        setText(sound.Sdischargefilename, "DISCHARGE");
        setText(sound.Sfullbatteryfilename, "FULL");
        setText(sound.Slowbatteryfilename, "LOW");
    }

    // Entry to the first monitor tick, in the real program's order.
    void startProgram(const char* commandLine = "C:\\TOOLS\\celwrd.exe") {
        parseCommandLine(commandLine);
        earlyInitialise();
        startUp();
        simui::setMainWindow(kMainWindow);
        simui::setMinimisedAndVisible(true);
        runEventScript(kTriggerBoot);
    }

    void script(const std::string& text) { sim::putFile("C:\\TOOLS\\AUTOEXEC.CLW", text); }

    std::vector<std::string> texts(sim::CallKind kind) {
        std::vector<std::string> out;
        for (const sim::Call& call : sim::callsOf(kind)) out.push_back(call.text);
        return out;
    }
    std::vector<std::string> sounds() { return texts(sim::CallKind::PlaySound); }
    std::vector<std::string> programs() { return texts(sim::CallKind::RunAndWait); }
    std::vector<std::string> launched() { return texts(sim::CallKind::Launch); }
    std::string logFile() { return sim::fileContent("C:\\TOOLS\\CELWRD.LOG"); }
    const char* ringLine(int back = 0) {
        const LogRing& ring = liveSettings.Clogfile.logRing;
        return ring.slots[(ring.writeIndex - 1 - back + 2 * kLogRingSlots) % kLogRingSlots];
    }
    void forget() {
        sim::clearCalls();
        triggers.clear();
    }
};
