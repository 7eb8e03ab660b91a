// One lock guards the snapshot. The user-interface thread is its only
// writer and sends the change signals itself, on the item's connection:
// libdbus writes them out at once from the calling thread, so the item's
// thread wakes only for what the desktop sends (a read, a click) and for
// the rare show and hide.
#include "ui/qt/status_notifier_item.h"

#include <dbus/dbus.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "resources/icon_art.h"
#include "resources/resource_ids.h"
#include "ui/qt/item_snapshot.h"

namespace sni {

// Plain pthread objects and records: nothing to destroy at exit while the
// item's thread may still use them.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
Snapshot shot;

// At most `size` - 1 bytes of `text`, never the first bytes of a character.
void copyCut(char* out, size_t size, const char* text) {
    size_t end = strnlen(text, size);
    if (end == size) {
        end = size - 1;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    }
    memcpy(out, text, end);
    out[end] = '\0';
}

bool is(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

bool putString(Iter* out, const char* text) { return dbus_message_iter_append_basic(out, DBUS_TYPE_STRING, &text); }

bool putInt(Iter* out, int32_t value) { return dbus_message_iter_append_basic(out, DBUS_TYPE_INT32, &value); }

bool variantString(Iter* out, const char* text) {
    return putVariant(out, "s", [text](Iter* v) { return putString(v, text); });
}

bool putEntry(Iter* dict, const char* key, bool (*value)(Iter*, const char*), const char* text) {
    Iter entry;
    return dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) && putString(&entry, key) &&
           value(&entry, text) && dbus_message_iter_close_container(dict, &entry);
}

void sendAndDrop(DBusConnection* connection, DBusMessage* message) {
    if (!message) return;
    if (connection) dbus_connection_send(connection, message, nullptr);
    dbus_message_unref(message);
}

void replyError(DBusConnection* connection, DBusMessage* call, const char* name, const char* text) {
    if (!dbus_message_get_no_reply(call)) sendAndDrop(connection, dbus_message_new_error(call, name, text));
}

void replyEmpty(DBusConnection* connection, DBusMessage* call) {
    if (!dbus_message_get_no_reply(call)) sendAndDrop(connection, dbus_message_new_method_return(call));
}

void replyString(DBusConnection* connection, DBusMessage* call, const char* text) {
    if (dbus_message_get_no_reply(call)) return;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (reply && !dbus_message_append_args(reply, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID)) {
        dbus_message_unref(reply);
        reply = nullptr;
    }
    sendAndDrop(connection, reply);
}

}  // namespace sni

using namespace sni;

namespace {

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";

DBusConnection* shared;  // guarded: the connection, while the item's thread has one
bool published;          // guarded: registered (or being so): changes are signalled
ItemEventSink sink;      // guarded
bool started;
pthread_t itemThread;
int wakeFd = -1;

void wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

// The picture as panels read it, drawn by the thread that answers them when
// they first ask after a change: the user-interface thread only names it.
uint8_t picture[kPixmapBytes];  // every size, ARGB in network order
int pictureId;

// Icon `iconId` at every size, straight alpha, as the protocol has it.
void drawPicture(int iconId, uint8_t* out) {
    memset(out, 0, kPixmapBytes);
    for (int size : kSizes) {
        IconImage art;
        if (drawIcon(iconId, size, 32, &art) && art.pixels.size() == static_cast<size_t>(size * size * 4)) {
            for (size_t at = 0; at < art.pixels.size(); at += 4) {
                out[at] = art.pixels[at + 3];
                out[at + 1] = art.pixels[at];
                out[at + 2] = art.pixels[at + 1];
                out[at + 3] = art.pixels[at + 2];
            }
        }
        out += size * size * 4;
    }
}

// Outside the lock, so that the user-interface thread never waits for it.
void drawChangedPicture() {
    pthread_mutex_lock(&lock);
    const int iconId = shot.iconId;
    pthread_mutex_unlock(&lock);
    if (iconId == pictureId) return;
    drawPicture(iconId, picture);
    pictureId = iconId;
}

// The pictures, a(iiay): every size of the picture, or none.
bool putPixmaps(Iter* out, bool withPictures) {
    Iter array;
    if (!dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "(iiay)", &array)) return false;
    bool ok = true;
    const uint8_t* pixels = picture;
    for (size_t i = 0; withPictures && pictureId && i < std::size(kSizes); ++i) {
        const int32_t size = kSizes[i], length = size * size * 4;
        Iter image, bytes;
        ok = ok && dbus_message_iter_open_container(&array, DBUS_TYPE_STRUCT, nullptr, &image) && putInt(&image, size) &&
             putInt(&image, size) && dbus_message_iter_open_container(&image, DBUS_TYPE_ARRAY, "y", &bytes) &&
             dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &pixels, length) &&
             dbus_message_iter_close_container(&image, &bytes) && dbus_message_iter_close_container(&array, &image);
        pixels += length;
    }
    return dbus_message_iter_close_container(out, &array) && ok;
}

