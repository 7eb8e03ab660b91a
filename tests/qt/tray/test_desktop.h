// What the tests run on: a private session bus of their own with a
// StatusNotifierWatcher on it, a private X server, and the QApplication
// on that display. Made once per test process; each piece may be missing
// (no dbus-daemon, no Xvfb), and the tests that need it skip.
#pragma once

#include <QString>

class StatusNotifierWatcher;

namespace testDesktop {

// Why the tray cannot be tested here; empty when it can.
QString whyNoTray();

QString busAddress();  // the private bus, or empty
QString display();     // ":N", or empty (then Qt runs offscreen)
StatusNotifierWatcher* watcher();

}  // namespace testDesktop

// The roles of the test program's children; the exit code.
int runChildRole(const char* role, int argc, char** argv);
