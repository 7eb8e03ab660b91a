// One program per user and folder, seen from outside: every start is this test
// program run again as a child ("--role start"), which does what the real
// program does at its start and says so on its standard output.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <poll.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ui/qt/single_instance.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// ----- the child's side

void say(const char* text) {
    printf("%s\n", text);
    fflush(stdout);
}

// The ms this thread has waited for a processor so far: what a loaded
// machine adds to its wall time. -1 where the kernel does not say.
long long waitedForProcessorMs() {
    FILE* f = fopen("/proc/thread-self/schedstat", "r");
    if (!f) return -1;
    unsigned long long ran = 0, waited = 0;
    const bool read = fscanf(f, "%llu %llu", &ran, &waited) == 2;
    fclose(f);
    return read ? static_cast<long long>(waited / 1000000) : -1;
}

// Asks the first and says how it went: "answered" or "unanswered", the ms
// it took and the ms of those it waited for a processor.
bool askAndSay() {
    const long long waitedBefore = waitedForProcessorMs();
    QElapsedTimer clock;
    clock.start();
    const bool answered = askFirstToRaise();
    const long long elapsed = clock.elapsed();
    const long long waitedAfter = waitedForProcessorMs();
    const long long waited = waitedBefore < 0 || waitedAfter < 0 ? -1 : waitedAfter - waitedBefore;
    char line[96];
    snprintf(line, sizeof line, "%s %lld %lld", answered ? "answered" : "unanswered", elapsed, waited);
    say(line);
    return answered;
}

// Like the program: the first runs its event loop, a later start asks the
// first and ends, with 1 when nobody answered.
int startRole(int argc, char** argv, bool hang, bool startProgram) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    QCoreApplication app(argc, argv);
    const char* folder = getenv("CW_FOLDER");
    if ((folder && !holdFolderLock(folder)) || !becomeFirstInstance([] { say("raised"); })) {
        say("second");
        return askAndSay() ? 0 : 1;
    }
    if (startProgram) {
        // A program the first starts, as its event script does, outliving it.
        pid_t program = -1;
        char sleepPath[] = "/bin/sleep", seconds[] = "20";
        char* programArgs[] = {sleepPath, seconds, nullptr};
        if (posix_spawn(&program, sleepPath, nullptr, nullptr, programArgs, environ) != 0) return 3;
        char line[32];
        snprintf(line, sizeof line, "program %d", static_cast<int>(program));
        say(line);
    }
    say("first");
    if (hang) {
        // Holds the lock but never gets to its event loop.
        sleep(20);
        return 0;
    }
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);  // never outlives a test gone wrong
    return app.exec();
}

int askRole(int argc, char** argv) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    QCoreApplication app(argc, argv);
    askAndSay();
    return 0;
}

// ----- the test's side

