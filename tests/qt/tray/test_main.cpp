// The tests' desktop, made once per process, and the children's roles.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "child_process.h"
#include "status_notifier_watcher.h"
#include "test_desktop.h"
#include "ui/qt/tray.h"

namespace {

struct Desktop {
    std::string dir;
    ChildProcess bus;
    ChildProcess xserver;
    QString busAddress;
    QString display;
    QString whyNoTray;
    std::unique_ptr<WatcherThread> watcherThread;
    std::unique_ptr<QApplication> app;
};
Desktop* desktop;

int appArgc = 1;
char appName[] = "qt_tray_tests";
char* appArgv[] = {appName, nullptr};

const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// Whatever the machine's desktop is, Qt here sees none but ours.
void leaveTheUsersDesktop() {
    for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE"})
        unsetenv(name);
}

class DesktopEnvironment : public testing::Environment {
public:
    void SetUp() override {
        desktop = new Desktop;
        char pattern[] = "/tmp/cw-tray-XXXXXX";
        if (!mkdtemp(pattern)) {
            fprintf(stderr, "cannot make a directory in /tmp\n");
            abort();
        }
        desktop->dir = pattern;
        leaveTheUsersDesktop();
        setenv("XDG_RUNTIME_DIR", desktop->dir.c_str(), 1);
        startBus();
        startXServer();
        setenv("DBUS_SESSION_BUS_ADDRESS",
               desktop->busAddress.isEmpty() ? "unix:path=/nonexistent/bus" : qPrintable(desktop->busAddress), 1);
        if (!desktop->display.isEmpty()) {
            setenv("DISPLAY", qPrintable(desktop->display), 1);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        } else {
            unsetenv("DISPLAY");
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        desktop->app = std::make_unique<QApplication>(appArgc, appArgv);
        // The watcher is on the bus before Qt first looks for a tray.
        if (!desktop->busAddress.isEmpty()) {
            desktop->watcherThread = std::make_unique<WatcherThread>(desktop->busAddress);
            if (!desktop->watcherThread->startOnBus()) desktop->whyNoTray = "the test watcher could not go on the bus";
        }
    }

    void TearDown() override {
        trayDelete();
        if (desktop->watcherThread) desktop->watcherThread->stop();
        desktop->watcherThread.reset();
        desktop->app.reset();
        desktop->xserver.stop(SIGTERM);
        desktop->bus.stop(SIGTERM);
        std::error_code ignored;
        std::filesystem::remove_all(desktop->dir, ignored);
    }

private:
    // Starts a child and returns the first line it reports; one that says
    // nothing in time (a loaded machine) is ended and started once more.
    static std::string startReporting(ChildProcess& child, const std::vector<std::string>& args,
                                      const ChildProcess::Options& options, const char* what) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (attempt > 0) fprintf(stderr, "retrying: %s did not start within 30 s\n", what);
            child.start(args, options);
            std::string line = child.line(30000);
            if (!line.empty()) return line;
        }
        return "";
    }

    static void startBus() {
        if (ChildProcess::findProgram("dbus-daemon").empty()) {
            desktop->whyNoTray = "no dbus-daemon (Debian: dbus-daemon)";
            return;
        }
        std::string config = desktop->dir + "/bus.conf";
        FILE* file = fopen(config.c_str(), "w");
        if (!file) return;
        fprintf(file, kBusConfig, desktop->dir.c_str());
        fclose(file);
        ChildProcess::Options options;
        options.reportFd = 3;
        options.quiet = true;  // its complaints about limits it may not raise
        desktop->busAddress = QString::fromStdString(
            startReporting(desktop->bus, {"dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=3"},
                           options, "dbus-daemon"));
        if (desktop->busAddress.isEmpty()) desktop->whyNoTray = "dbus-daemon did not start";
    }

    static void startXServer() {
        QString xcb = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqxcb.so");
        if (ChildProcess::findProgram("Xvfb").empty()) {
            if (desktop->whyNoTray.isEmpty()) desktop->whyNoTray = "no Xvfb (Debian: xvfb)";
            return;
        }
        if (!QFile::exists(xcb)) {
            if (desktop->whyNoTray.isEmpty()) desktop->whyNoTray = "no Qt xcb platform (Debian: qt6-qpa-plugins)";
            return;
        }
        // -displayfd: the server takes a free display number and says which.
        ChildProcess::Options options;
        options.reportFd = 3;
        options.quiet = true;
        std::string number = startReporting(
            desktop->xserver, {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x24"}, options,
            "Xvfb");
        if (number.empty()) {
            if (desktop->whyNoTray.isEmpty()) desktop->whyNoTray = "Xvfb did not start";
            return;
        }
        desktop->display = QStringLiteral(":") + QString::fromStdString(number);
    }
};

// ----- a child holding a tray icon, driven line by line on its standard
// input: "add ID TIP", "add-when-tray ID TIP" (tries for 25 seconds),
// "window" (the XEmbed icon's window now), "delete", "quit"; it prints
// what happened and each click.

void say(const QByteArray& text) {
    printf("%s\n", text.constData());
    fflush(stdout);
}

// The XEmbed icon's own window: the tray's top-level widget.
QByteArray trayWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return QByteArray::number(static_cast<qulonglong>(widget->winId()));
    return "none";
}

void command(const QByteArray& line) {
    QList<QByteArray> words = line.trimmed().split(' ');
    QByteArray verb = words.value(0);
    if (verb == "add" || verb == "add-when-tray") {
        int id = words.value(1).toInt();
        QByteArray tip = line.trimmed().mid(verb.size() + words.value(1).size() + 2);
        bool added = trayAdd(id, tip.constData());
        for (int tries = 0; !added && verb == "add-when-tray" && tries < 250; ++tries) {
            QThread::msleep(100);
            QApplication::processEvents();
            added = trayAdd(id, tip.constData());
        }
        say(added ? "added" : "not added");
    } else if (verb == "window") {
        say("window " + trayWindow());
    } else if (verb == "delete") {
        trayDelete();
        say("deleted");
    } else if (verb == "quit") {
        QApplication::quit();
    }
}

int trayChild(int argc, char** argv) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    QApplication app(argc, argv);
    traySetHooks({[] { say("left"); }, [] { say("right"); }, [] { say("came"); }});
    QSocketNotifier input(0, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[256];
        ssize_t got = read(0, chunk, sizeof chunk);
        if (got <= 0) {
            QApplication::quit();
            return;
        }
        pending.append(chunk, got);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            command(line);
        }
    });
    say("ready");
    return app.exec();
}

}  // namespace

namespace testDesktop {
QString whyNoTray() {
    return desktop->whyNoTray;
}
QString busAddress() {
    return desktop->busAddress;
}
QString display() {
    return desktop->display;
}
StatusNotifierWatcher* watcher() {
    return desktop->watcherThread ? desktop->watcherThread->watcher() : nullptr;
}
}  // namespace testDesktop

int runChildRole(const char* role, int argc, char** argv) {
    if (strcmp(role, "tray") == 0) return trayChild(argc, argv);
    return 2;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--role") == 0) return runChildRole(argv[2], argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new DesktopEnvironment);
    return RUN_ALL_TESTS();
}
