// The tray item's menu as com.canonical.dbusmenu has it, answered from the
// snapshot on the item's thread: GetLayout and the properties of its
// items, and the events of a click, reported as the row's command.
#include <dbus/dbus.h>

#include <cstring>

#include "ui/qt/item_snapshot.h"

namespace sni {

// The window menu's "&" mnemonics in dbusmenu's "_" (a literal "_" doubled).
void menuLabel(char* out, size_t size, const char* label) {
    char converted[2 * kItemLabelBytes];
    size_t at = 0;
    for (const char* c = label; *c && at + 2 < sizeof converted; ++c) {
        if (*c == '&' && c[1] == '&') converted[at++] = *++c;
        else if (*c == '&') converted[at++] = '_';
        else if (*c == '_') converted[at++] = '_', converted[at++] = '_';
        else converted[at++] = *c;
    }
    converted[at] = '\0';
    copyCut(out, size, converted);
}

namespace {

// Whether `name` is among the properties asked for (none named: all).
bool wanted(const char* name, const char* const* names, int count) {
    if (count == 0) return true;
    for (int i = 0; i < count; ++i)
        if (is(names[i], name)) return true;
    return false;
}

// a{sv}: what differs from dbusmenu's defaults (enabled, visible, standard).
bool putMenuProperties(Iter* out, int id, const char* const* names, int count) {
    Iter dict;
    if (!dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "{sv}", &dict)) return false;
    bool ok = true;
    if (id == 0) {
        if (wanted("children-display", names, count)) ok = putEntry(&dict, "children-display", variantString, "submenu");
    } else if (shot.menu.separators[id - 1]) {
        if (wanted("type", names, count)) ok = putEntry(&dict, "type", variantString, "separator");
    } else if (wanted("label", names, count)) {
        ok = putEntry(&dict, "label", variantString, shot.menu.labels[id - 1]);
    }
    return dbus_message_iter_close_container(out, &dict) && ok;
}

bool knownItem(int32_t id) { return id >= 0 && id <= shot.menu.rows; }

// (ia{sv}av): the item, with its children down to `depth` (-1: all).
bool putMenuNode(Iter* out, int id, int depth, const char* const* names, int count) {
    Iter node, children;
    bool ok = dbus_message_iter_open_container(out, DBUS_TYPE_STRUCT, nullptr, &node) && putInt(&node, id) &&
              putMenuProperties(&node, id, names, count) &&
              dbus_message_iter_open_container(&node, DBUS_TYPE_ARRAY, "v", &children);
    if (!ok) return false;
    if (id == 0 && depth != 0)
        for (int row = 0; ok && row < shot.menu.rows; ++row)
            ok = putVariant(&children, "(ia{sv}av)",
                            [&](Iter* v) { return putMenuNode(v, row + 1, depth - 1, names, count); });
    return dbus_message_iter_close_container(&node, &children) && dbus_message_iter_close_container(out, &node) && ok;
}

bool writeMenuProperty(Iter* out, const char* name) {
    if (is(name, "Version")) return putVariant(out, "u", [](Iter* v) {
        const uint32_t version = 3;
        return dbus_message_iter_append_basic(v, DBUS_TYPE_UINT32, &version);
    });
    if (is(name, "TextDirection")) return variantString(out, "ltr");
    if (is(name, "Status")) return variantString(out, "normal");
    if (is(name, "IconThemePath")) return putVariant(out, "as", [](Iter* v) {
        Iter none;
        return dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "s", &none) &&
               dbus_message_iter_close_container(v, &none);
    });
    return false;
}

constexpr const char* kMenuProperties[] = {"Version", "TextDirection", "Status", "IconThemePath"};

