// What the tray item's two objects on the bus share: the snapshot that
// panels read, under its lock, and the writing of D-Bus values and replies
// from it. For status_notifier_item.cpp and dbus_menu.cpp alone.
#pragma once

#include <dbus/dbus.h>
#include <pthread.h>

#include <cstdint>

#include "ui/qt/status_notifier_item.h"

namespace sni {

constexpr char kItemPath[] = "/StatusNotifierItem";
constexpr char kMenuPath[] = "/MenuBar";
constexpr char kItemInterface[] = "org.kde.StatusNotifierItem";
constexpr char kMenuInterface[] = "com.canonical.dbusmenu";

// The picture's sizes, as panels and the window's own icon use them.
constexpr int kSizes[] = {16, 20, 24, 32, 48};
constexpr size_t kPixmapBytes = 4 * (16 * 16 + 20 * 20 + 24 * 24 + 32 * 32 + 48 * 48);

// The menu's rows: menu item n + 1 is row n, 0 is the root.
struct MenuRows {
    int rows = 0;
    int commands[kItemMenuRows]{};
    bool separators[kItemMenuRows]{};
    char labels[kItemMenuRows][kItemLabelBytes]{};  // with "_" before the mnemonic
};

// What panels read. The user-interface thread is its only writer (under
// `lock`) and reads it without; the item's thread reads it under `lock`.
struct Snapshot {
    bool shown = false;
    int iconId = 0;  // 0 until the first picture
    char tip[kItemTipBytes]{};
    MenuRows menu;
    uint32_t menuRevision = 1;
};
extern pthread_mutex_t lock;
extern Snapshot shot;

// Hands an event to the sink that statusNotifierShow was given.
void report(ItemEvent event, int command);

// At most `size` - 1 bytes of `text`, never the first bytes of a character.
void copyCut(char* out, size_t size, const char* text);

// ----- D-Bus values

using Iter = DBusMessageIter;

bool is(const char* a, const char* b);
bool putString(Iter* out, const char* text);
bool putInt(Iter* out, int32_t value);

// A value of D-Bus type `signature`, written by `write` inside a variant.
template <typename Write>
bool putVariant(Iter* out, const char* signature, Write write) {
    Iter variant;
    if (!dbus_message_iter_open_container(out, DBUS_TYPE_VARIANT, signature, &variant)) return false;
    const bool ok = write(&variant);
    return dbus_message_iter_close_container(out, &variant) && ok;
}

bool variantString(Iter* out, const char* text);

// One {sv} entry of a dictionary: `key`, and `value` writing `text`.
bool putEntry(Iter* dict, const char* key, bool (*value)(Iter*, const char*), const char* text);

// ----- replies; none to a call that wants none

void sendAndDrop(DBusConnection* connection, DBusMessage* message);
void replyError(DBusConnection* connection, DBusMessage* call, const char* name, const char* text);
void replyEmpty(DBusConnection* connection, DBusMessage* call);
void replyString(DBusConnection* connection, DBusMessage* call, const char* text);

// Properties.Get and GetAll of `interface` from `write`, which knows `all`;
// GetAll of another interface is empty.
template <size_t N>
DBusHandlerResult answerProperties(DBusConnection* connection, DBusMessage* call, const char* interface,
                                   bool (*write)(Iter*, const char*), const char* const (&all)[N]) {
    const char* asked = nullptr;
    const char* name = nullptr;
    const bool getAll = dbus_message_is_method_call(call, DBUS_INTERFACE_PROPERTIES, "GetAll");
    const bool parsed = getAll ? dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &asked, DBUS_TYPE_INVALID)
                               : dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &asked, DBUS_TYPE_STRING,
                                                       &name, DBUS_TYPE_INVALID);
    if (!parsed) {
        replyError(connection, call, DBUS_ERROR_INVALID_ARGS, "expected the interface and the property's name");
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    const bool ours = is(asked, interface) || *asked == '\0';
    if (!ours && !getAll) {
        replyError(connection, call, DBUS_ERROR_UNKNOWN_INTERFACE, asked);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (dbus_message_get_no_reply(call)) return DBUS_HANDLER_RESULT_HANDLED;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return DBUS_HANDLER_RESULT_NEED_MEMORY;
    Iter out, dict;
    dbus_message_iter_init_append(reply, &out);
    pthread_mutex_lock(&lock);
    bool ok;
    if (getAll) {
        ok = dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "{sv}", &dict);
        for (const char* each : all) ok = ok && (!ours || putEntry(&dict, each, write, each));
        ok = dbus_message_iter_close_container(&out, &dict) && ok;
    } else {
        ok = write(&out, name);
    }
    pthread_mutex_unlock(&lock);
    if (!ok) {
        dbus_message_unref(reply);
        replyError(connection, call, getAll ? DBUS_ERROR_NO_MEMORY : "org.freedesktop.DBus.Error.UnknownProperty",
                   getAll ? "" : name);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    sendAndDrop(connection, reply);
    return DBUS_HANDLER_RESULT_HANDLED;
}


// The item's object and the menu's (dbus_menu.cpp): the answer to a call
// goes to `connection`, or nowhere when it is null.
DBusHandlerResult itemMessage(DBusConnection* connection, DBusMessage* call, void*);
DBusHandlerResult menuMessage(DBusConnection* connection, DBusMessage* call, void*);

// A window-menu label ("&" before the mnemonic) as dbusmenu's.
void menuLabel(char* out, size_t size, const char* label);

}  // namespace sni
