// The title as a window manager sees it: this test is the window manager,
// on a connection of its own to a private X server.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "child_process.h"
#include "spin_until.h"
#include "ui/qt/x11_title.h"

namespace {

ChildProcess xserver;
std::unique_ptr<QApplication> app;
xcb_connection_t* wm;

xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(wm, xcb_intern_atom(wm, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    xcb_atom_t got = reply ? reply->atom : 0;
    free(reply);
    return got;
}

std::string property(xcb_window_t window, const char* name) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(wm, xcb_get_property(wm, 0, window, atom(name), XCB_ATOM_ANY, 0, 1024), nullptr);
    std::string value = reply ? std::string(static_cast<const char*>(xcb_get_property_value(reply)),
                                            static_cast<size_t>(xcb_get_property_value_length(reply)))
                              : "";
    free(reply);
    return value;
}

void setProperty(xcb_window_t window, const char* name, xcb_atom_t type, int format, uint32_t count,
                 const void* data) {
    xcb_change_property(wm, XCB_PROP_MODE_REPLACE, window, atom(name), type, static_cast<uint8_t>(format), count, data);
    xcb_flush(wm);
}

xcb_window_t root() { return xcb_setup_roots_iterator(xcb_get_setup(wm)).data->root; }

// Declares an EWMH window manager on the root window, or takes it away.
void declareWindowManager(bool present) {
    if (!present) {
        xcb_delete_property(wm, root(), atom("_NET_SUPPORTING_WM_CHECK"));
        xcb_delete_property(wm, root(), atom("_NET_SUPPORTED"));
        xcb_flush(wm);
        return;
    }
    const xcb_window_t check = root();
    const xcb_atom_t supported[] = {atom("_NET_WM_NAME"), atom("_NET_WM_VISIBLE_NAME")};
    setProperty(root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, 32, 1, &check);
    setProperty(root(), "_NET_SUPPORTED", XCB_ATOM_ATOM, 32, 2, supported);
}

// The property changes of one window that reach the program.
class PropertyEvents : public QAbstractNativeEventFilter {
public:
    explicit PropertyEvents(xcb_window_t window) : window_(window) { app->installNativeEventFilter(this); }
    ~PropertyEvents() override { app->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_property_notify_event_t*>(message);
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && event->window == window_)
            seen += ' ' + std::to_string(event->atom);
        return false;
    }
    std::string seen;

private:
    xcb_window_t window_;
};

class X11Title : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ChildProcess::Options options;
        options.reportFd = 3;
        options.quiet = true;
        if (!xserver.start({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x24"}, options))
            return;
        const std::string display = ":" + xserver.line(30000);
        if (display == ":") return;
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "qt_x11_title_tests";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        wm = xcb_connect(display.c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        if (wm) xcb_disconnect(wm);
        app.reset();
        xserver.stop(SIGTERM);
    }
    void SetUp() override {
        if (!wm || xcb_connection_has_error(wm)) GTEST_SKIP() << "no Xvfb";
    }
};

TEST_F(X11Title, OnlyTheWindowManagerHearsIt) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Cellwarden"));
    window.show();
    const auto id = static_cast<xcb_window_t>(window.winId());

    // No EWMH window manager: Qt sets both names.
    declareWindowManager(false);
    ASSERT_TRUE(spinUntil([&] { return !setX11Title(&window, "no manager"); }));

    declareWindowManager(true);
    ASSERT_TRUE(spinUntil([&] { return setX11Title(&window, "57% 12:00:01"); }));
    PropertyEvents events(id);
    ASSERT_TRUE(setX11Title(&window, "57% 12:00:02"));
    // The window manager's answer, made after the title reached the
    // server: it comes through, and anything of ours would have come first.
    const char visible[] = "57% 12:00:02";
    setProperty(id, "_NET_WM_VISIBLE_NAME", atom("UTF8_STRING"), 8, sizeof visible - 1, visible);
    const std::string answer = ' ' + std::to_string(atom("_NET_WM_VISIBLE_NAME"));
    ASSERT_TRUE(spinUntil([&] { return !events.seen.empty(); }));
    EXPECT_EQ(events.seen, answer);
    EXPECT_EQ(property(id, "_NET_WM_NAME"), "57% 12:00:02");
    EXPECT_EQ(property(id, "WM_NAME"), "Cellwarden");

    // The manager gone, Qt sets the title again.
    declareWindowManager(false);
    ASSERT_TRUE(spinUntil([&] { return !setX11Title(&window, "57% 12:00:03"); }));
}

}  // namespace
