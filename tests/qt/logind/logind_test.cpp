// The logind watch against python3-dbusmock's logind template on a system
// bus of our own: a dbus-daemon with a config file that allows everything,
// listening in a temporary directory, that DBUS_SYSTEM_BUS_ADDRESS points
// to. The test drives the mock (EmitSignal, ListInhibitors) through a
// connection of its own. Each test starts and stops its own bus and mock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "spin_until.h"
#include "ui/qt/logind.h"

namespace {

const char kLogind[] = "org.freedesktop.login1";
const char kPath[] = "/org/freedesktop/login1";
const char kManager[] = "org.freedesktop.login1.Manager";
const char kDriver[] = "logind-test-driver";

// ------------------------------------------------------------------ hooks

int suspendCount, resumeCount, shutdownCount;
bool lockHeldWhileSuspending, lockHeldWhileShuttingDown;

void onSuspending() {
    ++suspendCount;
    lockHeldWhileSuspending = logindLockHeld();
}
void onResumed() { ++resumeCount; }
void onShuttingDown() {
    ++shutdownCount;
    lockHeldWhileShuttingDown = logindLockHeld();
}

const LogindHooks kHooks = {onSuspending, onResumed, onShuttingDown};

// -------------------------------------------------------------- processes

bool runsQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The first Python that has python3-dbusmock: Debian's, whatever python3
// comes first on the PATH.
std::string pythonWith(const char* module) {
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (runsQuietly(std::string(python) + " -c 'import " + module + "'")) return python;
    return std::string();
}

// Where a program is, as the shell would find it; empty when nowhere.
std::string programPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = (end > start ? dirs.substr(start, end - start) : ".") + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

// Starts a program; its standard output and error go to logPath, extraFd
// (when not -1) becomes its descriptor 3. It is killed when this process
// ends, even by a crash or ctest's timeout, so that no bus outlives a test.
pid_t spawn(const std::vector<std::string>& args, const std::string& logPath, int extraFd = -1) {
    const std::string program = programPath(args[0]);
    if (program.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(log, 1);
        dup2(log, 2);
        if (extraFd == 3) fcntl(3, F_SETFD, 0);
        else if (extraFd >= 0) dup2(extraFd, 3);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(log);
    return pid;
}

// SIGTERM, then SIGKILL when it has not gone within two seconds.
void end(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// ----------------------------------------------------------- private bus

class PrivateBus {
public:
    ~PrivateBus() { stop(); }

    // The bus alone; false with why() when it cannot be had.
    bool start() {
        char pattern[] = "/tmp/cw-logind-XXXXXX";
        if (!mkdtemp(pattern)) return fail("no temporary directory");
        dir_ = pattern;
        const std::string config = dir_ + "/system.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig>\n"
                                 "  <type>system</type>\n"
                                 "  <listen>unix:path="
                              << dir_
                              << "/system_bus_socket</listen>\n"
                                 "  <auth>EXTERNAL</auth>\n"
                                 "  <policy context=\"default\">\n"
                                 "    <allow user=\"*\"/>\n"
                                 "    <allow own=\"*\"/>\n"
                                 "    <allow send_type=\"method_call\"/>\n"
                                 "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                 "    <allow receive_sender=\"*\"/>\n"
                                 "    <allow eavesdrop=\"true\"/>\n"
                                 "  </policy>\n"
                                 "</busconfig>\n";
        int address[2];
        if (pipe2(address, O_CLOEXEC) != 0) return fail("no pipe");
        // Descriptor 3 in the daemon: it writes its address there once it listens.
        daemon_ = spawn({"dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=3"}, log("dbus-daemon"),
                        address[1]);
        close(address[1]);
        std::string line;
        pollfd ready = {address[0], POLLIN, 0};
        char c;
        while (poll(&ready, 1, 20000) == 1 && read(address[0], &c, 1) == 1 && c != '\n') line += c;
        close(address[0]);
        if (daemon_ < 0 || line.empty()) return fail("dbus-daemon did not start");
        address_ = line;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
        QDBusConnection driver = QDBusConnection::connectToBus(QString::fromStdString(address_), QString::fromLatin1(kDriver));
        if (!driver.isConnected()) return fail("cannot connect to the private bus");
        return true;
    }

    // python3-dbusmock's logind on it, once it owns its name.
    bool startMock(const std::string& python) {
        mock_ = spawn({python, "-m", "dbusmock", "--system", "--template", "logind"}, log("dbusmock"));
        if (mock_ < 0 || !spinUntil([this] { return hasOwner(kLogind); }, 30000)) return fail("the logind mock did not start");
        return true;
    }

    // A program that owns logind's name and never answers.
    bool startMute(const std::string& python) {
        mock_ = spawn({python, "-c",
                       "import dbus, time\n"
                       "bus = dbus.SystemBus()\n"
                       "bus.request_name('org.freedesktop.login1')\n"
                       "time.sleep(60)\n"},
                      log("mute"));
        if (mock_ < 0 || !spinUntil([this] { return hasOwner(kLogind); }, 30000)) return fail("the mute logind did not start");
        return true;
    }

    void stopMock() { end(mock_); }

    void stop() {
        QDBusConnection::disconnectFromBus(QString::fromLatin1(kDriver));
        end(mock_);
        end(daemon_);
        if (!dir_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
            dir_.clear();
        }
    }

    const std::string& why() const { return why_; }
    const std::string& dir() const { return dir_; }

    bool hasOwner(const char* name) const {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        call << QString::fromLatin1(name);
        const QDBusMessage reply = driver().call(call, QDBus::Block, 10000);
        return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
    }

    // Through the mock: logind sends PrepareForSleep or PrepareForShutdown.
    bool emitSignal(const char* name, bool start) const {
        QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kLogind), QString::fromLatin1(kPath),
                                                           QStringLiteral("org.freedesktop.DBus.Mock"),
                                                           QStringLiteral("EmitSignal"));
        call << QString::fromLatin1(kManager) << QString::fromLatin1(name) << QStringLiteral("b")
             << QVariantList{QVariant(start)};
        return driver().call(call, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
    }

    struct Inhibitor {
        std::string what, who, why, mode;
    };

    // The mock's list of locks; one with who "?" when it did not answer.
    std::vector<Inhibitor> inhibitors() const {
        QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kLogind), QString::fromLatin1(kPath),
                                                           QString::fromLatin1(kManager), QStringLiteral("ListInhibitors"));
        const QDBusMessage reply = driver().call(call, QDBus::Block, 10000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return {{"?", "?", "?", "?"}};
        std::vector<Inhibitor> list;
        const QDBusArgument array = reply.arguments().at(0).value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            QString what, who, why, mode;
            uint uid = 0, pid = 0;
            array.beginStructure();
            array >> what >> who >> why >> mode >> uid >> pid;
            array.endStructure();
            list.push_back({what.toStdString(), who.toStdString(), why.toStdString(), mode.toStdString()});
        }
        array.endArray();
        return list;
    }

