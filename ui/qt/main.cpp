// The program's entry on Linux: one instance per user, the front end's
// hooks, logind's suspend and shutdown, then the program.
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/power_broadcast.h"
#include "dialogs/main_dialog.h"
#include "dialogs/program.h"
#include "settings/settings.h"
#include "ui/qt/front_end_qt.h"
#include "ui/qt/logind.h"
#include "ui/qt/single_instance.h"

namespace {

int signalPipe[2] = {-1, -1};

// A user who starts the program again expects to see it, also when it
// was minimised or hidden.
void raiseMainWindow() { showMainWindowAgain(); }

// The closing steps once, then the process ends: the session or the
// machine is going away.
[[noreturn]] void endOfSession() {
    static bool ended = false;
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
    if (pipe(signalPipe) != 0) return;
    static QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { endOfSession(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

// The command line as the core reads it: the program's own path first,
// quoted, then the arguments.
std::string commandLine(int argc, char** argv) {
    std::string line = "\"" + QCoreApplication::applicationFilePath().toStdString() + "\"";
    for (int i = 1; i < argc; ++i) {
        line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    initSettingsRecords();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (!becomeFirstInstance(raiseMainWindow)) {
        askFirstToRaise();
        return 0;
    }
    connectQtFrontEnd();
    watchEndSignals();
    startLogindWatch(LogindHooks{suspending, resumed, endOfSession});
    const std::string line = commandLine(argc, argv);
    return runProgram(line.c_str());
}
