// Opening, placing and showing the dialogs, and the numeric edits' guard.
#include "dialogs/dialog_frame.h"

#include "app/apply_settings.h"
#include "dialog_test.h"

namespace {

using simui::window;

class DialogFrameTest : public DialogTest {};

TEST_F(DialogFrameTest, MainDialogStartsMinimisedAtItsRecordedCornerWithItsTemplateSize) {
    sim::putFile(kIni, "WPOS_Dlg_Main = 10,20,999,999,0\n");
    run([](WindowHandle main) {
        EXPECT_EQ(ownerWindow, main);
        EXPECT_TRUE(window(main).minimised);
        EXPECT_EQ(window(main).rect.x, 10);
        EXPECT_EQ(window(main).rect.width, simui::kSystemPlacement[kMainDialog].width);
    });
    // Put away before it was destroyed: the last normal rectangle stays.
    EXPECT_EQ(iniLine("WPOS_Dlg_Main"), "WPOS_Dlg_Main = 10,20,330,440,-1");
}

TEST_F(DialogFrameTest, WithoutAPlacementADialogOpensWhereTheSystemPutsItAndComesBackThere) {
    run([](WindowHandle main) {
        simui::click(main, IDC_LOG_VIEW);
        WindowHandle log = simui::windowOf(kLogDialog);
        WindowRect system = simui::kSystemPlacement[kLogDialog];
        EXPECT_EQ(dialogPlacements[kLogDialog].x, system.x);
        EXPECT_EQ(dialogPlacements[kLogDialog].state, 0);
        simui::moveTo(log, 50, 60);
        simui::resize(log, 700, 200);
        simui::click(log, IDC_CANCEL);
        EXPECT_FALSE(simui::exists(log));
        EXPECT_EQ(dialogPlacements[kLogDialog].state, -1);

        simui::click(main, IDC_LOG_VIEW);
        WindowRect again = window(simui::windowOf(kLogDialog)).rect;
        EXPECT_EQ((std::vector<int>{again.x, again.y, again.width, again.height}),
                  (std::vector<int>{50, 60, 700, 200}));  // a resizable frame keeps its size
    });
    EXPECT_EQ(iniLine("WPOS_Dlg_Log"), "WPOS_Dlg_Log = 50,60,700,200,-1");
}

TEST_F(DialogFrameTest, TheSoundDialogKeepsItsOffsetFromTheMainDialog) {
    simui::onModal(kSoundDialog, [](WindowHandle sound) {
        simui::moveTo(sound, 200, 150);
        simui::click(sound, IDC_OK);
    });
    run([](WindowHandle main) {
        simui::restore(main);
        simui::click(main, IDC_SOUND);
        const WindowPlacement& sound = dialogPlacements[kSoundDialog];
        WindowRect mainRect = window(main).rect;
        EXPECT_EQ(sound.x, 200 - mainRect.x - simui::kClientLeft);
        EXPECT_EQ(sound.y, 150 - mainRect.y - simui::kClientTop);

        simui::moveTo(main, 300, 280);
        simui::onModal(kSoundDialog, [](WindowHandle sound) {
            EXPECT_EQ(window(sound).rect.x, 200 + 300 - 100);
            EXPECT_EQ(window(sound).rect.y, 150 + 280 - 80);
            simui::click(sound, IDC_CANCEL);
        });
        simui::click(main, IDC_SOUND);
    });
}

TEST_F(DialogFrameTest, ARecordedStateOfTwoMaximisesAndMinusOneShowsNormally) {
    struct Case {
        const char* line;
        bool maximised;
    } cases[] = {{"WPOS_Dlg_Log = 5,6,700,300,2\n", true}, {"WPOS_Dlg_Log = 5,6,700,300,-1\n", false}};
    for (const Case& c : cases) {
        sim::putFile(kIni, c.line);
        simui::reset();
        run([&](WindowHandle main) {
            simui::click(main, IDC_LOG_VIEW);
            const simui::Window& log = window(simui::windowOf(kLogDialog));
            EXPECT_EQ(log.maximised, c.maximised) << c.line;
            EXPECT_TRUE(log.visible);
            EXPECT_EQ(log.rect.width, 700);
        });
    }
}

TEST_F(DialogFrameTest, MovingAPutAwayWindowRecordsOnlyItsState) {
    run([](WindowHandle main) {
        simui::click(main, IDC_LOG_VIEW);
        WindowHandle log = simui::windowOf(kLogDialog);
        WindowPlacement before = dialogPlacements[kLogDialog];
        simui::minimise(log);
        simui::moveTo(log, 1, 2);
        EXPECT_EQ(dialogPlacements[kLogDialog].state, 1);
        EXPECT_EQ(dialogPlacements[kLogDialog].x, before.x);
        simui::restore(log);
        simui::window(log).visible = false;  // hidden by the system
        simui::resize(log, 10, 10);
        EXPECT_EQ(dialogPlacements[kLogDialog].state, 4);
        EXPECT_EQ(dialogPlacements[kLogDialog].width, before.width);
    });
}

TEST_F(DialogFrameTest, OpeningAnOpenDialogOnlyBringsItToTheTop) {
    run([](WindowHandle main) {
        simui::click(main, IDC_LOG_VIEW);
        simui::clearEvents();
        simui::click(main, IDC_LOG_VIEW);
        EXPECT_EQ(simui::events(), std::vector<std::string>{"top log"});  // not created again, not redrawn
    });
}

TEST_F(DialogFrameTest, ANumericEditShowsWhatWasTypedUntilTheNextRefresh) {
    struct Case {
        const char* typed;
        int stored;
    } cases[] = {{"0", 1}, {"5000", 1000}, {"abc", 1}, {"-5", 1}, {" 42s", 42}, {"99999999999", 1000}};
    run([&](WindowHandle main) {
        simui::restore(main);
        simui::click(main, IDC_CHARGE_AUTO);  // the edit is usable only without automatic measuring
        for (const Case& c : cases) {
            simui::type(main, IDC_CHARGE_SECONDS, c.typed);
            EXPECT_EQ(mainDialogCopy.chargeSeconds, c.stored) << c.typed;
            EXPECT_EQ(text(main, IDC_CHARGE_SECONDS), c.typed);
        }
        simui::activate(main, Activation::Active);
        EXPECT_EQ(text(main, IDC_CHARGE_SECONDS), "1000");
    });
}

}  // namespace
