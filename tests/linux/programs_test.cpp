// Programs of the event script through the shell: waited ones end before
// the call returns, launched ones leave nothing behind to reap.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "test_files.h"

namespace {

class Programs : public testing::Test {
protected:
    ScratchDirectory dir;
    char saved[PATH_MAX];

    void SetUp() override {
        ASSERT_TRUE(platformGetCurrentDirectory(saved, sizeof saved));
        ASSERT_TRUE(platformSetCurrentDirectory(dir.path().c_str()));
    }
    void TearDown() override { platformSetCurrentDirectory(saved); }

    // No child of ours is left, running or zombie.
    static bool noChildren() {
        errno = 0;
        return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
    }
};

TEST_F(Programs, AWaitedProgramHasEndedWhenTheCallReturns) {
    EXPECT_TRUE(platformRunProgramAndWait("sleep 0.3; echo done > out"));
    EXPECT_EQ(readWholeFile(dir / "out"), "done\n");
    // Its exit status is its own business.
    EXPECT_TRUE(platformRunProgramAndWait("exit 3"));
    EXPECT_TRUE(noChildren());
}

TEST_F(Programs, ProgramsRunInTheCurrentDirectory) {
    std::string inner = dir / "a dir";
    ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
    ASSERT_TRUE(platformSetCurrentDirectory(inner.c_str()));
    ASSERT_TRUE(platformRunProgramAndWait("pwd -P > where"));
    char real[PATH_MAX];
    ASSERT_NE(realpath(inner.c_str(), real), nullptr);
    EXPECT_EQ(readWholeFile(inner + "/where"), std::string(real) + "\n");
}

TEST_F(Programs, AMissingProgramFailsAndLeavesNothing) {
    EXPECT_FALSE(platformRunProgramAndWait("cellwarden-no-such-program --flag 2>/dev/null"));
    EXPECT_FALSE(platformRunProgramAndWait(nullptr));
    platformLaunchProgram("cellwarden-no-such-program 2>/dev/null");
    platformLaunchProgram(nullptr);
    EXPECT_TRUE(noChildren());
}

TEST_F(Programs, ALaunchedProgramRunsOnAfterTheCallWithoutAZombie) {
    // It waits for a file the test makes only after the call returned: a
    // launch that waited would never return.
    platformLaunchProgram("while [ ! -e go ]; do sleep 0.05; done; echo ran > out");
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
    platformRunProgramAndWait("kill -TERM $$; echo survived > term");
    platformRunProgramAndWait("kill -INT $$; echo survived > int");
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    signal(SIGINT, SIG_DFL);
    EXPECT_FALSE(exists(dir / "term"));
    EXPECT_FALSE(exists(dir / "int"));

    // A lock file held without close-on-exec stays with the monitor.
    int held = open((dir / "lock").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(held, 0);
    std::string probe = "[ -e /proc/$$/fd/" + std::to_string(held) + " ] && echo leaked > fd";
    platformRunProgramAndWait(probe.c_str());
    platformLaunchProgram((probe + "; echo > launched").c_str());
    ASSERT_TRUE(waitForFile(dir / "launched"));
    close(held);
    EXPECT_FALSE(exists(dir / "fd"));
}

}  // namespace