    size_t inhibitorCount() const { return inhibitors().size(); }

private:
    static QDBusConnection driver() { return QDBusConnection(QString::fromLatin1(kDriver)); }
    std::string log(const char* name) const { return dir_ + "/" + name + ".log"; }
    bool fail(const std::string& why) {
        why_ = why;
        return false;
    }

    std::string dir_, address_, why_;
    pid_t daemon_ = -1, mock_ = -1;
};

bool haveDaemon() { return !programPath("dbus-daemon").empty(); }

size_t lines(const std::string& text) {
    size_t count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

void resetHooks() {
    suspendCount = resumeCount = shutdownCount = 0;
    lockHeldWhileSuspending = lockHeldWhileShuttingDown = false;
}

// ------------------------------------------------------------- the tests

// A bus with the mock logind on it, and the watch started.
class Logind : public testing::Test {
protected:
    void SetUp() override {
        resetHooks();
        if (!haveDaemon()) GTEST_SKIP() << "no dbus-daemon (Debian's dbus-daemon)";
        python = pythonWith("dbusmock");
        if (python.empty()) GTEST_SKIP() << "no python3-dbusmock";
        ASSERT_TRUE(bus.start()) << bus.why();
        ASSERT_TRUE(bus.startMock(python)) << bus.why();
        ASSERT_TRUE(startLogindWatch(kHooks));
    }

    void TearDown() override {
        stopLogindWatch();
        bus.stop();
    }

    // Waits until the mock lists this many locks.
    bool mockLocks(size_t count) {
        return spinUntil([&] { return bus.inhibitorCount() == count; });
    }

    PrivateBus bus;
    std::string python;
};

TEST_F(Logind, TakesADelayLockAtStart) {
    EXPECT_TRUE(logindLockHeld());
    const std::vector<PrivateBus::Inhibitor> locks = bus.inhibitors();
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0].what, "sleep:shutdown");
    EXPECT_EQ(locks[0].who, "Cellwarden");
    EXPECT_EQ(locks[0].mode, "delay");
    EXPECT_NE(locks[0].why.find("電池"), std::string::npos) << locks[0].why;
}