// ----- the item's properties

bool variantBool(Iter* out, bool value) {
    return putVariant(out, "b", [value](Iter* v) {
        const dbus_bool_t b = value;
        return dbus_message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &b);
    });
}

constexpr const char* kItemProperties[] = {
    "Category", "Id", "Title", "Status", "WindowId", "IconThemePath", "IconName", "IconPixmap", "OverlayIconName",
    "OverlayIconPixmap", "AttentionIconName", "AttentionIconPixmap", "AttentionMovieName", "ToolTip", "ItemIsMenu",
    "Menu",
};

// The property `name` as a variant; false for one the item does not have.
bool writeItemProperty(Iter* out, const char* name) {
    if (is(name, "Category")) return variantString(out, "Hardware");
    if (is(name, "Id")) return variantString(out, "cellwarden");
    if (is(name, "Title")) return variantString(out, "Cellwarden");
    if (is(name, "Status")) return variantString(out, "Active");
    if (is(name, "WindowId")) return putVariant(out, "i", [](Iter* v) { return putInt(v, 0); });
    if (is(name, "IconPixmap")) return putVariant(out, "a(iiay)", [](Iter* v) { return putPixmaps(v, true); });
    if (is(name, "OverlayIconPixmap") || is(name, "AttentionIconPixmap"))
        return putVariant(out, "a(iiay)", [](Iter* v) { return putPixmaps(v, false); });
    if (is(name, "IconThemePath") || is(name, "IconName") || is(name, "OverlayIconName") ||
        is(name, "AttentionIconName") || is(name, "AttentionMovieName"))
        return variantString(out, "");
    // The text alone: panels draw the picture they already have.
    if (is(name, "ToolTip"))
        return putVariant(out, "(sa(iiay)ss)", [](Iter* v) {
            Iter tip;
            return dbus_message_iter_open_container(v, DBUS_TYPE_STRUCT, nullptr, &tip) && putString(&tip, "") &&
                   putPixmaps(&tip, false) && putString(&tip, shot.tip) && putString(&tip, "") &&
                   dbus_message_iter_close_container(v, &tip);
        });
    if (is(name, "ItemIsMenu")) return variantBool(out, false);
    if (is(name, "Menu"))
        return putVariant(out, "o", [](Iter* v) {
            const char* path = kMenuPath;
            return dbus_message_iter_append_basic(v, DBUS_TYPE_OBJECT_PATH, &path);
        });
    return false;
}

const char kItemIntrospection[] = R"xml(<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>
)xml";

}  // namespace

