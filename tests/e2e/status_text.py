"""Prints what a screen reader hears of a program's status bar: the accessible names of the
status bar's children, one a line, read over AT-SPI from the session's accessibility bus.
Usage: status_text.py PID  (exit status 1 when the program or its status bar is not found)"""
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"


def main():
    pid = int(sys.argv[1])
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
        dbus_interface="org.a11y.Bus")
    bus = dbus.bus.BusConnection(address)

    def node(ref):
        return bus.get_object(ref[0], ref[1], introspect=False)

    def prop(obj, name):
        return obj.Get(ACCESSIBLE, name, dbus_interface="org.freedesktop.DBus.Properties")

    def children(obj):
        return obj.GetChildren(dbus_interface=ACCESSIBLE)

    root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                          introspect=False)
    for app_ref in children(root):
        app = node(app_ref)
        app_pid = bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus").GetConnectionUnixProcessID(
            app_ref[0], dbus_interface="org.freedesktop.DBus")
        if app_pid != pid:
            continue
        # Breadth first, bounded: the window is small.
        queue = list(children(app))
        for _ in range(2000):
            if not queue:
                break
            obj = node(queue.pop(0))
            if obj.GetRoleName(dbus_interface=ACCESSIBLE) == "status bar":
                for ref in children(obj):
                    print(str(prop(node(ref), "Name")))
                return 0
            queue.extend(children(obj))
    return 1


if __name__ == "__main__":
    sys.exit(main())
