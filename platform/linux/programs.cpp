// The current directory and the programs of the event script, each run as
// a command line of /bin/sh in the current directory.
#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace {

// The shell's status for a command it could not find or not execute.
constexpr int kShellNotFound = 127;
constexpr int kShellNotExecutable = 126;

// The child's side, between fork and exec: only calls that are safe after
// forking a threaded process. The program starts with the signal state a
// fresh process has, not the monitor's.
[[noreturn]] void execShell(const char* const* argv) {
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
    execv("/bin/sh", const_cast<char* const*>(argv));
    _exit(kShellNotFound);
}

pid_t waitFor(pid_t pid, int* status) {
    pid_t done;
    do done = waitpid(pid, status, 0);
    while (done < 0 && errno == EINTR);
    return done;
}

}  // namespace

bool platformGetCurrentDirectory(char* out, size_t size) {
    if (!out || size == 0) return false;
    // A directory cut short is another directory: restoring it would be wrong.
    if (!getcwd(out, size)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool platformSetCurrentDirectory(const char* dir) { return dir && *dir && chdir(dir) == 0; }

void platformLaunchProgram(const char* commandLine) {
    if (!commandLine) return;
    const char* argv[] = {"sh", "-c", commandLine, nullptr};
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
            execShell(argv);
        }
        _exit(program < 0 ? 1 : 0);
    }
    int status;
    waitFor(middle, &status);
}

bool platformRunProgramAndWait(const char* commandLine) {
    if (!commandLine) return false;
    const char* argv[] = {"sh", "-c", commandLine, nullptr};
    pid_t program = fork();
    if (program < 0) return false;
    if (program == 0) execShell(argv);
    // Blocking in waitpid ends the wait the moment the program ends, which
    // polling would only approach.
    int status = 0;
    if (waitFor(program, &status) != program) {
        // Someone else reaped it (SIGCHLD ignored): it has ended all the same.
        return true;
    }
    // The shell's word for "no such program": it was never started.
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        if (code == kShellNotFound || code == kShellNotExecutable) return false;
    }
    return true;
}
