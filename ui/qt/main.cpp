// The program's entry on Linux: the options that need no display, its
// folders, one instance per user and folder, the front end's share of
// start-up, logind's suspend and shutdown, then the program.
#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <linux/limits.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/power_broadcast.h"
#include "dialogs/main_dialog.h"
#include "dialogs/program.h"
#include "platform/linux/linux_platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/qt/front_end_qt.h"
#include "ui/qt/logind.h"
#include "ui/qt/options.h"
#include "ui/qt/single_instance.h"

namespace {

int signalPipe[2] = {-1, -1};

// A user who starts the program again expects to see it, also when it
// was minimised or hidden.
void raiseMainWindow() { showMainWindowAgain(); }

// The closing steps once, then the process ends: the session or the
// machine is going away. Also from inside the wait for an event program:
// the pipe is read empty first, so that the waits of [STOP] and [END] run
// until a further signal.
[[noreturn]] void endOfSession() {
    static bool ended = false;
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (!ended) {
        ended = true;
        onEndSession(1);
    }
    fflush(nullptr);
    _exit(0);
}

void suspending() { onPowerBroadcast(kPbtSuspend); }
void resumed() { onPowerBroadcast(kPbtResumeSuspend); }

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
}

// SIGTERM (logout, kill), SIGHUP and SIGINT end the program as the end of
// a Windows session does: settings saved, log closed, [STOP] and [END] run.
void watchEndSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    static QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { endOfSession(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
    linuxWatchEndOfSession(signalPipe[0], endOfSession);
}

// The command line as the core reads it: the program's own path first,
// quoted, then the arguments.
std::string commandLine(const char* programPath, int argc, char** argv) {
    std::string line = std::string("\"") + programPath + "\"";
    for (int i = 1; i < argc; ++i) {
        line += ' ';
        line += argv[i];
    }
    return line;
}

bool settingsUnwritableSaid;

// The program's folder from /proc/self/exe as it is, and the folder of its
// files (beside it, or the user's configuration folder when installed),
// which the monitor works in: a relative log file name lies there. Empty
// when they cannot be had; said on standard error.
std::string settleFolders(int argc, char** argv) {
    char program[PATH_MAX], files[PATH_MAX];
    if (!linuxProgramPath(program, sizeof program)) {
        std::fprintf(stderr, "celwrd: cannot tell where this program is (/proc/self/exe)\n");
        return std::string();
    }
    const char* slash = std::strrchr(program, '/');
    const std::string folder(program, slash ? static_cast<size_t>(slash - program + 1) : 0);
    const bool made = linuxFilesFolder(folder.c_str(), files, sizeof files);
    const int why = errno;
    if (!files[0]) {
        std::fprintf(stderr, "celwrd: no folder for the settings: %s\n", std::strerror(why));
        return std::string();
    }
    // Another user's (their $XDG_CONFIG_HOME kept by su): our files there
    // would be theirs to lose, or take theirs from them.
    if (!made && why == EPERM) {
        std::fprintf(stderr, "celwrd: %s is another user's, or would be made in a folder of another user's\n", files);
        return std::string();
    }
    if (!made) {
        std::fprintf(stderr, "celwrd: cannot make %s (%s); changed settings are not kept\n", files,
                     std::strerror(why));
        settingsUnwritableSaid = true;
    }
    const std::string line = commandLine(program, argc, argv);
    if (!setProgramFolders(folder.c_str(), files) || !parseCommandLine(line.c_str())) {
        std::fprintf(stderr, "celwrd: the path of the program or of its files is too long: %s\n", files);
        return std::string();
    }
    if (made && chdir(files) != 0) std::fprintf(stderr, "celwrd: cannot work in %s: %s\n", files, std::strerror(errno));
    return line;
}

// Once, at start: a user whose changes would be lost at the end is told.
void sayIfSettingsCannotBeSaved() {
    if (settingsUnwritableSaid) return;
    char path[kPathSize];
    settingsFilePath(path);
    int why = 0;
    if (faccessat(AT_FDCWD, filesDirectory, W_OK | X_OK, AT_EACCESS) != 0) why = errno;
    else if (faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && errno != ENOENT) why = errno;
    if (why == 0) return;
    std::fprintf(stderr, "celwrd: cannot write the settings file %s (%s); changed settings are not kept\n", path,
                 std::strerror(why));
}

}  // namespace

int main(int argc, char** argv) {
    const int optionsDone = handleStandaloneOptions(argc, argv);
    if (optionsDone >= 0) return optionsDone;
    initSettingsRecords();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::string line = settleFolders(argc, argv);
    if (line.empty()) return 1;
    // One program per folder and per user; a later start only raises the first.
    if (!holdFolderLock(filesDirectory) || !becomeFirstInstance(raiseMainWindow)) {
        if (askFirstToRaise()) return 0;
        std::fprintf(stderr, "celwrd: Cellwarden already runs (for this user or on %s) but could not be asked to show "
                     "its window\n", filesDirectory);
        return 1;
    }
    sayIfSettingsCannotBeSaved();
    connectQtFrontEnd();
    watchEndSignals();
    startLogindWatch(LogindHooks{suspending, resumed, endOfSession});
    return runProgram(line.c_str());
}
