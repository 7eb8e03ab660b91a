#include "ui/qt/x11_title.h"

#include <QWidget>

#ifndef CELLWARDEN_NO_XCB

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <cstdlib>
#include <cstring>

#include "ui/qt/xcb_connection.h"

namespace {

enum Atom { NetWmName, Utf8String, NetSupported, NetSupportingWmCheck, WmState, NetWmState, NetFrameExtents, kAtoms };
const char* const kAtomNames[kAtoms] = {"_NET_WM_NAME", "UTF8_STRING",   "_NET_SUPPORTED",
                                        "_NET_SUPPORTING_WM_CHECK", "WM_STATE", "_NET_WM_STATE",
                                        "_NET_FRAME_EXTENTS"};
// What Qt reads again when it may have missed a change of them.
const Atom kStateAtoms[] = {WmState, NetWmState, NetFrameExtents};

enum class Support { Unknown, Yes, No };

struct {
    xcb_connection_t* connection;
    xcb_atom_t atoms[kAtoms];
    Support wmReadsNetName;
    QPointer<QWidget> widget;  // the window last titled here
    xcb_window_t window;
    uint32_t eventMask;        // Qt's selection on it
    bool mapped;
    bool propertyEvents;       // whether the selection holds them now
    xcb_timestamp_t time;      // the server's, as last seen
    char title[1024];          // what it shows, without taking memory per refresh
} x;

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { free(reply); }
};

bool internAtoms() {
    xcb_intern_atom_cookie_t cookies[kAtoms];
    for (int i = 0; i < kAtoms; ++i)
        cookies[i] = xcb_intern_atom(x.connection, 0, static_cast<uint16_t>(strlen(kAtomNames[i])), kAtomNames[i]);
    bool all = true;
    for (int i = 0; i < kAtoms; ++i) {
        Freed<xcb_intern_atom_reply_t> got{xcb_intern_atom_reply(x.connection, cookies[i], nullptr)};
        x.atoms[i] = got.reply ? got.reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        all = all && x.atoms[i] != XCB_ATOM_NONE;
    }
    return all;
}

xcb_window_t rootOf(xcb_window_t window) {
    Freed<xcb_get_geometry_reply_t> geometry{
        xcb_get_geometry_reply(x.connection, xcb_get_geometry(x.connection, window), nullptr)};
    return geometry.reply ? geometry.reply->root : xcb_window_t{XCB_WINDOW_NONE};
}

// An EWMH window manager runs (it names its check window) and lists
// _NET_WM_NAME among what it supports.
bool wmReadsNetName(xcb_window_t root) {
    xcb_get_property_cookie_t check =
        xcb_get_property(x.connection, 0, root, x.atoms[NetSupportingWmCheck], XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_cookie_t supported =
        xcb_get_property(x.connection, 0, root, x.atoms[NetSupported], XCB_ATOM_ATOM, 0, 4096);
    Freed<xcb_get_property_reply_t> checkReply{xcb_get_property_reply(x.connection, check, nullptr)};
    Freed<xcb_get_property_reply_t> supportedReply{xcb_get_property_reply(x.connection, supported, nullptr)};
    if (!checkReply.reply || xcb_get_property_value_length(checkReply.reply) < 4 || !supportedReply.reply) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supportedReply.reply));
    const int count = xcb_get_property_value_length(supportedReply.reply) / 4;
    for (int i = 0; i < count; ++i)
        if (atoms[i] == x.atoms[NetWmName]) return true;
    return false;
}

// Asks Qt to read the window's state properties again, as if each had
// changed: sent with no event mask, it reaches only the window's creator.
// Qt takes the event's time as the server's, so it is one already seen.
void makeQtReadTheState() {
    for (Atom atom : kStateAtoms) {
        xcb_property_notify_event_t event{};
        event.response_type = XCB_PROPERTY_NOTIFY;
        event.window = x.window;
        event.atom = x.atoms[atom];
        event.time = x.time;
        event.state = XCB_PROPERTY_NEW_VALUE;
        xcb_send_event(x.connection, 0, x.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    }
}

// While the window is away (minimised or hidden, and unmapped), the
// property events Qt selects on it bring only the window manager's answers
// to our titles: they are switched off, and when it is mapped again Qt
// reads what it may have missed meanwhile.
void selectPropertyEvents() {
    QWidget* widget = x.widget;
    const bool away = widget && !x.mapped && (widget->isMinimized() || !widget->isVisible());
    if (!x.window || x.propertyEvents == !away) return;
    x.propertyEvents = !away;
    const uint32_t mask = away ? x.eventMask & ~uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE} : x.eventMask;
    xcb_change_window_attributes(x.connection, x.window, XCB_CW_EVENT_MASK, &mask);
    if (!away) makeQtReadTheState();
    xcb_flush(x.connection);
}