// A start of this program as a child, its standard output read line by line.
class Start {
public:
    // `env`: "NAME=value" sets, "NAME" alone removes.
    Start(const char* role, const std::vector<std::string>& env) {
        std::vector<std::string> entries;
        for (char** e = environ; *e; ++e) entries.push_back(*e);
        for (const std::string& change : env) {
            std::string name = change.substr(0, change.find('='));
            std::erase_if(entries, [&](const std::string& e) { return e.compare(0, name.size() + 1, name + "=") == 0; });
            if (change.find('=') != std::string::npos) entries.push_back(change);
        }
        std::vector<char*> envp;
        for (std::string& e : entries) envp.push_back(e.data());
        envp.push_back(nullptr);
        // Through /proc: the program's own path may lie under a /tmp that a
        // test has mounted over.
        std::string self = "/proc/self/exe";
        std::string roleFlag = "--role", roleName = role;
        char* args[] = {self.data(), roleFlag.data(), roleName.data(), nullptr};
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        if (posix_spawn(&pid_, self.c_str(), &actions, nullptr, args, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        out_ = pipeFds[0];
    }
    ~Start() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    Start(const Start&) = delete;
    Start& operator=(const Start&) = delete;

    // The next line it printed; "" at its end or after `ms` (long: a start
    // on a loaded machine is slow, and a line that comes costs no wait).
    std::string line(int ms = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string text = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return text;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd readable{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return "";
            char chunk[256];
            ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0) return "";
            buffer_.append(chunk, static_cast<size_t>(got));
        }
    }

    // Its exit code, or 128 + the signal that ended it.
    int wait() {
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    void killHard() {
        kill(pid_, SIGKILL);
        wait();
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

// An answer that came after about a second: "unanswered ELAPSED WAITED".
// The second is the asking's own bound; a loaded machine may add the time
// the asking waited for a processor, and a few steps of its polling.
void expectUnansweredAfterASecond(const std::string& line) {
    long long elapsed = -1, waited = -1;
    ASSERT_EQ(sscanf(line.c_str(), "unanswered %lld %lld", &elapsed, &waited), 2) << line;
    EXPECT_GE(elapsed, 900) << line;
    EXPECT_LT(elapsed - (waited < 0 ? 0 : waited), 1300) << line;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

bool isSocket(const fs::path& path) {
    return fs::is_socket(fs::symlink_status(path));
}

// Each test its own runtime directory.
class SingleInstance : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/cw-single-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        env_ = {"XDG_RUNTIME_DIR=" + dir_.string()};
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path dir_;
    std::vector<std::string> env_;
};

TEST_F(SingleInstance, LaterStartsRaiseTheFirstAndEnd) {
    Start first("start", env_);
    ASSERT_EQ(first.line(), "first");
    EXPECT_TRUE(isSocket(dir_ / "cellwarden.socket"));
    for (int i = 0; i < 2; ++i) {
        Start later("start", env_);
        EXPECT_EQ(later.line(), "second");
        EXPECT_EQ(later.line().substr(0, 9), "answered ");
        EXPECT_EQ(later.wait(), 0);
        EXPECT_EQ(first.line(), "raised");
    }
}

TEST_F(SingleInstance, TheLockFileNamesTheFirst) {
    Start first("start", env_);
    ASSERT_EQ(first.line(), "first");
    std::string pid = readFile(dir_ / "cellwarden.lock");
    ASSERT_FALSE(pid.empty());
    EXPECT_EQ(fs::read_symlink("/proc/" + pid.substr(0, pid.size() - 1) + "/exe"), fs::read_symlink("/proc/self/exe"));
}

TEST_F(SingleInstance, AfterTheFirstIsKilledTheNextStartIsFirst) {
    Start first("start", env_);
    ASSERT_EQ(first.line(), "first");
    first.killHard();
    // Its socket stays behind; its lock went with it.
    ASSERT_TRUE(isSocket(dir_ / "cellwarden.socket"));

    Start next("start", env_);
    ASSERT_EQ(next.line(), "first");
    Start later("start", env_);
    EXPECT_EQ(later.line(), "second");
    EXPECT_EQ(later.line().substr(0, 9), "answered ");
    EXPECT_EQ(next.line(), "raised");
}

TEST_F(SingleInstance, ProgramsTheFirstStartedDoNotKeepTheLock) {
    Start first("start-program", env_);
    std::string program = first.line();
    ASSERT_EQ(program.substr(0, 8), "program ");
    // Orphaned, it comes to this process (a subreaper), which ends it.
    struct Reaped {
        pid_t pid;
        ~Reaped() {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    } programEnds{atoi(program.c_str() + 8)};
    ASSERT_EQ(first.line(), "first");
    first.killHard();
    ASSERT_EQ(kill(programEnds.pid, 0), 0) << "the program outlives the first";

    Start next("start", env_);
    EXPECT_EQ(next.line(), "first");
}

TEST_F(SingleInstance, AskingWhenNobodyListensIsFalseAfterAboutASecond) {
    Start ask("ask", env_);
    // Not the default socket timeout of 30 s.
    expectUnansweredAfterASecond(ask.line());
    EXPECT_EQ(ask.wait(), 0);
}

TEST_F(SingleInstance, AFirstThatDoesNotAnswerLeavesTheLaterStartAfterAboutASecond) {
    Start first("hang", env_);
    ASSERT_EQ(first.line(), "first");
    Start later("start", env_);
    EXPECT_EQ(later.line(), "second");
    expectUnansweredAfterASecond(later.line());
    EXPECT_EQ(later.wait(), 1);
}

TEST_F(SingleInstance, PlantedSymlinksAreNotFollowed) {
    writeFile(dir_ / "lock-victim", "keep\n");
    writeFile(dir_ / "socket-victim", "keep\n");
    fs::create_symlink(dir_ / "lock-victim", dir_ / "cellwarden.lock");
    fs::create_symlink(dir_ / "nowhere", dir_ / "cellwarden-1.lock");
    fs::create_symlink(dir_ / "socket-victim", dir_ / "cellwarden-2.socket");

    Start first("start", env_);
    ASSERT_EQ(first.line(), "first");
    Start later("start", env_);
    EXPECT_EQ(later.line(), "second");
    EXPECT_EQ(later.line().substr(0, 9), "answered ");
    EXPECT_EQ(first.line(), "raised");

    // Both passed over the two symlinked lock names to the same third one,
    // whose socket replaced the symlink, not its target.
    EXPECT_EQ(readFile(dir_ / "lock-victim"), "keep\n");
    EXPECT_EQ(readFile(dir_ / "socket-victim"), "keep\n");
    EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "cellwarden.lock"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "cellwarden-1.lock"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / "cellwarden-2.lock")));
    EXPECT_TRUE(isSocket(dir_ / "cellwarden-2.socket"));
}

TEST_F(SingleInstance, TwoStartsOnOneFolderMeetWhateverTheirRuntimeDirectories) {
    char other[] = "/tmp/cw-single-XXXXXX";
    ASSERT_NE(mkdtemp(other), nullptr);
    const std::string folder = "CW_FOLDER=" + dir_.string() + "/";
    Start first("start", {env_[0], folder});
    ASSERT_EQ(first.line(), "first");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "CELWRD.RUN"));
    Start later("start", {std::string("XDG_RUNTIME_DIR=") + other, folder});
    EXPECT_EQ(later.line(), "second");
    // It cannot reach the first, whose socket lies elsewhere, and says so.
    EXPECT_EQ(later.line().substr(0, 11), "unanswered ");
    EXPECT_EQ(later.wait(), 1);
    fs::remove_all(other);
}

