// Several programs saving their settings into one folder while another
// reads the file: every read sees one whole file, every save succeeds.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/command_line.h"
#include "settings/settings_file.h"
#include "test_files.h"

namespace {

constexpr int kWriters = 4;
constexpr int kSavesEach = 40;

// Saves of texts of changing length, so that two files mixed or cut short
// never look whole. Returns the count of failed saves.
int saveRepeatedly(int writer) {
    int failures = 0;
    for (int i = 0; i < kSavesEach; ++i) {
        liveSettings.Csound.Slowbatteryperc = writer * 1000 + i;
        std::string name((writer * 37 + i * 11) % 200, static_cast<char>('a' + writer));
        setText(liveSettings.Csound.Sacfilename, name.c_str());
        if (!writeSettingsFile()) ++failures;
    }
    return failures;
}

// A whole file: 38 lines, the first and the last of them as the writer puts them.
bool isWhole(const std::string& text) {
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    const std::string last = "Cmanip.Sasksuspendok = 0\r\n";
    return lines == 38 && text.rfind("WPOS_Dlg_Main = ", 0) == 0 && text.size() > last.size() &&
           text.compare(text.size() - last.size(), last.size(), last) == 0;
}

TEST(ConcurrentSaves, EveryReadSeesAWholeFileAndNoSaveFails) {
    ScratchDirectory dir;
    ASSERT_GT(parseCommandLine((dir / "celwrd").c_str()), 0);
    initSettingsRecords();
    std::string ini = dir / "celwrd.INI";
    ASSERT_TRUE(writeSettingsFile());

    pid_t writers[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        writers[w] = fork();
        if (writers[w] == 0) _exit(saveRepeatedly(w));
        ASSERT_GT(writers[w], 0);
    }
    int reads = 0, broken = 0, running = kWriters, failedSaves = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (running > 0 && std::chrono::steady_clock::now() < deadline) {
        std::string text = readWholeFile(ini);
        ++reads;
        if (!isWhole(text)) {
            if (++broken == 1) ADD_FAILURE() << "read " << reads << " saw " << text.size() << " bytes:\n" << text;
        }
        for (pid_t& pid : writers) {
            int status;
            if (pid <= 0 || waitpid(pid, &status, WNOHANG) != pid) continue;
            failedSaves += WIFEXITED(status) ? WEXITSTATUS(status) : kSavesEach;
            pid = 0;
            --running;
        }
    }
    for (pid_t pid : writers)
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    EXPECT_EQ(running, 0) << "the writers did not finish";
    EXPECT_EQ(broken, 0) << "of " << reads << " reads";
    EXPECT_EQ(failedSaves, 0);
    // The last save left its file, whole, and nothing else but the lock.
    EXPECT_TRUE(isWhole(readWholeFile(ini)));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
        EXPECT_TRUE(entry.path().filename() == "celwrd.INI" || entry.path().filename() == "celwrd.LCK") << entry.path();
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
