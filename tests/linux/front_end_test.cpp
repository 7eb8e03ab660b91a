// The window and timer operations: safe with no front end connected, tray
// tips cut safely for one that is, timers that tolerate the ways a front
// end and the core call them.
#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/linux_platform.h"
#include "platform/time_count.h"
#include "platform/timer_table.h"
#include "test_files.h"

namespace {

struct FakeFrontEnd {
    static inline std::vector<std::string> calls;
    static inline std::vector<uintptr_t> running;
    static inline std::vector<int64_t> armedDelays;
    static inline bool timersFail;
    static constexpr WindowHandle kWindow = 0x42;

    static LinuxFrontEnd hooks() {
        LinuxFrontEnd h{};
        h.mainWindow = [] { return kWindow; };
        h.startTimer = [](uintptr_t id, uint32_t ms) {
            if (timersFail) return false;
            running.push_back(id);
            calls.push_back("start " + std::to_string(ms));
            return true;
        };
        h.stopTimer = [](uintptr_t id) { std::erase(running, id); };
        h.armTimer = [](uintptr_t, int64_t delayMs) { armedDelays.push_back(delayMs); };
        h.trayAdd = [](WindowHandle, int icon, const char* tip) {
            calls.push_back("add " + std::to_string(icon) + " " + tip);
            return true;
        };
        h.trayModify = [](WindowHandle, int, const char* tip) {
            calls.push_back(std::string("modify ") + tip);
            return true;
        };
        h.openPage = [](const char* path) {
            calls.push_back(std::string("page ") + path);
            return true;
        };
        return h;
    }
};

class FrontEnd : public testing::Test {
protected:
    void SetUp() override {
        FakeFrontEnd::calls.clear();
        FakeFrontEnd::running.clear();
        FakeFrontEnd::armedDelays.clear();
        FakeFrontEnd::timersFail = false;
    }
    void TearDown() override { linuxConnect(LinuxFrontEnd{}); }
};

int ticks;
uintptr_t selfId;

TEST_F(FrontEnd, WithNothingConnectedEveryOperationIsSafeAndSaysNo) {
    linuxConnect(LinuxFrontEnd{});
    EXPECT_EQ(platformMainWindow(), 0u);
    EXPECT_EQ(platformStartTimer(100, [] {}), 0u);
    platformStopTimer(1);
    linuxTimerFired(1);
    platformSetCaption(1, "x");
    platformSetClassIcon(1, 3);
    EXPECT_FALSE(platformTrayAdd(1, 3, "tip"));
    EXPECT_FALSE(platformTrayModify(1, 3, "tip"));
    platformTrayDelete(1);
    EXPECT_FALSE(platformIsMinimisedAndVisible(1));
    platformHideWindow(1);
    EXPECT_FALSE(platformAskYesNo("q", "c"));
    platformShowMessage("m", "c");
    platformOpenHelp("/tmp/celwrd.HLP");
    platformRedrawLogViewer();
    platformEndMainDialog();
}

TEST_F(FrontEnd, TrayTipsAreCutTo63BytesOnACharacterBoundary) {
    linuxConnect(FakeFrontEnd::hooks());
    const struct {
        std::string tip, handed;
    } cases[] = {
        {"", ""},
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(64, 'a'), std::string(63, 'a')},
        // 21 three-byte characters fill 63 bytes exactly; a 22nd is dropped whole.
        {[] { std::string s; for (int i = 0; i < 22; ++i) s += "電"; return s; }(),
         [] { std::string s; for (int i = 0; i < 21; ++i) s += "電"; return s; }()},
        // 62 bytes and a character that does not fit after them.
        {std::string(62, 'a') + "電", std::string(62, 'a')},
    };
    for (const auto& c : cases) {
        FakeFrontEnd::calls.clear();
        ASSERT_TRUE(platformTrayAdd(FakeFrontEnd::kWindow, 5, c.tip.c_str()));
        ASSERT_TRUE(platformTrayModify(FakeFrontEnd::kWindow, 5, c.tip.c_str()));
        EXPECT_EQ(FakeFrontEnd::calls, (std::vector<std::string>{"add 5 " + c.handed, "modify " + c.handed}))
            << c.tip.size();
    }
    char small[4];
    cutTrayTip("電電", small, sizeof small);
    EXPECT_STREQ(small, "電");
}

TEST_F(FrontEnd, HelpOpensThePageBesideTheHelpFileWhenItExists) {
    linuxConnect(FakeFrontEnd::hooks());
    ScratchDirectory dir;
    platformOpenHelp((dir / "celwrd.HLP").c_str());
    EXPECT_TRUE(FakeFrontEnd::calls.empty());
    writeWholeFile(dir / "celwrd.html", "<p>");
    platformOpenHelp((dir / "celwrd.HLP").c_str());
    platformOpenHelp((dir.path() + "/" + std::string(5000, 'h') + ".HLP").c_str());
    EXPECT_EQ(FakeFrontEnd::calls, (std::vector<std::string>{"page " + (dir / "celwrd.html")}));
}