DBusHandlerResult sni::itemMessage(DBusConnection* connection, DBusMessage* call, void*) {
    if (dbus_message_get_type(call) != DBUS_MESSAGE_TYPE_METHOD_CALL) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    const char* member = dbus_message_get_member(call);
    if (dbus_message_has_interface(call, kItemInterface)) {
        // Posted to the user-interface thread: the panel's call returns at
        // once, not when a menu popped up there closes.
        if (is(member, "Activate")) report(ItemEvent::Activate, 0);
        else if (is(member, "ContextMenu")) report(ItemEvent::ContextMenu, 0);
        else if (!is(member, "SecondaryActivate") && !is(member, "Scroll") && !is(member, "ProvideXdgActivationToken"))
            return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        replyEmpty(connection, call);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (dbus_message_has_interface(call, DBUS_INTERFACE_PROPERTIES) && (is(member, "Get") || is(member, "GetAll"))) {
        drawChangedPicture();
        return answerProperties(connection, call, kItemInterface, writeItemProperty, kItemProperties);
    }
    if (dbus_message_is_method_call(call, DBUS_INTERFACE_INTROSPECTABLE, "Introspect")) {
        replyString(connection, call, kItemIntrospection);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

namespace {

// ---------------------------------------------------------------- the item's thread

// Its own state, touched by no other thread.
DBusConnection* bus;
bool nameHeld;
bool disconnected;
char serviceName[64];
constexpr int kMostWatches = 8;
DBusWatch* watches[kMostWatches];
int watchCount;

dbus_bool_t addWatch(DBusWatch* watch, void*) {
    if (watchCount == kMostWatches) return FALSE;
    watches[watchCount++] = watch;
    return TRUE;
}

void removeWatch(DBusWatch* watch, void*) {
    for (int i = 0; i < watchCount; ++i)
        if (watches[i] == watch) watches[i] = watches[--watchCount];
}

// Read afresh at each turn of the loop. A send from the user-interface
// thread turns the write watch on and off within the call; when something
// is left to write, libdbus wakes the loop (wakeLoop).
void toggleWatch(DBusWatch*, void*) {}

void wakeLoop(void*) { wake(); }

thread_local bool onItemThread;

void dispatchStatus(DBusConnection*, DBusDispatchStatus status, void*) {
    if (status == DBUS_DISPATCH_DATA_REMAINS && !onItemThread) wake();
}

void callBus(const char* method, const char* argument, uint32_t flags, bool withFlags) {
    DBusMessage* call = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, method);
    if (!call) return;
    dbus_message_set_no_reply(call, TRUE);
    const bool ok = withFlags ? dbus_message_append_args(call, DBUS_TYPE_STRING, &argument, DBUS_TYPE_UINT32, &flags,
                                                         DBUS_TYPE_INVALID)
                              : dbus_message_append_args(call, DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID);
    if (ok) dbus_connection_send(bus, call, nullptr);
    dbus_message_unref(call);
}

// Told by name; the watcher, when there is one, answers with nothing we need.
void registerItem() {
    DBusMessage* call = dbus_message_new_method_call(kWatcher, kWatcherPath, kWatcher, "RegisterStatusNotifierItem");
    if (!call) return;
    dbus_message_set_no_reply(call, TRUE);
    dbus_message_set_auto_start(call, FALSE);
    const char* name = serviceName;
    if (dbus_message_append_args(call, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID))
        dbus_connection_send(bus, call, nullptr);
    dbus_message_unref(call);
}

// The bus's own news: a watcher came (a panel started or restarted), or
// the connection is gone.
DBusHandlerResult busNews(DBusConnection*, DBusMessage* message, void*) {
    if (dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected")) {
        disconnected = true;
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    const char *name = nullptr, *before = nullptr, *now = nullptr;
    if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged") &&
        dbus_message_has_sender(message, DBUS_SERVICE_DBUS) &&
        dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &before, DBUS_TYPE_STRING,
                              &now, DBUS_TYPE_INVALID) &&
        is(name, kWatcher) && *now && nameHeld)
        registerItem();
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

const DBusObjectPathVTable kItemTable = {nullptr, itemMessage, nullptr, nullptr, nullptr, nullptr};
const DBusObjectPathVTable kMenuTable = {nullptr, menuMessage, nullptr, nullptr, nullptr, nullptr};

bool connectBus() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    if (!connection) {
        fprintf(stderr, "celwrd: no tray icon on the session bus: %s\n", error.message ? error.message : "");
        dbus_error_free(&error);
        return false;
    }
    // A session bus that goes away must not end the program.
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    bus = connection;
    disconnected = false;
    snprintf(serviceName, sizeof serviceName, "org.kde.StatusNotifierItem-%ld-1", static_cast<long>(getpid()));
    const bool ok = dbus_connection_set_watch_functions(bus, addWatch, removeWatch, toggleWatch, nullptr, nullptr) &&
                    dbus_connection_add_filter(bus, busNews, nullptr, nullptr) &&
                    dbus_connection_register_object_path(bus, kItemPath, &kItemTable, nullptr) &&
                    dbus_connection_register_object_path(bus, kMenuPath, &kMenuTable, nullptr);
    dbus_connection_set_wakeup_main_function(bus, wakeLoop, nullptr, nullptr);
    dbus_connection_set_dispatch_status_function(bus, dispatchStatus, nullptr, nullptr);
    // Without waiting for the bus's answer: news of a watcher is only
    // needed once the item is registered, which comes after.
    dbus_bus_add_match(bus,
                       "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                       "member='NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
                       nullptr);
    pthread_mutex_lock(&lock);
    shared = bus;
    pthread_mutex_unlock(&lock);
    return ok;
}

void dropBus() {
    pthread_mutex_lock(&lock);
    shared = nullptr;
    published = false;
    pthread_mutex_unlock(&lock);
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    bus = nullptr;
    nameHeld = false;
    watchCount = 0;
}

// Brings the bus in line with what the user-interface thread asked for.
void follow() {
    if (bus && disconnected) dropBus();
    pthread_mutex_lock(&lock);
    const bool want = shot.shown;
    pthread_mutex_unlock(&lock);
    if (want && !bus && !connectBus() && bus) dropBus();
    if (!bus) return;
    if (want && !nameHeld) {
        callBus("RequestName", serviceName, DBUS_NAME_FLAG_DO_NOT_QUEUE, true);
        pthread_mutex_lock(&lock);
        published = true;
        pthread_mutex_unlock(&lock);
        registerItem();
        nameHeld = true;
    } else if (!want && nameHeld) {
        pthread_mutex_lock(&lock);
        published = false;
        pthread_mutex_unlock(&lock);
        callBus("ReleaseName", serviceName, 0, false);
        nameHeld = false;
    }
}

// Handles what came on the watches; a watch that the handling of another
// removed (the connection closed) is not touched.
void handleWatches(const pollfd* ready, DBusWatch* const* polled, int count) {
    for (int i = 0; i < count; ++i) {
        if (!ready[i].revents) continue;
        bool live = false;
        for (int w = 0; w < watchCount; ++w) live |= watches[w] == polled[i];
        if (!live) continue;
        unsigned flags = 0;
        if (ready[i].revents & POLLIN) flags |= DBUS_WATCH_READABLE;
        if (ready[i].revents & POLLOUT) flags |= DBUS_WATCH_WRITABLE;
        if (ready[i].revents & POLLERR) flags |= DBUS_WATCH_ERROR;
        if (ready[i].revents & POLLHUP) flags |= DBUS_WATCH_HANGUP;
        dbus_watch_handle(polled[i], flags);
    }
}

void* serve(void*) {
    onItemThread = true;
    for (;;) {
        follow();
        pollfd ready[1 + kMostWatches];
        DBusWatch* polled[kMostWatches];
        int count = 0;
        ready[0] = {wakeFd, POLLIN, 0};
        for (int w = 0; w < watchCount; ++w) {
            if (!dbus_watch_get_enabled(watches[w])) continue;
            const unsigned flags = dbus_watch_get_flags(watches[w]);
            short events = 0;
            if (flags & DBUS_WATCH_READABLE) events |= POLLIN;
            if (flags & DBUS_WATCH_WRITABLE) events |= POLLOUT;
            polled[count] = watches[w];
            ready[1 + count++] = {dbus_watch_get_unix_fd(watches[w]), events, 0};
        }
        if (poll(ready, static_cast<nfds_t>(1 + count), -1) < 0) continue;  // EINTR
        if (ready[0].revents) {
            uint64_t wakes;
            [[maybe_unused]] ssize_t got = read(wakeFd, &wakes, sizeof wakes);
        }
        handleWatches(ready + 1, polled, count);
        while (bus && dbus_connection_dispatch(bus) == DBUS_DISPATCH_DATA_REMAINS) {
        }
    }
    return nullptr;
}

bool startThread() {
    if (started) return true;
    dbus_threads_init_default();
    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) return false;
    // Signals stay with the user-interface thread.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    started = pthread_create(&itemThread, nullptr, serve, nullptr) == 0;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!started) {
        close(wakeFd);
        wakeFd = -1;
    }
    return started;
}