// The runtime directories of the system and the fallback under the home,
// in a mount namespace of this test process with fresh tmpfs over /tmp,
// /run and the user's home: nothing here reaches the machine's.
class FallbackDir : public testing::Test {
protected:
    static inline bool mounted;
    static inline std::string why;

    static void SetUpTestSuite() {
        if (mounted) return;
        if (geteuid() != 0) why = "a private mount namespace and another user's files need root";
        else if (unshare(CLONE_NEWNS) != 0) why = "no mount namespace here";
        else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) why = "cannot make / private";
        else if (!fresh("/tmp", "1777") || !fresh("/run", "0755") || !fresh(home().c_str(), "0700"))
            why = "cannot mount over /tmp, /run or the home";
        else mounted = true;
    }

    static bool fresh(const char* where, const char* mode) {
        return mount("cw-single", where, "tmpfs", 0, ("size=4m,mode=" + std::string(mode)).c_str()) == 0;
    }

    void SetUp() override {
        if (!mounted) GTEST_SKIP() << why;
        std::error_code ignored;
        for (const char* top : {"/tmp", "/run"})
            for (const auto& entry : fs::directory_iterator(top, ignored)) fs::remove_all(entry.path(), ignored);
        for (const auto& entry : fs::directory_iterator(home(), ignored)) fs::remove_all(entry.path(), ignored);
        fs::create_directories("/run/user");
    }

    static std::string home() { return getpwuid(geteuid())->pw_dir; }
    static std::string byUid() { return "/run/user/" + std::to_string(geteuid()); }
    static std::string fallback() {
        char host[65] = {};
        gethostname(host, sizeof host - 1);
        return home() + "/.cache/cellwarden-" + host;
    }

    // A first and a later start with `env` meet: one lock, one socket in `dir`.
    static void expectTheyMeet(const std::vector<std::string>& env, const std::string& dir) {
        Start first("start", env);
        ASSERT_EQ(first.line(), "first");
        EXPECT_TRUE(isSocket(dir + "/cellwarden.socket")) << dir;
        Start later("start", env);
        EXPECT_EQ(later.line(), "second");
        EXPECT_EQ(later.line().substr(0, 9), "answered ");
        EXPECT_EQ(first.line(), "raised");
    }

    static constexpr uid_t kOtherUser = 4242;
};

// Another user's /tmp/cellwarden-<uid> once switched the lock off.
TEST_F(FallbackDir, WhatOtherUsersPlantInTmpChangesNothing) {
    ASSERT_EQ(mkdir(("/tmp/cellwarden-" + std::to_string(geteuid())).c_str(), 0777), 0);
    ASSERT_EQ(chown(("/tmp/cellwarden-" + std::to_string(geteuid())).c_str(), kOtherUser, kOtherUser), 0);
    expectTheyMeet({"XDG_RUNTIME_DIR"}, fallback());
}

