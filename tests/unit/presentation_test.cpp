#include "monitor/presentation.h"

#include "base/text_util.h"
#include "program_test.h"

namespace {

class Presentation : public ProgramTest {
protected:
    void show(int32_t kind, int32_t percent) {
        liveSettings.Cbattery.kind = kind;
        liveSettings.Cbattery.percent = percent;
        updatePresentation();
    }
    size_t count(sim::CallKind kind) { return sim::callsOf(kind).size(); }
};

TEST(ChooseIcon, FollowsKindAndCharge) {
    struct Row {
        int32_t kind, percent;
        int icon;
    } rows[] = {
        {kPowerDischarge, 80, 3}, {kPowerDischarge, 79, 4}, {kPowerDischarge, 40, 5},
        {kPowerDischarge, 20, 6}, {kPowerDischarge, 19, 7}, {kPowerDischarge, 0, 7},
        {kPowerCharge, 100, 8},   {kPowerCharge, 45, 10},   {kPowerCharge, 5, 12},
        {kPowerAcBatt, 100, 13},  {kPowerAcBatt, 80, 13},   {kPowerAcBatt, 79, 9},
        {kPowerAcBatt, 45, 10},   {kPowerAcLine, 255, 2},   {kPowerAcLine, 10, 2},
        {kPowerUnknown, 50, 1},
    };
    for (const Row& row : rows) EXPECT_EQ(chooseIcon(row.kind, row.percent), row.icon) << row.kind << "/" << row.percent;
}

TEST_F(Presentation, BeforeTheWindowExistsNothingIsAddressed) {
    liveSettings.Cscreen.Sshowtasktray = 1;
    show(kPowerCharge, 50);
    EXPECT_EQ(trayIconOwner(), 0u);
    EXPECT_EQ(simui::caption(), "");
    EXPECT_FALSE(simui::trayIconShown());
    simui::setMainWindow(kMainWindow);
    show(kPowerCharge, 50);
    EXPECT_EQ(trayIconOwner(), kMainWindow);
    EXPECT_TRUE(simui::trayIconShown());
}

TEST_F(Presentation, TrayIconIsAddedOnceModifiedAlwaysAndDeletedWhenSwitchedOff) {
    simui::setMainWindow(kMainWindow);
    copyText(liveSettings.itemsText, "50% 60s");
    show(kPowerCharge, 50);
    EXPECT_EQ(count(sim::CallKind::TrayAdd), 0u);
    liveSettings.Cscreen.Sshowtasktray = 1;
    show(kPowerCharge, 50);
    show(kPowerCharge, 51);
    EXPECT_EQ(count(sim::CallKind::TrayAdd), 1u);
    EXPECT_EQ(count(sim::CallKind::TrayModify), 2u);
    EXPECT_EQ(sim::callsOf(sim::CallKind::TrayModify).back().text, "50% 60s");
    liveSettings.Cscreen.Sshowtasktray = 0;
    show(kPowerCharge, 51);
    show(kPowerCharge, 51);
    EXPECT_EQ(count(sim::CallKind::TrayDelete), 1u);
    EXPECT_EQ(trayIconOwner(), 0u);
    EXPECT_EQ(simui::classIcon(), 10);
}

TEST_F(Presentation, EmptyItemsShowTheBannerAndAnEmptyTip) {
    simui::setMainWindow(kMainWindow);
    liveSettings.Cscreen.Sshowtasktray = 1;
    liveSettings.itemsText[0] = '\0';
    show(kPowerAcLine, 255);
    EXPECT_EQ(simui::caption().rfind("Cellwarden", 0), 0u);
    EXPECT_EQ(sim::callsOf(sim::CallKind::TrayModify).back().text, "");
}

TEST_F(Presentation, MinimisedWindowHidesOnlyWithTrayAndHiddenTaskbar) {
    simui::setMainWindow(kMainWindow);
    simui::setMinimisedAndVisible(true);
    liveSettings.Cscreen.Shidetaskbar = 1;
    show(kPowerCharge, 50);
    EXPECT_EQ(count(sim::CallKind::HideWindow), 0u);  // no tray icon: no way back
    liveSettings.Cscreen.Sshowtasktray = 1;
    show(kPowerCharge, 50);
    show(kPowerCharge, 50);
    EXPECT_EQ(count(sim::CallKind::HideWindow), 1u);
}

TEST_F(Presentation, ShutdownRemovesTheTrayIcon) {
    sim::setPower(1, 8, 50);
    liveSettings.Cscreen.Sshowtasktray = 1;
    sim::putFile("C:\\TOOLS\\celwrd.INI", "Cscreen.Sshowtasktray = 1\n");
    startProgram();
    EXPECT_FALSE(simui::trayIconShown());  // the start-up call came before the window
    sim::runFor(1000);
    EXPECT_TRUE(simui::trayIconShown());
    EXPECT_EQ(simui::caption(), "50% 0s E9:00:01 R0:00:00 9:00:01");
    shutDown();
    EXPECT_FALSE(simui::trayIconShown());
}

}  // namespace

TEST_F(ProgramTest, HelpOpensTheFileNamedLikeTheProgram) {
    parseCommandLine("\"C:\\My Tools\\celwrd.exe\" -A");
    openHelp();
    EXPECT_EQ(texts(sim::CallKind::OpenHelp), std::vector<std::string>{"C:\\My Tools\\celwrd.HLP"});
}