TEST_F(Logind, SleepRunsTheSuspendStepsThenReleasesTheLock) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 1; }));
    EXPECT_TRUE(lockHeldWhileSuspending);
    EXPECT_FALSE(logindLockHeld());
    EXPECT_TRUE(mockLocks(0));
    EXPECT_EQ(resumeCount, 0);
    EXPECT_EQ(shutdownCount, 0);
}

TEST_F(Logind, WakingRunsTheResumeStepsAndTakesTheLockAgain) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 1; }));
    ASSERT_TRUE(mockLocks(0));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", false));
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    EXPECT_TRUE(logindLockHeld());
    EXPECT_TRUE(mockLocks(1));
    // And the next sleep goes the same way.
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 2; }));
    EXPECT_TRUE(lockHeldWhileSuspending);
    EXPECT_TRUE(mockLocks(0));
}

TEST_F(Logind, ARepeatedSleepRunsTheSuspendStepsOnce) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", false));
    // Signals come in order: once resumed has run, both sleeps were seen.
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    EXPECT_EQ(suspendCount, 1);
    EXPECT_TRUE(logindLockHeld());
    EXPECT_TRUE(mockLocks(1));
}

TEST_F(Logind, AWakeWithoutASleepStillRunsTheResumeStepsAndKeepsOneLock) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", false));
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    EXPECT_EQ(suspendCount, 0);
    EXPECT_TRUE(logindLockHeld());
    EXPECT_TRUE(mockLocks(1));
}

TEST_F(Logind, ShutdownRunsTheEndStepsThenReleasesTheLock) {
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", true));
    ASSERT_TRUE(spinUntil([] { return shutdownCount == 1; }));
    EXPECT_TRUE(lockHeldWhileShuttingDown);
    EXPECT_FALSE(logindLockHeld());
    EXPECT_TRUE(mockLocks(0));
    // Said twice, the steps still run once.
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", true));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", false));
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    EXPECT_EQ(shutdownCount, 1);
    EXPECT_EQ(suspendCount, 0);
}

TEST_F(Logind, ACancelledShutdownTakesTheLockAgain) {
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", true));
    ASSERT_TRUE(spinUntil([] { return shutdownCount == 1; }));
    ASSERT_TRUE(mockLocks(0));
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", false));
    ASSERT_TRUE(spinUntil([] { return logindLockHeld(); }));
    EXPECT_TRUE(mockLocks(1));
    EXPECT_EQ(resumeCount, 0);
}

TEST_F(Logind, StopReleasesTheLockAndStopsListening) {
    stopLogindWatch();
    EXPECT_FALSE(logindLockHeld());
    EXPECT_TRUE(mockLocks(0));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", true));
    // Nothing may come: give the signals time to arrive.
    spinUntil([] { return false; }, 300);
    EXPECT_EQ(suspendCount, 0);
    EXPECT_EQ(shutdownCount, 0);
    // A new start works on a fresh connection.
    ASSERT_TRUE(startLogindWatch(kHooks));
    EXPECT_TRUE(logindLockHeld());
    EXPECT_TRUE(mockLocks(1));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 1; }));
}

TEST_F(Logind, NullHooksAreSkipped) {
    stopLogindWatch();
    ASSERT_TRUE(startLogindWatch(LogindHooks{nullptr, nullptr, nullptr}));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(mockLocks(0));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", false));
    ASSERT_TRUE(mockLocks(1));
    EXPECT_TRUE(logindLockHeld());
}

// No PrepareForSleep(false) comes from a logind that went away: that is
// the resume, and a logind that comes back gives the lock for the next sleep.
TEST_F(Logind, LogindGoneWhileAsleepIsTheResumeAndBackItGivesTheLockAgain) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 1; }));
    bus.stopMock();
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    ASSERT_TRUE(bus.startMock(python)) << bus.why();
    ASSERT_TRUE(spinUntil([] { return logindLockHeld(); }));
    EXPECT_TRUE(mockLocks(1));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 2; }));
    EXPECT_TRUE(lockHeldWhileSuspending);
    EXPECT_EQ(resumeCount, 1);
}

TEST_F(Logind, TheBusClosingWhileAsleepIsTheResumeAndANewBusIsWatched) {
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 1; }));
    bus.stop();
    ASSERT_TRUE(spinUntil([] { return resumeCount == 1; }));
    EXPECT_FALSE(logindLockHeld());
    ASSERT_TRUE(bus.start()) << bus.why();
    ASSERT_TRUE(bus.startMock(python)) << bus.why();
    ASSERT_TRUE(spinUntil([] { return logindLockHeld(); }, 10000));
    EXPECT_TRUE(mockLocks(1));
    ASSERT_TRUE(bus.emitSignal("PrepareForSleep", true));
    ASSERT_TRUE(spinUntil([] { return suspendCount == 2; }));
}

