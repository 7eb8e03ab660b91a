// Any bytes as a call a panel makes to the tray icon's item or to its menu:
// either the message itself in the wire format, which libdbus reads and
// refuses when malformed, or (bit 1 of the first byte) one of the item's
// and the menu's methods with arguments of any types and values the bytes
// choose. The handlers answer from the snapshot. libdbus's warnings are
// fatal here, so an answer whose values do not match their declared types
// fails as a crash does.
#include <dbus/dbus.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/qt/item_snapshot.h"

namespace {

bool prepared() {
    setenv("DBUS_FATAL_WARNINGS", "1", 1);
    const TrayMenuRow rows[] = {{0xF120, "元のサイズに戻す(&R)"}, {0, nullptr}, {30000, "ﾊﾞｰｼﾞｮﾝ(&V)"},
                                {30001, "終了(&C)"}};
    statusNotifierSetMenu(rows, 4);
    statusNotifierSet(3, "57% 72s E14:49:03 R0:43:54 14:05:09");
    return true;
}

struct Bytes {
    const uint8_t* at;
    size_t left;
    uint8_t next() {
        if (!left) return 0;
        --left;
        return *at++;
    }
    int32_t number() { return static_cast<int32_t>(static_cast<int8_t>(next())); }
    std::string text() {
        std::string out;
        for (size_t n = next() % 24; n > 0 && left; --n) out += static_cast<char>(next() % 0x5F + 0x20);
        return out;
    }
};

const char* const kMethods[][2] = {
    {DBUS_INTERFACE_PROPERTIES, "Get"},        {DBUS_INTERFACE_PROPERTIES, "GetAll"},
    {"org.kde.StatusNotifierItem", "Activate"}, {"org.kde.StatusNotifierItem", "ContextMenu"},
    {"org.kde.StatusNotifierItem", "Scroll"},   {"com.canonical.dbusmenu", "GetLayout"},
    {"com.canonical.dbusmenu", "GetGroupProperties"}, {"com.canonical.dbusmenu", "GetProperty"},
    {"com.canonical.dbusmenu", "Event"},        {"com.canonical.dbusmenu", "EventGroup"},
    {"com.canonical.dbusmenu", "AboutToShow"},  {"com.canonical.dbusmenu", "AboutToShowGroup"},
    {DBUS_INTERFACE_INTROSPECTABLE, "Introspect"},
};
const char* const kNames[] = {"ToolTip", "IconPixmap", "Menu", "label", "type", "children-display", "Version",
                              "org.kde.StatusNotifierItem", "com.canonical.dbusmenu", "clicked", "", "x"};

// One argument of a type the bytes choose.
bool appendArgument(DBusMessageIter* out, Bytes& in, int depth) {
    DBusMessageIter inner;
    switch (in.next() % 8) {
    case 0: {
        const int32_t value = in.number();
        return dbus_message_iter_append_basic(out, DBUS_TYPE_INT32, &value);
    }
    case 1: {
        const uint32_t value = in.next();
        return dbus_message_iter_append_basic(out, DBUS_TYPE_UINT32, &value);
    }
    case 2: {
        const char* name = kNames[in.next() % (sizeof kNames / sizeof *kNames)];
        return dbus_message_iter_append_basic(out, DBUS_TYPE_STRING, &name);
    }
    case 3: {
        const std::string text = in.text();
        const char* value = text.c_str();
        return dbus_message_iter_append_basic(out, DBUS_TYPE_STRING, &value);
    }
    case 4: {
        bool ok = dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "i", &inner);
        for (int n = in.next() % 20; ok && n > 0; --n) {
            const int32_t value = in.number();
            ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_INT32, &value);
        }
        return dbus_message_iter_close_container(out, &inner) && ok;
    }
    case 5: {
        bool ok = dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "s", &inner);
        for (int n = in.next() % 20; ok && n > 0; --n) {
            const char* name = kNames[in.next() % (sizeof kNames / sizeof *kNames)];
            ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_STRING, &name);
        }
        return dbus_message_iter_close_container(out, &inner) && ok;
    }
    case 6: {
        if (depth > 2) return true;
        bool ok = dbus_message_iter_open_container(out, DBUS_TYPE_VARIANT, "i", &inner);
        const int32_t value = in.number();
        ok = ok && dbus_message_iter_append_basic(&inner, DBUS_TYPE_INT32, &value);
        return dbus_message_iter_close_container(out, &inner) && ok;
    }
    default: {
        // EventGroup's events, a(isvu)
        bool ok = dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "(isvu)", &inner);
        for (int n = in.next() % 6; ok && n > 0; --n) {
            DBusMessageIter event, data;
            const int32_t id = in.number(), zero = 0;
            const uint32_t stamp = 0;
            const char* what = kNames[in.next() % (sizeof kNames / sizeof *kNames)];
            ok = dbus_message_iter_open_container(&inner, DBUS_TYPE_STRUCT, nullptr, &event) &&
                 dbus_message_iter_append_basic(&event, DBUS_TYPE_INT32, &id) &&
                 dbus_message_iter_append_basic(&event, DBUS_TYPE_STRING, &what) &&
                 dbus_message_iter_open_container(&event, DBUS_TYPE_VARIANT, "i", &data) &&
                 dbus_message_iter_append_basic(&data, DBUS_TYPE_INT32, &zero) &&
                 dbus_message_iter_close_container(&event, &data) &&
                 dbus_message_iter_append_basic(&event, DBUS_TYPE_UINT32, &stamp) &&
                 dbus_message_iter_close_container(&inner, &event);
        }
        return dbus_message_iter_close_container(out, &inner) && ok;
    }
    }
}

DBusMessage* builtCall(Bytes in) {
    const auto& method = kMethods[in.next() % (sizeof kMethods / sizeof *kMethods)];
    DBusMessage* call = dbus_message_new_method_call(":1.5", "/StatusNotifierItem", method[0], method[1]);
    if (!call) return nullptr;
    dbus_message_set_serial(call, 7);  // as every call that arrives has one
    DBusMessageIter out;
    dbus_message_iter_init_append(call, &out);
    for (int n = in.next() % 5; n > 0; --n)
        if (!appendArgument(&out, in, 0)) break;
    return call;
}

DBusMessage* readCall(const uint8_t* data, size_t size) {
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* call = dbus_message_demarshal(reinterpret_cast<const char*>(data), static_cast<int>(size), &error);
    dbus_error_free(&error);
    return call;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = prepared();
    if (!ready || size < 1 || size > (1u << 20)) return 0;
    DBusMessage* call = data[0] & 2 ? builtCall(Bytes{data + 1, size - 1}) : readCall(data + 1, size - 1);
    if (!call) return 0;
    if (data[0] & 1) sni::menuMessage(nullptr, call, nullptr);
    else sni::itemMessage(nullptr, call, nullptr);
    dbus_message_unref(call);
    return 0;
}
