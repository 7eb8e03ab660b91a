// The whole program from its command line to its end.
#include "dialogs/program.h"

#include "dialog_test.h"

namespace {

class ProgramRun : public DialogTest {
protected:
    int lines(const std::string& text) {
        int n = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
        return n;
    }
};

TEST_F(ProgramRun, WithAutoExitOnMainsItEndsAtTheFirstTickAndSaves) {
    sim::setPower(1, 0, 80);
    bool ended = false;
    run([&](WindowHandle main) {
        sim::runFor(1000);
        ended = !simui::exists(main);
    }, "C:\\TOOLS\\celwrd.exe -A");
    EXPECT_TRUE(ended);
    EXPECT_EQ(lines(sim::fileContent(kIni)), 38);
    EXPECT_EQ(iniLine("WPOS_Dlg_Main"), "WPOS_Dlg_Main = 100,80,330,440,-1");
    EXPECT_FALSE(simui::trayIconShown());
    EXPECT_EQ(sim::timerCount(), 0);
}

TEST_F(ProgramRun, ChargingDoesNotEndAnAutoExitRun) {
    sim::setPower(1, 8, 80);
    run([](WindowHandle main) {
        sim::runFor(3000);
        EXPECT_TRUE(simui::exists(main));
    }, "C:\\TOOLS\\celwrd.exe -a");
}

TEST_F(ProgramRun, ExitFromTheMenuClosesTheLogButRunsNoSection) {
    sim::putFile(kIni, "Clogfile.Sneedsavelogfile = 1\n");
    script("[STOP]\nC:\\\nstop\n[END]\nC:\\\nend\n");
    run([](WindowHandle main) {
        sim::runFor(1000);
        simui::click(main, CMD_EXIT);
    });
    std::string log = logFile();
    EXPECT_EQ(log.substr(0, 6), "[Open ");
    EXPECT_EQ(log.substr(log.rfind("[Close"), 7), "[Close ");
    EXPECT_TRUE(programs().empty());
}

TEST_F(ProgramRun, BehindTheTrayTheMinimisedWindowHidesAtTheFirstRefresh) {
    sim::putFile(kIni, "Cscreen.Shidetaskbar = 1\nCscreen.Sshowtasktray = 1\nWPOS_Dlg_Main = 1,2,3,4,0\n");
    run([](WindowHandle main) {
        EXPECT_TRUE(simui::window(main).minimised);
        sim::runFor(1000);
        EXPECT_FALSE(simui::window(main).visible);
        EXPECT_TRUE(simui::trayIconShown());
    });
    EXPECT_EQ(iniLine("WPOS_Dlg_Main"), "WPOS_Dlg_Main = 1,2,330,440,4");
}

TEST_F(ProgramRun, ACommandLineItCannotUseTouchesNoFile) {
    runProgram(("C:\\" + std::string(270, 'n') + ".exe").c_str());
    EXPECT_TRUE(sim::filePaths().empty());
    EXPECT_TRUE(simui::events().empty());
}

}  // namespace
