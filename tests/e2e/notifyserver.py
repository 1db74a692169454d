"""A desktop notification server for end-to-end tests, as far as
do-not-disturb goes: it owns org.freedesktop.Notifications on the test's
session bus and offers the Inhibited property, which the test switches."""

import threading

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"
XML = """
<node><interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="GetServerInformation">
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
  </method>
  <property name="Inhibited" type="b" access="read"/>
</interface></node>
"""


class NotificationServer:
    def __init__(self, bus_address, inhibited):
        self.inhibited = inhibited
        self.reads = 0
        self.lock = threading.Lock()
        self.bus = Gio.DBusConnection.new_for_address_sync(
            bus_address,
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.context = GLib.MainContext.new()
        self.loop = GLib.MainLoop.new(self.context, False)
        self.owned = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()
        if not self.owned.wait(10):
            raise RuntimeError("notification server did not start")

    def _run(self):
        self.context.push_thread_default()
        node = Gio.DBusNodeInfo.new_for_xml(XML)
        self.reg_id = self.bus.register_object(PATH, node.interfaces[0], self._call,
                                               self._get, None)
        self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "RequestName",
                           GLib.Variant("(su)", (NAME, 4)), None,
                           Gio.DBusCallFlags.NONE, -1, None)
        self.owned.set()
        self.loop.run()
        self.bus.unregister_object(self.reg_id)

    def _call(self, conn, sender, path, iface, method, params, invocation):
        if method == "GetCapabilities":
            invocation.return_value(GLib.Variant("(as)", ([],)))
        else:
            invocation.return_value(GLib.Variant("(ssss)", ("test", "murmel", "1", "1.2")))

    def _get(self, conn, sender, path, iface, prop):
        with self.lock:
            self.reads += 1
            return GLib.Variant("b", self.inhibited)

    def times_read(self):
        with self.lock:
            return self.reads

    def set_inhibited(self, value):
        """Switches do-not-disturb and tells the bus, as a server does."""
        with self.lock:
            self.inhibited = value

        def change():
            self.bus.emit_signal(
                None, PATH, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                GLib.Variant("(sa{sv}as)",
                             (NAME, {"Inhibited": GLib.Variant("b", value)}, [])))
            return False
        self.context.invoke_full(GLib.PRIORITY_DEFAULT, change)

    def close(self):
        self.context.invoke_full(GLib.PRIORITY_DEFAULT, lambda: self.loop.quit() or False)
        self.thread.join(5)
        self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "ReleaseName", GLib.Variant("(s)", (NAME,)),
                           None, Gio.DBusCallFlags.NONE, -1, None)