// A stop from inside a hook, as the shutdown path may do.
void stopFromHook() {
    ++shutdownCount;
    stopLogindWatch();
}

TEST_F(Logind, AStopFromInsideAHookIsSafe) {
    ASSERT_TRUE(startLogindWatch(LogindHooks{onSuspending, onResumed, stopFromHook}));
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", true));
    ASSERT_TRUE(spinUntil([] { return shutdownCount == 1; }));
    EXPECT_FALSE(logindLockHeld());
    EXPECT_TRUE(mockLocks(0));
    ASSERT_TRUE(bus.emitSignal("PrepareForShutdown", false));
    spinUntil([] { return false; }, 300);
    EXPECT_FALSE(logindLockHeld());
}

// Start-up without logind: false and one line on standard error.
class NoLogind : public testing::Test {
protected:
    void SetUp() override { resetHooks(); }
    void TearDown() override {
        stopLogindWatch();
        bus.stop();
    }

    // Starts the watch with standard error caught; its lines and the time it took.
    bool startCaught(std::string& said, double& seconds) {
        const auto began = std::chrono::steady_clock::now();
        testing::internal::CaptureStderr();
        const bool started = startLogindWatch(kHooks);
        said = testing::internal::GetCapturedStderr();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::cout << "  said after " << seconds << " s: " << said;
        return started;
    }

    PrivateBus bus;
};

TEST_F(NoLogind, NoSystemBusIsFalseWithOneLine) {
    char pattern[] = "/tmp/cw-nobus-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const std::string dir = pattern;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir + "/no_socket").c_str(), 1);
    std::string said;
    double seconds = 0;
    EXPECT_FALSE(startCaught(said, seconds));
    rmdir(dir.c_str());
    EXPECT_EQ(lines(said), 1u) << said;
    EXPECT_NE(said.find("system bus"), std::string::npos) << said;
    EXPECT_FALSE(logindLockHeld());
    // Asked again, it says so again (once for each start) and still does not crash.
    EXPECT_FALSE(startCaught(said, seconds));
    EXPECT_EQ(lines(said), 1u) << said;
    stopLogindWatch();
}

TEST_F(NoLogind, ASystemBusThatNeverAnswersIsFalseWithinAFewSeconds) {
    // A socket that takes connections (the kernel does, up to its backlog)
    // and never says a word: a hung dbus-daemon.
    char pattern[] = "/tmp/cw-mute-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const std::string dir = pattern, path = dir + "/system_bus_socket";
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un where = {};
    where.sun_family = AF_UNIX;
    strncpy(where.sun_path, path.c_str(), sizeof where.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + path).c_str(), 1);
    std::string said;
    double seconds = 0;
    EXPECT_FALSE(startCaught(said, seconds));
    close(fd);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    EXPECT_EQ(lines(said), 1u) << said;
    EXPECT_NE(said.find("system bus"), std::string::npos) << said;
    EXPECT_LT(seconds, 5.0);
    EXPECT_FALSE(logindLockHeld());
}

TEST_F(NoLogind, ABusWithoutLogindIsFalseWithOneLine) {
    if (!haveDaemon()) GTEST_SKIP() << "no dbus-daemon (Debian's dbus-daemon)";
    ASSERT_TRUE(bus.start()) << bus.why();
    std::string said;
    double seconds = 0;
    EXPECT_FALSE(startCaught(said, seconds));
    EXPECT_EQ(lines(said), 1u) << said;
    EXPECT_NE(said.find("logind"), std::string::npos) << said;
    EXPECT_LT(seconds, 2.0);
    EXPECT_FALSE(logindLockHeld());
}

TEST_F(NoLogind, ALogindThatNeverAnswersIsFalseWithinAFewSeconds) {
    if (!haveDaemon()) GTEST_SKIP() << "no dbus-daemon (Debian's dbus-daemon)";
    const std::string python = pythonWith("dbus");
    if (python.empty()) GTEST_SKIP() << "no python3-dbus";
    ASSERT_TRUE(bus.start()) << bus.why();
    ASSERT_TRUE(bus.startMute(python)) << bus.why();
    std::string said;
    double seconds = 0;
    EXPECT_FALSE(startCaught(said, seconds));
    EXPECT_EQ(lines(said), 1u) << said;
    EXPECT_LT(seconds, 5.0);
    EXPECT_FALSE(logindLockHeld());
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
