"""Debian's xfce4-panel as a real tray host for end-to-end tests: one panel
along the top of the screen holding only its status tray plugin, which hosts
StatusNotifierItems. Its settings come from the test's private
XDG_CONFIG_HOME, served by an xfconfd of its own on the test's bus."""

import glob
import os
import shutil
import subprocess

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

from Xlib import X  # noqa: E402

from desktop import SCREEN_W, wait_for  # noqa: E402

PANEL = shutil.which("xfce4-panel")
XFCONFD = next(iter(sorted(glob.glob("/usr/lib/*/xfce4/xfconf/xfconfd") +
                           glob.glob("/usr/lib/xfce4/xfconf/xfconfd"))), None)
HEIGHT = 32
ICON_SIZE = 24
WATCHER = "org.kde.StatusNotifierWatcher"

# p=6: along the top edge, the whole width. Only the tray plugin, so the
# item sits at the panel's left end.
CHANNEL = f"""<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="false"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="{HEIGHT}"/>
      <property name="icon-size" type="uint" value="{ICON_SIZE}"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""


class XfcePanel:
    def __init__(self, desktop):
        if not XFCONFD:
            raise RuntimeError("xfconfd not found: install xfconf (scripts/deps.txt)")
        self.desktop = desktop
        channel_dir = os.path.join(desktop.env["XDG_CONFIG_HOME"], "xfce4", "xfconf",
                                   "xfce-perchannel-xml")
        os.makedirs(channel_dir, exist_ok=True)
        with open(os.path.join(channel_dir, "xfce4-panel.xml"), "w") as f:
            f.write(CHANNEL)
        self.log_path = os.path.join(desktop.root, "xfce4-panel.log")
        self.log = open(self.log_path, "ab")
        self.procs = []
        try:
            self.procs.append(subprocess.Popen([XFCONFD], env=desktop.env, stdout=self.log,
                                               stderr=subprocess.STDOUT))
            self.procs.append(subprocess.Popen([PANEL, "--sm-client-disable"], env=desktop.env,
                                               stdout=self.log, stderr=subprocess.STDOUT))
            self.bus = Gio.DBusConnection.new_for_address_sync(
                desktop.env["DBUS_SESSION_BUS_ADDRESS"],
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
            wait_for(self._hosting, timeout=30, what="the panel's status tray")
        except BaseException:
            self.close()
            raise

    def _hosting(self):
        """True once the tray plugin owns the watcher and says it hosts."""
        try:
            reply = self.bus.call_sync(WATCHER, "/StatusNotifierWatcher",
                                       "org.freedesktop.DBus.Properties", "Get",
                                       GLib.Variant("(ss)", (WATCHER,
                                                             "IsStatusNotifierHostRegistered")),
                                       None, Gio.DBusCallFlags.NO_AUTO_START, 2000, None)
        except GLib.Error:
            return False
        return reply.unpack()[0]

    def items(self):
        reply = self.bus.call_sync(WATCHER, "/StatusNotifierWatcher",
                                   "org.freedesktop.DBus.Properties", "Get",
                                   GLib.Variant("(ss)", (WATCHER, "RegisteredStatusNotifierItems")),
                                   None, Gio.DBusCallFlags.NO_AUTO_START, 2000, None)
        return reply.unpack()[0]

    def plugin_pid(self):
        """The process of the tray plugin, which the panel runs apart and
        embeds: it draws the items and their menus."""
        panel_pid = self.procs[-1].pid
        plugs = [w for w in self.desktop.windows() if w["mapped"] and w["y"] < HEIGHT and
                 w["pid"] not in (None, panel_pid) and w["title"].startswith("wrapper")]
        return plugs[0]["pid"]

    def strip(self):
        """The panel's pixels as (r, g, b), row by row, as the screen shows them."""
        root = self.desktop.x.screen().root
        image = root.get_image(0, 0, SCREEN_W, HEIGHT, X.ZPixmap, 0xFFFFFFFF)
        raw = image.data  # 32 bits a pixel at depth 24: blue, green, red, unused
        return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 4)]

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
        if hasattr(self, "bus"):
            try:
                self.bus.close_sync(None)
            except GLib.Error:
                pass
        self.log.close()