// ---------------------------------------------------------------- the user-interface thread's side

// Sent from this thread: libdbus writes it out now, without the item's thread.
void emitSignal(const char* path, const char* interface, const char* name, bool withRevision = false) {
    pthread_mutex_lock(&lock);
    DBusConnection* connection = published && shared ? dbus_connection_ref(shared) : nullptr;
    const uint32_t revision = shot.menuRevision;
    pthread_mutex_unlock(&lock);
    if (!connection) return;
    if (DBusMessage* signal = dbus_message_new_signal(path, interface, name)) {
        const int32_t parent = 0;
        if (!withRevision ||
            dbus_message_append_args(signal, DBUS_TYPE_UINT32, &revision, DBUS_TYPE_INT32, &parent, DBUS_TYPE_INVALID))
            dbus_connection_send(connection, signal, nullptr);
        dbus_message_unref(signal);
    }
    dbus_connection_unref(connection);
}

}  // namespace

void sni::report(ItemEvent event, int command) {
    pthread_mutex_lock(&lock);
    const ItemEventSink to = sink;
    pthread_mutex_unlock(&lock);
    if (to) to(event, command);
}

void statusNotifierShow(ItemEventSink newSink) {
    pthread_mutex_lock(&lock);
    sink = newSink;
    shot.shown = true;
    pthread_mutex_unlock(&lock);
    if (startThread()) wake();
}