const char kMenuIntrospection[] = R"xml(<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout"><arg name="parentId" type="i" direction="in"/><arg name="recursionDepth" type="i" direction="in"/><arg name="propertyNames" type="as" direction="in"/><arg name="revision" type="u" direction="out"/><arg name="layout" type="(ia{sv}av)" direction="out"/></method>
    <method name="GetGroupProperties"><arg name="ids" type="ai" direction="in"/><arg name="propertyNames" type="as" direction="in"/><arg name="properties" type="a(ia{sv})" direction="out"/></method>
    <method name="GetProperty"><arg name="id" type="i" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="Event"><arg name="id" type="i" direction="in"/><arg name="eventId" type="s" direction="in"/><arg name="data" type="v" direction="in"/><arg name="timestamp" type="u" direction="in"/></method>
    <method name="EventGroup"><arg name="events" type="a(isvu)" direction="in"/><arg name="idErrors" type="ai" direction="out"/></method>
    <method name="AboutToShow"><arg name="id" type="i" direction="in"/><arg name="needUpdate" type="b" direction="out"/></method>
    <method name="AboutToShowGroup"><arg name="ids" type="ai" direction="in"/><arg name="updatesNeeded" type="ai" direction="out"/><arg name="idErrors" type="ai" direction="out"/></method>
    <signal name="ItemsPropertiesUpdated"><arg type="a(ia{sv})"/><arg type="a(ias)"/></signal>
    <signal name="LayoutUpdated"><arg name="revision" type="u"/><arg name="parent" type="i"/></signal>
    <signal name="ItemActivationRequested"><arg name="id" type="i"/><arg name="timestamp" type="u"/></signal>
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

// The property names of a call, at most 16 of them (more are all of them).
int readNames(Iter* in, const char** names, int room) {
    if (dbus_message_iter_get_arg_type(in) != DBUS_TYPE_ARRAY ||
        dbus_message_iter_get_element_type(in) != DBUS_TYPE_STRING)
        return -1;
    Iter each;
    dbus_message_iter_recurse(in, &each);
    int count = 0;
    for (; dbus_message_iter_get_arg_type(&each) == DBUS_TYPE_STRING; dbus_message_iter_next(&each)) {
        if (count == room) return 0;
        dbus_message_iter_get_basic(&each, &names[count++]);
    }
    return count;
}

// The command of menu item `id`, or 0 for the root, a separator or none.
int commandOf(int32_t id) {
    pthread_mutex_lock(&lock);
    const int command = id >= 1 && id <= shot.menu.rows && !shot.menu.separators[id - 1] ? shot.menu.commands[id - 1] : 0;
    pthread_mutex_unlock(&lock);
    return command;
}

// One event of a panel; false for an item that does not exist.
bool menuEvent(int32_t id, const char* what) {
    pthread_mutex_lock(&lock);
    const bool known = knownItem(id);
    pthread_mutex_unlock(&lock);
    if (known && is(what, "clicked"))
        if (const int command = commandOf(id)) report(ItemEvent::MenuChosen, command);
    return known;
}

