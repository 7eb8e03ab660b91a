// Dialog tests: the whole program runs as it starts for real, on the
// simulated machine and window system; the test plays the user while the
// main dialog runs.
#pragma once

#include <functional>
#include <string>

#include "dialogs/dialog_frame.h"
#include "dialogs/program.h"
#include "ui/sim/sim_controls.h"
#include "program_test.h"
#include "resources/resource_ids.h"

class DialogTest : public ProgramTest {
protected:
    static constexpr const char* kIni = "C:\\TOOLS\\celwrd.INI";

    void SetUp() override {
        ProgramTest::SetUp();
        simui::reset();
    }
    void TearDown() override { simui::reset(); }

    // Runs the program; `whileOpen` is the user at the main dialog. The run
    // ends with the program's exit button unless the user ended it.
    void run(std::function<void(WindowHandle)> whileOpen, const std::string& commandLine = "C:\\TOOLS\\celwrd.exe") {
        simui::onModal(kMainDialog, [whileOpen](WindowHandle main) {
            whileOpen(main);
            if (simui::exists(main)) simui::click(main, IDC_EXIT);
        });
        runProgram(commandLine.c_str());
    }

    std::string iniLine(const std::string& key) {
        std::string ini = sim::fileContent(kIni);
        size_t at = ini.find(key + " = ");
        if (at == std::string::npos) return "";
        return ini.substr(at, ini.find("\r\n", at) - at);
    }
    bool saved() { return !sim::callsOf(sim::CallKind::ReplaceFile).empty(); }
    std::string text(WindowHandle w, int id) { return simui::control(w, id).text; }
    bool checked(WindowHandle w, int id) { return simui::control(w, id).checked; }
    bool enabled(WindowHandle w, int id) { return simui::control(w, id).enabled; }
};