void statusNotifierHide() {
    if (!shot.shown) return;
    pthread_mutex_lock(&lock);
    shot.shown = false;
    pthread_mutex_unlock(&lock);
    if (started) wake();
}

void statusNotifierSet(int iconId, const char* tipUtf8) {
    if (iconId < 1 || iconId > IDI_COUNT) iconId = IDI_BATTERY_PLAIN;
    char tip[kItemTipBytes];
    copyCut(tip, sizeof tip, tipUtf8 ? tipUtf8 : "");
    const bool newIcon = iconId != shot.iconId;
    const bool newTip = strcmp(tip, shot.tip) != 0;
    if (newIcon) {
        pthread_mutex_lock(&lock);
        shot.iconId = iconId;
        pthread_mutex_unlock(&lock);
        emitSignal(kItemPath, kItemInterface, "NewIcon");
    }
    if (newTip) {
        pthread_mutex_lock(&lock);
        memcpy(shot.tip, tip, sizeof tip);
        pthread_mutex_unlock(&lock);
        emitSignal(kItemPath, kItemInterface, "NewToolTip");
    }
}

void statusNotifierSetMenu(const TrayMenuRow* rows, int count) {
    if (!rows || count < 0) count = 0;
    if (count > kItemMenuRows) count = kItemMenuRows;
    static MenuRows asked;
    asked.rows = count;
    for (int row = 0; row < count; ++row) {
        asked.commands[row] = rows[row].command;
        asked.separators[row] = rows[row].label == nullptr;
        menuLabel(asked.labels[row], sizeof asked.labels[row], rows[row].label ? rows[row].label : "");
    }
    const MenuRows& shown = shot.menu;
    bool same = asked.rows == shown.rows;
    for (int row = 0; same && row < count; ++row)
        same = asked.commands[row] == shown.commands[row] && asked.separators[row] == shown.separators[row] &&
               strcmp(asked.labels[row], shown.labels[row]) == 0;
    if (same) return;
    pthread_mutex_lock(&lock);
    shot.menu = asked;
    ++shot.menuRevision;
    pthread_mutex_unlock(&lock);
    emitSignal(kMenuPath, kMenuInterface, "LayoutUpdated", true);
}