DBusMessage* layoutReply(DBusMessage* call) {
    Iter in;
    int32_t parent = 0, depth = -1;
    const char* names[16];
    int count = -1;
    if (dbus_message_iter_init(call, &in) && dbus_message_iter_get_arg_type(&in) == DBUS_TYPE_INT32) {
        dbus_message_iter_get_basic(&in, &parent);
        if (dbus_message_iter_next(&in) && dbus_message_iter_get_arg_type(&in) == DBUS_TYPE_INT32) {
            dbus_message_iter_get_basic(&in, &depth);
            if (dbus_message_iter_next(&in)) count = readNames(&in, names, 16);
        }
    }
    if (count < 0) return nullptr;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return nullptr;
    Iter out;
    dbus_message_iter_init_append(reply, &out);
    pthread_mutex_lock(&lock);
    const uint32_t revision = shot.menuRevision;
    const bool ok = knownItem(parent) && dbus_message_iter_append_basic(&out, DBUS_TYPE_UINT32, &revision) &&
                    putMenuNode(&out, parent, depth, names, count);
    pthread_mutex_unlock(&lock);
    if (!ok) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

// a(ia{sv}) of the items `ids` (none named: every item).
DBusMessage* groupPropertiesReply(DBusMessage* call) {
    Iter in, ids;
    const char* names[16];
    int32_t asked[kItemMenuRows + 1];
    int askedCount = 0, count = -1;
    if (dbus_message_iter_init(call, &in) && dbus_message_iter_get_arg_type(&in) == DBUS_TYPE_ARRAY &&
        dbus_message_iter_get_element_type(&in) == DBUS_TYPE_INT32) {
        dbus_message_iter_recurse(&in, &ids);
        for (; dbus_message_iter_get_arg_type(&ids) == DBUS_TYPE_INT32; dbus_message_iter_next(&ids)) {
            int32_t id;
            dbus_message_iter_get_basic(&ids, &id);
            if (askedCount < kItemMenuRows + 1) asked[askedCount++] = id;
        }
        if (dbus_message_iter_next(&in)) count = readNames(&in, names, 16);
    }
    if (count < 0) return nullptr;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return nullptr;
    Iter out, array;
    dbus_message_iter_init_append(reply, &out);
    pthread_mutex_lock(&lock);
    bool ok = dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "(ia{sv})", &array);
    const int total = askedCount ? askedCount : shot.menu.rows + 1;
    for (int i = 0; ok && i < total; ++i) {
        const int32_t id = askedCount ? asked[i] : i;
        if (!knownItem(id)) continue;
        Iter item;
        ok = dbus_message_iter_open_container(&array, DBUS_TYPE_STRUCT, nullptr, &item) && putInt(&item, id) &&
             putMenuProperties(&item, id, names, count) && dbus_message_iter_close_container(&array, &item);
    }
    ok = dbus_message_iter_close_container(&out, &array) && ok;
    pthread_mutex_unlock(&lock);
    if (!ok) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

DBusMessage* propertyReply(DBusMessage* call) {
    int32_t id = 0;
    const char* name = nullptr;
    if (!dbus_message_get_args(call, nullptr, DBUS_TYPE_INT32, &id, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID))
        return nullptr;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return nullptr;
    Iter out;
    dbus_message_iter_init_append(reply, &out);
    // The properties GetLayout gives; the defaults it leaves out are errors here.
    pthread_mutex_lock(&lock);
    bool ok = false;
    if (knownItem(id)) {
        const bool separator = id > 0 && shot.menu.separators[id - 1];
        if (id == 0 && is(name, "children-display")) ok = variantString(&out, "submenu");
        else if (id > 0 && separator && is(name, "type")) ok = variantString(&out, "separator");
        else if (id > 0 && !separator && is(name, "label")) ok = variantString(&out, shot.menu.labels[id - 1]);
    }
    pthread_mutex_unlock(&lock);
    if (!ok) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

// Events come one at a time (Event) or together (EventGroup, which answers
// with the ids that do not exist).
DBusMessage* eventGroupReply(DBusMessage* call) {
    Iter in, events;
    if (!dbus_message_iter_init(call, &in) || dbus_message_iter_get_arg_type(&in) != DBUS_TYPE_ARRAY) return nullptr;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return nullptr;
    Iter out, missing;
    dbus_message_iter_init_append(reply, &out);
    bool ok = dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "i", &missing);
    dbus_message_iter_recurse(&in, &events);
    for (; ok && dbus_message_iter_get_arg_type(&events) == DBUS_TYPE_STRUCT; dbus_message_iter_next(&events)) {
        Iter event;
        dbus_message_iter_recurse(&events, &event);
        int32_t id = -1;
        const char* what = nullptr;
        if (dbus_message_iter_get_arg_type(&event) != DBUS_TYPE_INT32) continue;
        dbus_message_iter_get_basic(&event, &id);
        if (dbus_message_iter_next(&event) && dbus_message_iter_get_arg_type(&event) == DBUS_TYPE_STRING)
            dbus_message_iter_get_basic(&event, &what);
        if (!menuEvent(id, what)) ok = putInt(&missing, id);
    }
    ok = dbus_message_iter_close_container(&out, &missing) && ok;
    if (!ok) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

// (ai, ai): nothing to update, and the ids that do not exist.
DBusMessage* aboutToShowGroupReply(DBusMessage* call) {
    Iter in, ids;
    if (!dbus_message_iter_init(call, &in) || dbus_message_iter_get_arg_type(&in) != DBUS_TYPE_ARRAY) return nullptr;
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply) return nullptr;
    Iter out, none, missing;
    dbus_message_iter_init_append(reply, &out);
    bool ok = dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "i", &none) &&
              dbus_message_iter_close_container(&out, &none) &&
              dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "i", &missing);
    dbus_message_iter_recurse(&in, &ids);
    pthread_mutex_lock(&lock);
    for (; ok && dbus_message_iter_get_arg_type(&ids) == DBUS_TYPE_INT32; dbus_message_iter_next(&ids)) {
        int32_t id;
        dbus_message_iter_get_basic(&ids, &id);
        if (!knownItem(id)) ok = putInt(&missing, id);
    }
    pthread_mutex_unlock(&lock);
    ok = ok && dbus_message_iter_close_container(&out, &missing);
    if (!ok) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

}  // namespace

