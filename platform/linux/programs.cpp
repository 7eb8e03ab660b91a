// The programs of the event script, each run as a command line of /bin/sh
// in its entry's directory.
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_platform.h"

namespace {

// The shell's status for a command it could not find or not execute.
constexpr int kShellNotFound = 127;
constexpr int kShellNotExecutable = 126;
// Without a pidfd (kernels before 5.3) the wait polls.
constexpr int kPollMs = 100;

int endFd = -1;
void (*endHook)() = nullptr;

// The child's side, between fork and exec: only calls that are safe after
// forking a threaded process. The program starts in its directory (ours
// when that cannot be entered) with the signal state a fresh process has,
// not the monitor's.
[[noreturn]] void execShell(const char* commandLine, const char* directory) {
    if (directory && *directory) {
        // A missing directory leaves it in ours.
        [[maybe_unused]] int entered = chdir(directory);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    static const int kReset[] = {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP};
    for (int sig : kReset) sigaction(sig, &byDefault, nullptr);
    // Descriptors the front end left inheritable (its single-instance lock
    // above all) must not outlive the monitor in a program it started.
    close_range(3, ~0u, CLOSE_RANGE_CLOEXEC);
    const char* argv[] = {"sh", "-c", commandLine, nullptr};
    execv("/bin/sh", const_cast<char* const*>(argv));
    _exit(kShellNotFound);
}

pid_t waitFor(pid_t pid, int* status) {
    pid_t done;
    do done = waitpid(pid, status, 0);
    while (done < 0 && errno == EINTR);
    return done;
}

// Whether `program` has ended; false while it runs.
bool hasEnded(pid_t program, int* status) {
    pid_t done;
    do done = waitpid(program, status, WNOHANG);
    while (done < 0 && errno == EINTR);
    // Someone else reaped it (SIGCHLD ignored): it has ended all the same.
    if (done < 0) *status = 0;
    return done != 0;
}

// Until `program` ends (true, its status in *status) or the end of the
// session is asked for (false, after the front end's steps; the program
// runs on). A pidfd ends the wait the moment the program ends.
bool waitForProgramOrEnd(pid_t program, int* status) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, program, 0));
    bool watchEnd = endFd >= 0, ended = false;
    for (;;) {
        pollfd watched[2];
        nfds_t count = 0;
        if (pidfd >= 0) watched[count++] = pollfd{pidfd, POLLIN, 0};
        const nfds_t endSlot = count;
        if (watchEnd) watched[count++] = pollfd{endFd, POLLIN, 0};
        int ready = poll(watched, count, pidfd >= 0 ? -1 : kPollMs);
        if (ready < 0 && errno != EINTR) usleep(kPollMs * 1000);
        if (ready > 0 && watchEnd) {
            const short seen = watched[endSlot].revents;
            if (seen & (POLLIN | POLLHUP)) break;
            if (seen & POLLNVAL) watchEnd = false;  // closed under us: only the program is left
        }
        if (hasEnded(program, status)) {
            ended = true;
            break;
        }
    }
    if (pidfd >= 0) close(pidfd);
    if (!ended && endHook) endHook();
    return ended;
}

}  // namespace

void linuxWatchEndOfSession(int fd, void (*onEnd)()) {
    endFd = fd;
    endHook = onEnd;
}

void platformLaunchProgram(const char* commandLine, const char* directory) {
    if (!commandLine) return;
    // Twice forked: the program belongs to init (or the session's reaper)
    // at once, so no zombie is left and no SIGCHLD handling is needed.
    pid_t middle = fork();
    if (middle < 0) return;
    if (middle == 0) {
        setsid();
        pid_t program = fork();
        if (program == 0) {
            int null = open("/dev/null", O_RDONLY);
            if (null >= 0 && null != STDIN_FILENO) {
                dup2(null, STDIN_FILENO);
                close(null);
            }
            execShell(commandLine, directory);
        }
        _exit(program < 0 ? 1 : 0);
    }
    int status;
    waitFor(middle, &status);
}

bool platformRunProgramAndWait(const char* commandLine, const char* directory) {
    if (!commandLine) return false;
    pid_t program = fork();
    if (program < 0) return false;
    if (program == 0) execShell(commandLine, directory);
    int status = 0;
    if (!waitForProgramOrEnd(program, &status)) return true;
    // The shell's word for "no such program": it was never started.
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        if (code == kShellNotFound || code == kShellNotExecutable) return false;
    }
    return true;
}
