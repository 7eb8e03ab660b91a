// Asked before the icon is made: a StatusNotifierItem of the program's own
// where a watcher is there, Qt's XEmbed icon where only an X tray is.
#include "ui/qt/tray_watch.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>

#include "ui/qt/xcb_connection.h"

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int kBusTimeoutMs = 1000;

void (*onChange)();

void tellChange() {
    QTimer::singleShot(0, qApp, [] {
        if (onChange) onChange();
    });
}

}  // namespace

// ----- StatusNotifierItem trays, on the session bus

bool statusNotifierHostPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

// A watcher comes or goes, or its panel registers as host after it came.
class HostNews : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void hostRegistered() { tellChange(); }
};

namespace {

void watchStatusNotifierHosts() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    auto* owners = new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange, qApp);
    QObject::connect(owners, &QDBusServiceWatcher::serviceOwnerChanged, owners, [] { tellChange(); });
    auto* news = new HostNews;
    news->setParent(owners);
    bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"), news,
                SLOT(hostRegistered()));
}

// ----- X trays: the owner of the selection _NET_SYSTEM_TRAY_S<screen>

// The screen number of $DISPLAY (":0.1" is screen 1).
int screenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

xcb_atom_t atom(xcb_connection_t* x, const QByteArray& name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return found;
}

xcb_atom_t trayAtom(xcb_connection_t* x) {
    static xcb_atom_t tray = atom(x, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber()));
    return tray;
}

}  // namespace

bool xTrayPresent() {
    xcb_connection_t* x = qtXcbConnection();
    if (!x || !trayAtom(x)) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, trayAtom(x)), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply);
    return owned;
}

namespace {

// A new tray announces itself to every client with a MANAGER message on
// the root window.
class TrayManagerFilter : public QAbstractNativeEventFilter {
public:
    xcb_atom_t manager = XCB_ATOM_NONE;
    xcb_atom_t tray = XCB_ATOM_NONE;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type == manager && client->data.data32[1] == tray) tellChange();
        return false;
    }
};

xcb_window_t rootWindow(xcb_connection_t* x) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int n = screenNumber(); n > 0 && screens.rem > 1; --n) xcb_screen_next(&screens);
    return screens.rem ? screens.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

void watchXTrays() {
    xcb_connection_t* x = qtXcbConnection();
    if (!x) return;
    static TrayManagerFilter filter;
    filter.manager = atom(x, "MANAGER");
    filter.tray = trayAtom(x);
    const xcb_window_t root = rootWindow(x);
    if (!root || !filter.manager || !filter.tray) return;
    // The root's other events stay as Qt chose them.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, root), nullptr);
    const uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    free(attributes);
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    qApp->installNativeEventFilter(&filter);
}

}  // namespace

bool trayHostPresent() { return statusNotifierHostPresent() || xTrayPresent(); }

void watchTrayHost(void (*changed)()) {
    if (onChange) return;
    onChange = changed;
    watchStatusNotifierHosts();
    watchXTrays();
}

#include "tray_watch.moc"