// Sees the X events Qt handles, and the titled window's show events.
class Watch : public QObject, public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            // A window manager that comes or goes changes these on the root
            // window (Qt selects its property events): asked again then.
            const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
            const xcb_atom_t atom = property->atom;
            x.time = property->time;
            if (atom == x.atoms[NetSupported] || atom == x.atoms[NetSupportingWmCheck])
                x.wmReadsNetName = Support::Unknown;
            break;
        }
        case XCB_MAP_NOTIFY:
            if (static_cast<const xcb_map_notify_event_t*>(message)->window != x.window) break;
            x.mapped = true;
            selectPropertyEvents();
            break;
        case XCB_UNMAP_NOTIFY:
            if (static_cast<const xcb_unmap_notify_event_t*>(message)->window != x.window) break;
            x.mapped = false;
            selectPropertyEvents();
            break;
        default:
            break;
        }
        return false;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == x.widget && (type == QEvent::WindowStateChange || type == QEvent::Hide)) selectPropertyEvents();
        return false;
    }
};

// Made with the first use, after the application.
Watch& watch() {
    static Watch made;
    return made;
}

bool attach() {
    xcb_connection_t* connection = qtXcbConnection();
    if (!connection) return false;
    if (connection == x.connection) return true;
    x = {};
    x.connection = connection;
    if (!internAtoms()) return false;
    QCoreApplication::instance()->installNativeEventFilter(&watch());
    return true;
}

// Qt's event selection on the window, read once per window.
bool learnWindow(QWidget* widget, xcb_window_t window) {
    if (window == x.window && widget == x.widget) return true;
    Freed<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(x.connection, xcb_get_window_attributes(x.connection, window), nullptr)};
    if (!attributes.reply) return false;
    if (x.widget) x.widget->removeEventFilter(&watch());
    x.widget = widget;
    x.window = window;
    x.eventMask = attributes.reply->your_event_mask;
    x.propertyEvents = x.eventMask & XCB_EVENT_MASK_PROPERTY_CHANGE;
    x.mapped = attributes.reply->map_state != XCB_MAP_STATE_UNMAPPED;
    x.title[0] = '\0';
    widget->installEventFilter(&watch());
    selectPropertyEvents();
    return true;
}

}  // namespace

bool setX11Title(QWidget* window, const char* utf8) {
    const auto id = static_cast<xcb_window_t>(window ? window->internalWinId() : 0);
    if (!id || !attach()) return false;
    if (x.wmReadsNetName == Support::Unknown) {
        const xcb_window_t root = rootOf(id);
        x.wmReadsNetName = root && wmReadsNetName(root) ? Support::Yes : Support::No;
    }
    if (x.wmReadsNetName != Support::Yes || !learnWindow(window, id)) {
        x.title[0] = '\0';  // Qt sets it meanwhile: sent again when we take over
        return false;
    }
    const char* title = utf8 ? utf8 : "";
    const size_t length = strlen(title);
    if (length >= sizeof x.title) {  // Qt sets a title this long
        x.title[0] = '\0';
        return false;
    }
    if (strcmp(title, x.title) == 0) return true;
    // The server reports a property change only to the clients selecting
    // it at that moment, and handles our requests in order.
    const uint32_t quiet = x.eventMask & ~uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE};
    if (x.propertyEvents) xcb_change_window_attributes(x.connection, id, XCB_CW_EVENT_MASK, &quiet);
    xcb_change_property(x.connection, XCB_PROP_MODE_REPLACE, id, x.atoms[NetWmName], x.atoms[Utf8String], 8,
                        static_cast<uint32_t>(length), title);
    if (x.propertyEvents) xcb_change_window_attributes(x.connection, id, XCB_CW_EVENT_MASK, &x.eventMask);
    xcb_flush(x.connection);
    memcpy(x.title, title, length + 1);
    return true;
}

#else

bool setX11Title(QWidget*, const char*) { return false; }

#endif
