#!/usr/bin/python3
"""A desktop's tray for the end-to-end tests, on the session bus: a
StatusNotifierWatcher with a host registered (what Qt looks for before it
shows a tray icon as a StatusNotifierItem), and commands that look at the
registered item and click it as a panel would.

  tray_host.py serve      the watcher, until ended
  tray_host.py follow     reads each new tip back, as a panel does, until ended
  tray_host.py tip        the item's tip
  tray_host.py colours    its icon's pixels by paint: "blue N red N green N yellow N"
  tray_host.py activate   a left click
  tray_host.py context    a right click
  tray_host.py menu       the labels of its menu (com.canonical.dbusmenu), one a
                          line, "-" for a separator
  tray_host.py choose L   a click on the menu's row labelled L
A command fails (exit 1) when no item is registered.
"""
import sys

import dbus
import dbus.service

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.items = []
        self.bus = bus
        super().__init__(dbus.service.BusName(WATCHER, bus), "/StatusNotifierWatcher")
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged", "org.freedesktop.DBus")

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        path = "/StatusNotifierItem"
        if service.startswith("/"):
            service, path = sender, service
        item = f"{service}{path}"
        if item not in self.items:
            self.items.append(item)
            self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": True,
            "ProtocolVersion": dbus.Int32(0),
        }

    # Qt reads the properties through an interface it introspects first.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return f"""<node>
  <interface name="{WATCHER}">
    <method name="RegisterStatusNotifierItem"><arg direction="in" type="s"/></method>
    <method name="RegisterStatusNotifierHost"><arg direction="in" type="s"/></method>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
  <interface name="{dbus.PROPERTIES_IFACE}">
    <method name="Get"><arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="out" type="v"/></method>
    <method name="GetAll"><arg direction="in" type="s"/><arg direction="out" type="a{{sv}}"/></method>
  </interface>
</node>"""

    def owner_changed(self, name, old, new):
        if new:
            return
        for item in [i for i in self.items if i.startswith(name + "/")]:
            self.items.remove(item)
            self.StatusNotifierItemUnregistered(item)


def serve():
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    watcher = Watcher(dbus.SessionBus())
    print("ready", flush=True)
    GLib.MainLoop().run()
    return watcher


def follow():
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    def read_tip(sender=None, path=None):
        bus.get_object(sender, path, introspect=False).Get(ITEM, "ToolTip", dbus_interface=dbus.PROPERTIES_IFACE)

    bus.add_signal_receiver(read_tip, "NewToolTip", ITEM, sender_keyword="sender", path_keyword="path")
    GLib.MainLoop().run()


def the_item(bus):
    watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
    items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=dbus.PROPERTIES_IFACE)
    if not items:
        sys.exit(1)
    service, _, path = str(items[0]).partition("/")
    return bus.get_object(service, "/" + path)


def menu_rows(bus, item):
    """(id, label) of each row of the item's menu, as a panel reads them."""
    path = item.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    menu = bus.get_object(item.requested_bus_name, path, introspect=False)
    _, (_, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
    rows = []
    for row_id, properties, _ in children:
        label = "-" if properties.get("type") == "separator" else str(properties.get("label", ""))
        rows.append((int(row_id), label))
    return menu, rows


def near(pixel, paint):
    return sum((a - b) ** 2 for a, b in zip(pixel, paint)) < 40 ** 2


PAINTS = {
    "blue": [(30, 108, 224), (110, 168, 248)],
    "red": [(224, 38, 38), (248, 128, 128)],
    "green": [(31, 176, 74), (116, 220, 144)],
    "yellow": [(242, 194, 0), (255, 228, 112)],
}


def colours(item):
    pixmaps = item.Get(ITEM, "IconPixmap", dbus_interface=dbus.PROPERTIES_IFACE)
    width, height, data = max(pixmaps, key=lambda p: int(p[0]))
    data = bytes(data)
    counts = {name: 0 for name in PAINTS}
    for at in range(0, int(width) * int(height) * 4, 4):
        alpha, pixel = data[at], tuple(data[at + 1:at + 4])  # ARGB, network order
        if alpha < 128:
            continue
        for name, paints in PAINTS.items():
            if any(near(pixel, paint) for paint in paints):
                counts[name] += 1
                break
    return " ".join(f"{name} {count}" for name, count in counts.items())


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "serve":
        serve()
        return
    if command == "follow":
        follow()
        return
    bus = dbus.SessionBus()
    try:
        item = the_item(bus)
        if command == "tip":
            tip = item.Get(ITEM, "ToolTip", dbus_interface=dbus.PROPERTIES_IFACE)
            print(str(tip[2]))
        elif command == "colours":
            print(colours(item))
        elif command == "activate":
            item.Activate(dbus.Int32(10), dbus.Int32(10), dbus_interface=ITEM, timeout=5)
        elif command == "context":
            item.ContextMenu(dbus.Int32(10), dbus.Int32(10), dbus_interface=ITEM, timeout=5)
        elif command == "menu":
            for _, label in menu_rows(bus, item)[1]:
                print(label)
        elif command == "choose" and len(sys.argv) > 2:
            menu, rows = menu_rows(bus, item)
            chosen = [row_id for row_id, label in rows if label == sys.argv[2]]
            if not chosen:
                sys.exit(1)
            menu.Event(dbus.Int32(chosen[0]), "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                       dbus_interface=MENU, timeout=5)
        else:
            print(__doc__, file=sys.stderr)
            sys.exit(2)
    except dbus.exceptions.DBusException as error:
        print(error, file=sys.stderr)
        sys.exit(1)


main()