DBusHandlerResult menuMessage(DBusConnection* connection, DBusMessage* call, void*) {
    if (dbus_message_get_type(call) != DBUS_MESSAGE_TYPE_METHOD_CALL) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    const char* member = dbus_message_get_member(call);
    if (dbus_message_has_interface(call, DBUS_INTERFACE_PROPERTIES) && (is(member, "Get") || is(member, "GetAll")))
        return answerProperties(connection, call, kMenuInterface, writeMenuProperty, kMenuProperties);
    if (dbus_message_is_method_call(call, DBUS_INTERFACE_INTROSPECTABLE, "Introspect")) {
        replyString(connection, call, kMenuIntrospection);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (!dbus_message_has_interface(call, kMenuInterface)) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    DBusMessage* reply = nullptr;
    if (is(member, "GetLayout")) {
        reply = layoutReply(call);
    } else if (is(member, "GetGroupProperties")) {
        reply = groupPropertiesReply(call);
    } else if (is(member, "GetProperty")) {
        reply = propertyReply(call);
    } else if (is(member, "Event")) {
        int32_t id = -1;
        const char* what = nullptr;
        Iter in;
        if (dbus_message_iter_init(call, &in) && dbus_message_iter_get_arg_type(&in) == DBUS_TYPE_INT32) {
            dbus_message_iter_get_basic(&in, &id);
            if (dbus_message_iter_next(&in) && dbus_message_iter_get_arg_type(&in) == DBUS_TYPE_STRING)
                dbus_message_iter_get_basic(&in, &what);
        }
        if (what && menuEvent(id, what)) reply = dbus_message_new_method_return(call);
    } else if (is(member, "EventGroup")) {
        reply = eventGroupReply(call);
    } else if (is(member, "AboutToShow")) {
        int32_t id = -1;
        dbus_bool_t update = FALSE;
        pthread_mutex_lock(&lock);
        const bool known = dbus_message_get_args(call, nullptr, DBUS_TYPE_INT32, &id, DBUS_TYPE_INVALID) && knownItem(id);
        pthread_mutex_unlock(&lock);
        if (known && (reply = dbus_message_new_method_return(call)) &&
            !dbus_message_append_args(reply, DBUS_TYPE_BOOLEAN, &update, DBUS_TYPE_INVALID)) {
            dbus_message_unref(reply);
            reply = nullptr;
        }
    } else if (is(member, "AboutToShowGroup")) {
        reply = aboutToShowGroupReply(call);
    } else {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    if (dbus_message_get_no_reply(call)) {
        if (reply) dbus_message_unref(reply);
    } else if (reply) {
        sendAndDrop(connection, reply);
    } else {
        replyError(connection, call, DBUS_ERROR_INVALID_ARGS, "no such menu item, or arguments of other types");
    }
    return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace sni
