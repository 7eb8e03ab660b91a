// Programs of the event script through the shell: waited ones end before
// the call returns (or at the end of the session), launched ones leave
// nothing behind to reap; each starts in its own directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/linux_platform.h"
#include "test_files.h"

namespace {

class Programs : public testing::Test {
protected:
    ScratchDirectory dir;
    char saved[PATH_MAX];

    void SetUp() override {
        ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
    }
    void TearDown() override {
        [[maybe_unused]] int back = chdir(saved);
        linuxWatchEndOfSession(-1, nullptr);
    }

    // No child of ours is left, running or zombie.
    static bool noChildren() {
        errno = 0;
        return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
    }
};

TEST_F(Programs, AWaitedProgramHasEndedWhenTheCallReturns) {
    EXPECT_TRUE(platformRunProgramAndWait("sleep 0.3; echo done > out", nullptr));
    EXPECT_EQ(readWholeFile(dir / "out"), "done\n");
    // Its exit status is its own business.
    EXPECT_TRUE(platformRunProgramAndWait("exit 3", nullptr));
    EXPECT_TRUE(noChildren());
}

TEST_F(Programs, EachStartsInItsDirectoryAndOursNeverMoves) {
    // Ours deeper than any fixed buffer would hold.
    std::string ours = dir.path();
    while (ours.size() < 600) {
        ours += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(ours.c_str(), 0755), 0);
    }
    char real[PATH_MAX];
    ASSERT_NE(realpath(ours.c_str(), real), nullptr);
    ours = real;
    ASSERT_EQ(chdir(ours.c_str()), 0);
    ASSERT_EQ(mkdir("a dir", 0755), 0);
    ASSERT_TRUE(platformRunProgramAndWait("pwd -P > where", "a dir"));
    platformLaunchProgram("pwd -P > launched", "a dir");
    ASSERT_TRUE(platformRunProgramAndWait("pwd -P > missing", "no such dir"));
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(here, ours);
    ASSERT_TRUE(waitForFile(ours + "/a dir/launched"));
    EXPECT_EQ(readWholeFile(ours + "/a dir/where"), ours + "/a dir\n");
    EXPECT_EQ(readWholeFile(ours + "/missing"), ours + "\n");
    // Back up, so the scratch directory can go.
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
}

int endHookCalls;
int endPipe[2];

void endOfSession() {
    ++endHookCalls;
    char bytes[8];
    while (read(endPipe[0], bytes, sizeof bytes) > 0) {
    }
}

TEST_F(Programs, TheEndOfTheSessionEndsTheWaitAndLeavesTheProgramRunning) {
    ASSERT_EQ(pipe2(endPipe, O_CLOEXEC | O_NONBLOCK), 0);
    linuxWatchEndOfSession(endPipe[0], endOfSession);
    ASSERT_EQ(write(endPipe[1], "x", 1), 1);
    // It would take half a minute.
    EXPECT_TRUE(platformRunProgramAndWait("echo $$ > pid.tmp; mv pid.tmp pid; exec sleep 30", nullptr));
    EXPECT_EQ(endHookCalls, 1);
    ASSERT_TRUE(waitForFile(dir / "pid"));
    pid_t program = atoi(readWholeFile(dir / "pid").c_str());
    EXPECT_EQ(kill(program, 0), 0);
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
    // The pipe read empty, the next program is waited for to its end.
    EXPECT_TRUE(platformRunProgramAndWait("sleep 0.2; echo done > out", nullptr));
    EXPECT_EQ(readWholeFile(dir / "out"), "done\n");
    EXPECT_EQ(endHookCalls, 1);
    close(endPipe[0]);
    close(endPipe[1]);
}

TEST_F(Programs, AMissingProgramFailsAndLeavesNothing) {
    EXPECT_FALSE(platformRunProgramAndWait("cellwarden-no-such-program --flag 2>/dev/null", nullptr));
    EXPECT_FALSE(platformRunProgramAndWait(nullptr, nullptr));
    platformLaunchProgram("cellwarden-no-such-program 2>/dev/null", nullptr);
    platformLaunchProgram(nullptr, nullptr);
    EXPECT_TRUE(noChildren());
}

TEST_F(Programs, ALaunchedProgramRunsOnAfterTheCallWithoutAZombie) {
    // It waits for a file the test makes only after the call returned: a
    // launch that waited would never return.
    platformLaunchProgram("while [ ! -e go ]; do sleep 0.05; done; echo ran > out", nullptr);
    EXPECT_TRUE(noChildren());
    writeWholeFile(dir / "go", "");
    ASSERT_TRUE(waitForFile(dir / "out"));
}

TEST_F(Programs, ProgramsStartWithAFreshSignalStateAndNoOpenDescriptorsOfOurs) {
    // The monitor's own signal mask and ignored signals are not the
    // program's: a TERM it sends itself ends it.
    sigset_t term, previous;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &previous);
    signal(SIGINT, SIG_IGN);
    platformRunProgramAndWait("kill -TERM $$; echo survived > term", nullptr);
    platformRunProgramAndWait("kill -INT $$; echo survived > int", nullptr);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    signal(SIGINT, SIG_DFL);
    EXPECT_FALSE(exists(dir / "term"));
    EXPECT_FALSE(exists(dir / "int"));

    // A lock file held without close-on-exec stays with the monitor.
    int held = open((dir / "lock").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(held, 0);
    std::string probe = "[ -e /proc/$$/fd/" + std::to_string(held) + " ] && echo leaked > fd";
    platformRunProgramAndWait(probe.c_str(), nullptr);
    platformLaunchProgram((probe + "; echo > launched").c_str(), nullptr);
    ASSERT_TRUE(waitForFile(dir / "launched"));
    close(held);
    EXPECT_FALSE(exists(dir / "fd"));
}

}  // namespace