TEST_F(FallbackDir, TheRuntimeDirectoryIsFoundByUserIdWhereTheEnvironmentNamesNoneOfTheUsers) {
    ASSERT_EQ(mkdir(byUid().c_str(), 0700), 0);
    fs::create_directory("/tmp/run-other");
    ASSERT_EQ(chown("/tmp/run-other", kOtherUser, kOtherUser), 0);
    fs::create_directory("/tmp/run-open");
    ASSERT_EQ(chmod("/tmp/run-open", 0777), 0);
    fs::create_directory("/tmp/run-target");
    fs::create_directory_symlink("/tmp/run-target", "/tmp/run-link");
    for (const char* runtime : {"", "/tmp/run-other", "/tmp/run-open", "/tmp/run-link"}) {
        SCOPED_TRACE(runtime);
        expectTheyMeet({*runtime ? std::string("XDG_RUNTIME_DIR=") + runtime : "XDG_RUNTIME_DIR"}, byUid());
    }
    for (const char* unused : {"/tmp/run-other", "/tmp/run-open", "/tmp/run-target"}) EXPECT_TRUE(fs::is_empty(unused));
}

TEST_F(FallbackDir, UnderTheHomeItIsMadeForTheUserAlone) {
    // Another user's /run/user/<uid> is not taken either.
    ASSERT_EQ(mkdir(byUid().c_str(), 0700), 0);
    ASSERT_EQ(chown(byUid().c_str(), kOtherUser, kOtherUser), 0);
    mode_t old = umask(0);  // the children's umask: no help from it
    expectTheyMeet({"XDG_RUNTIME_DIR"}, fallback());
    umask(old);
    EXPECT_TRUE(fs::is_empty(byUid()));
    EXPECT_EQ(fs::status(fallback()).permissions(), fs::perms::owner_all);
    struct stat info;
    ASSERT_EQ(lstat(fallback().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, geteuid());
}

// 119 bytes, as one desktop's: no socket fits under it, so the first
// could not listen and a later start showed nothing.
TEST_F(FallbackDir, ARuntimeDirectoryTooLongForASocketIsPassedOver) {
    const std::string runtime = "/tmp/" + std::string(114, 'r');
    ASSERT_EQ(runtime.size(), 119u);
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(byUid().c_str(), 0700), 0);
    expectTheyMeet({"XDG_RUNTIME_DIR=" + runtime}, byUid());
    fs::remove_all(byUid());
    expectTheyMeet({"XDG_RUNTIME_DIR=" + runtime}, fallback());
    EXPECT_TRUE(fs::is_empty(runtime));
}

TEST_F(FallbackDir, AnOwnDirectoryOthersCouldEnterIsClosed) {
    fs::create_directories(fallback());
    ASSERT_EQ(chmod(fallback().c_str(), 0777), 0);
    Start first("start", {"XDG_RUNTIME_DIR"});
    ASSERT_EQ(first.line(), "first");
    EXPECT_EQ(fs::status(fallback()).permissions(), fs::perms::owner_all);
}

TEST_F(FallbackDir, ASymlinkInItsPlaceIsNotFollowed) {
    fs::create_directory("/tmp/elsewhere");
    fs::create_directories(home() + "/.cache");
    fs::create_directory_symlink("/tmp/elsewhere", fallback());
    // Runs, without the lock: a planted name never keeps the program from starting.
    Start first("start", {"XDG_RUNTIME_DIR"});
    EXPECT_EQ(first.line(), "first");
    Start another("start", {"XDG_RUNTIME_DIR"});
    EXPECT_EQ(another.line(), "first");
    EXPECT_TRUE(fs::is_empty("/tmp/elsewhere"));
    EXPECT_TRUE(fs::is_symlink(fallback()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--role") == 0) {
        std::string role = argv[2];
        if (role == "start") return startRole(argc, argv, false, false);
        if (role == "start-program") return startRole(argc, argv, false, true);
        if (role == "hang") return startRole(argc, argv, true, false);
        if (role == "ask") return askRole(argc, argv);
        return 2;
    }
    // Programs a start leaves behind are re-parented here, not to PID 1
    // (which does not reap them), so a test can end them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