TEST_F(FrontEnd, AnInstalledProgramOpensThePageOfItsPackage) {
    linuxConnect(FakeFrontEnd::hooks());
    ScratchDirectory prefix;
    std::filesystem::create_directories(prefix.path() + "/bin");
    std::filesystem::create_directories(prefix.path() + "/share/doc/cellwarden");
    writeWholeFile(prefix / "share/doc/cellwarden/celwrd.html", "<p>");
    platformOpenHelp((prefix / "bin/celwrd.HLP").c_str());
    EXPECT_EQ(FakeFrontEnd::calls,
              (std::vector<std::string>{"page " + prefix.path() + "/bin/../share/doc/cellwarden/celwrd.html"}));
}

TEST_F(FrontEnd, TimersRunTheirCallbackUntilStopped) {
    linuxConnect(FakeFrontEnd::hooks());
    ticks = 0;
    uintptr_t a = platformStartTimer(100, [] { ++ticks; });
    uintptr_t b = platformStartTimer(100, [] { ticks += 100; });
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    linuxTimerFired(a);
    linuxTimerFired(b);
    EXPECT_EQ(ticks, 101);
    platformStopTimer(a);
    EXPECT_EQ(FakeFrontEnd::running, std::vector<uintptr_t>{b});
    // A late tick of a stopped timer, and of an id never handed out, does nothing.
    linuxTimerFired(a);
    linuxTimerFired(0);
    linuxTimerFired(b + 1000);
    EXPECT_EQ(ticks, 101);
    // The new timer does not inherit the old id.
    uintptr_t c = platformStartTimer(100, [] { ticks += 10000; });
    EXPECT_NE(c, a);
    linuxTimerFired(a);
    EXPECT_EQ(ticks, 101);
    platformStopTimer(b);
    platformStopTimer(c);
    EXPECT_TRUE(FakeFrontEnd::running.empty());
}

TEST_F(FrontEnd, ATickDueWhileItsCallbackRunsIsDroppedAndAStopInsideIsSafe) {
    linuxConnect(FakeFrontEnd::hooks());
    ticks = 0;
    // A nested event loop in the callback (a message box) lets the same
    // timer fall due again.
    selfId = platformStartTimer(100, [] {
        ++ticks;
        linuxTimerFired(selfId);
        platformStopTimer(selfId);
    });
    linuxTimerFired(selfId);
    EXPECT_EQ(ticks, 1);
    linuxTimerFired(selfId);
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(FakeFrontEnd::running.empty());
}

int64_t localMsNow() {
    LocalTime now;
    platformGetLocalTime(&now);
    return toMsCount(now);
}

// Away from a quarter hour of universal time, where a quiet timer looks
// at the clock early.
void leaveQuarterHour() {
    for (int waited = 0; waited < 30; ++waited) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const int64_t ms = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
        if (wakeDelay(INT64_MAX, ms) > 1000) return;
        usleep(50000);
    }
}

// The loop is asked for the first step of the grid at or past the end of
// the quiet span, and a tick the loop brings inside the span is not handed
// on: the timer wakes at that step, never earlier and not a step later.
TEST_F(FrontEnd, AnArmedTimerIsAskedForTheFirstStepAfterItsQuietSpan) {
    linuxConnect(FakeFrontEnd::hooks());
    leaveQuarterHour();
    ticks = 0;
    const int64_t period = 100;
    uintptr_t id = platformStartTimer(period, [] { ++ticks; });
    const int64_t now = localMsNow();
    platformArmTimer(id, now - 1, now + 250);
    ASSERT_EQ(FakeFrontEnd::armedDelays.size(), 1u);
    const int64_t delay = FakeFrontEnd::armedDelays[0];
    EXPECT_LE(delay, 250);
    EXPECT_GT(delay, 200) << "the clock did not stand still for 50 ms";
    EXPECT_EQ(firstStepFrom(0, period, delay), 300) << "woken at the third step";
    linuxTimerFired(id);  // a tick inside the span
    EXPECT_EQ(ticks, 0);
    ASSERT_EQ(FakeFrontEnd::armedDelays.size(), 2u);
    EXPECT_EQ(firstStepFrom(0, period, FakeFrontEnd::armedDelays[1]), 300) << "and asked for the same step again";
    // Armed with a span already over, it ticks at every step.
    platformArmTimer(id, now - 2, now - 1);
    EXPECT_EQ(FakeFrontEnd::armedDelays.back(), 0);
    linuxTimerFired(id);
    EXPECT_EQ(ticks, 1);
    platformStopTimer(id);
}

TEST_F(FrontEnd, TimersAreRefusedWhenTheFrontEndOrTheTableCannotTakeMore) {
    linuxConnect(FakeFrontEnd::hooks());
    FakeFrontEnd::timersFail = true;
    EXPECT_EQ(platformStartTimer(100, [] {}), 0u);
    FakeFrontEnd::timersFail = false;
    EXPECT_EQ(platformStartTimer(100, nullptr), 0u);
    std::vector<uintptr_t> ids;
    for (int i = 0; i < 100; ++i)
        if (uintptr_t id = platformStartTimer(100, [] {})) ids.push_back(id);
    EXPECT_GE(ids.size(), 2u);
    EXPECT_LT(ids.size(), 100u);
    EXPECT_EQ(FakeFrontEnd::running.size(), ids.size());  // no front-end timer without a slot
    for (uintptr_t id : ids) platformStopTimer(id);
    uintptr_t again = platformStartTimer(100, [] {});
    EXPECT_NE(again, 0u);
    platformStopTimer(again);
}

}  // namespace
