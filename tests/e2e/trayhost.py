"""A tray host for end-to-end tests: it owns org.kde.StatusNotifierWatcher on
the test's session bus, takes the program's registration, and acts as a
panel would: reads the item's properties, clicks it, opens and uses its
dbusmenu."""

import threading
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"

WATCHER_XML = """
<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
</interface></node>
"""


class TrayHost:
    def __init__(self, bus_address):
        self.bus = Gio.DBusConnection.new_for_address_sync(
            bus_address,
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.items = []          # (bus name, object path), newest last
        self.registrations = []  # (monotonic time, bus name)
        self.signals = []        # (time, signal name)
        self.lock = threading.Lock()
        self.context = GLib.MainContext.new()
        self.loop = GLib.MainLoop.new(self.context, False)
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.owned = threading.Event()
        self.thread.start()
        if not self.owned.wait(10):
            raise RuntimeError("tray host did not start")

    def _run(self):
        self.context.push_thread_default()
        node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
        self.reg_id = self.bus.register_object(
            "/StatusNotifierWatcher", node.interfaces[0], self._call, self._get, None)
        self.bus.signal_subscribe(None, ITEM_IFACE, None, None, None,
                                  Gio.DBusSignalFlags.NONE, self._on_item_signal)
        self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "RequestName",
                           GLib.Variant("(su)", (WATCHER, 4)), None,
                           Gio.DBusCallFlags.NONE, -1, None)
        self.owned.set()
        self.loop.run()

    def _call(self, conn, sender, path, iface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            name, obj = (sender, service) if service.startswith("/") else \
                (service, "/StatusNotifierItem")
            with self.lock:
                self.items.append((name, obj))
                self.registrations.append((time.monotonic(), name))
        invocation.return_value(None)

    def _get(self, conn, sender, path, iface, prop):
        if prop == "RegisteredStatusNotifierItems":
            with self.lock:
                return GLib.Variant("as", [n + p for n, p in self.items])
        if prop == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        return GLib.Variant("i", 0)

    def _on_item_signal(self, conn, sender, path, iface, signal, params):
        with self.lock:
            self.signals.append((time.monotonic(), signal))

    # -- as a panel ----------------------------------------------------
    def item(self, timeout=20.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                if self.items:
                    return self.items[-1]
            time.sleep(0.05)
        raise AssertionError("no tray item registered")

    def prop(self, name):
        bus_name, path = self.item()
        reply = self.bus.call_sync(bus_name, path, "org.freedesktop.DBus.Properties", "Get",
                                   GLib.Variant("(ss)", (ITEM_IFACE, name)), None,
                                   Gio.DBusCallFlags.NONE, 5000, None)
        return reply.unpack()[0]

    def prop_within(self, name, timeout=3.0):
        """Reads a property of the item, failing when the program does not
        answer within timeout seconds: its UI thread is busy or blocked."""
        bus_name, path = self.item()
        started = time.monotonic()
        try:
            reply = self.bus.call_sync(bus_name, path, "org.freedesktop.DBus.Properties", "Get",
                                       GLib.Variant("(ss)", (ITEM_IFACE, name)), None,
                                       Gio.DBusCallFlags.NONE, int(timeout * 1000), None)
        except GLib.Error as error:
            raise AssertionError(
                f"the tray item did not answer a read of {name} within {timeout} s "
                f"({time.monotonic() - started:.1f} s: {error.message})") from None
        return reply.unpack()[0]

    def _item_call(self, method, args):
        bus_name, path = self.item()
        self.bus.call_sync(bus_name, path, ITEM_IFACE, method, args, None,
                           Gio.DBusCallFlags.NONE, 5000, None)

    def left_click(self):
        self._item_call("Activate", GLib.Variant("(ii)", (640, 780)))

    def right_click(self):
        self._item_call("ContextMenu", GLib.Variant("(ii)", (640, 780)))

    def menu(self):
        """The menu as the panel would show it: [(id, label or None for a separator)]."""
        bus_name, _ = self.item()
        menu_path = self.prop("Menu")
        self.bus.call_sync(bus_name, menu_path, MENU_IFACE, "AboutToShow",
                           GLib.Variant("(i)", (0,)), None, Gio.DBusCallFlags.NONE, 5000, None)
        reply = self.bus.call_sync(bus_name, menu_path, MENU_IFACE, "GetLayout",
                                   GLib.Variant("(iias)", (0, -1, [])), None,
                                   Gio.DBusCallFlags.NONE, 5000, None)
        _, (root_id, root_props, children) = reply.unpack()
        items = []
        for child in children:
            cid, props, _ = child
            if props.get("type") == "separator":
                items.append((cid, None))
            else:
                items.append((cid, props.get("label", "")))
        return items

    def choose(self, label):
        """Opens the menu and clicks the item with this label."""
        bus_name, _ = self.item()
        menu_path = self.prop("Menu")
        for cid, text in self.menu():
            if text == label:
                self.bus.call_sync(
                    bus_name, menu_path, MENU_IFACE, "Event",
                    GLib.Variant("(isvu)", (cid, "clicked", GLib.Variant("i", 0), 0)), None,
                    Gio.DBusCallFlags.NONE, 5000, None)
                return
        raise AssertionError(f"no menu item {label!r} in {self.menu()}")

    def close(self):
        self.context.invoke_full(GLib.PRIORITY_DEFAULT, lambda: self.loop.quit() or False)
        self.thread.join(5)
        try:
            self.bus.close_sync(None)
        except Exception:
            pass


class ResponsivenessWatch:
    """Reads a property of the tray item over and over from a thread of its
    own while a scenario runs; check() fails when one read went unanswered
    for longer than the bound, so a UI thread that blocks for a while
    between two of the test's own steps is caught too. The bound is well
    above what a loaded two-core machine takes for one loop iteration that
    builds a web view, and far below the blocking waits it guards against
    (a request on the UI thread held it for 20 s and more)."""

    def __init__(self, tray, bound=3.0, pause=0.2):
        self.tray, self.bound, self.pause = tray, bound, pause
        self.failures = []
        self.reads = 0
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while not self.stopping.is_set():
            try:
                self.tray.prop_within("Status", self.bound)
                self.reads += 1
            except AssertionError as failure:
                if not self.stopping.is_set():
                    self.failures.append(str(failure))
            self.stopping.wait(self.pause)

    def stop(self):
        self.stopping.set()
        self.thread.join(self.bound + 5)

    def check(self):
        """Stops the watch; fails with the first unanswered read."""
        self.stop()
        if self.failures:
            raise AssertionError(f"{len(self.failures)} of {self.reads + len(self.failures)} "
                                 f"reads unanswered; first: {self.failures[0]}")
        return self.reads
