"""One program run on a private desktop, driven as a user drives it: start,
sign in on the login page, close the web client to the tray, quit from the
tray. Each step waits on what can be seen from outside: X windows, the tray
host's D-Bus view and the service's request log."""

import os
import shutil
import sys
import time

from Xlib import X, protocol

E2E = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e")
sys.path.insert(0, E2E)

from desktop import Desktop, WORK_AREA, wait_for  # noqa: E402
from service import Service  # noqa: E402
from support import LOGIN_TITLE  # noqa: E402
from test_signin import EMAIL_FIELD, LOGIN_BUTTON, is_accent  # noqa: E402
from trayhost import TrayHost  # noqa: E402

import procs  # noqa: E402
from xwatch import MapWatcher, PixelWatcher  # noqa: E402

LOGIN_SIZE = (281, 387)
BARE_TITLE = "Bare engine"
WEB_CLIENT_WIDTH = 1024
ACCOUNT = ("demo@murmel.test", "demo1234")


def login_button_on_screen():
    """Where the login button lands: the login window is centred in the
    work area."""
    left, top, width, height = WORK_AREA
    return (left + (width - LOGIN_SIZE[0]) // 2 + LOGIN_BUTTON[0],
            top + (height - LOGIN_SIZE[1]) // 2 + LOGIN_BUTTON[1])


class Run:
    def __init__(self, program, sounds=None):
        self.desktop = Desktop("bench")
        self.service = None
        self.tray = None
        self.watcher = None
        try:
            self.service = Service(self.desktop.root)
            self.tray = TrayHost(self.desktop.env["DBUS_SESSION_BUS_ADDRESS"])
            self.watcher = MapWatcher(self.desktop.env["DISPLAY"])
            self.program = self.desktop.install_program(program, self.service.config_ini())
            # The alert sounds beside the program, where it is started.
            if sounds and os.path.isdir(sounds):
                shutil.copytree(sounds, os.path.join(os.path.dirname(self.program), "sound"))
        except BaseException:
            self.close()
            raise
        self.proc = None
        self.login = None

    # -- start-up --------------------------------------------------------
    def start(self):
        """Starts the program and returns the seconds from the start to the
        tray item registered, the login window mapped and the login form
        drawn."""
        drawn = PixelWatcher(self.desktop.env["DISPLAY"], *login_button_on_screen(), is_accent)
        t0 = time.monotonic()
        self.proc = self.desktop.start(self.program, self.service.program_env())
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid),
                         interval=0.02, what="login window")[0]
        self.login = login["id"]
        self.tray.item()
        mapped = wait_for(lambda: self.watcher.shown_at(self.login, t0), what="map event")
        drawn_at = drawn.wait()
        return {
            "tray_registered": self.tray.registrations[0][0] - t0,
            "login_mapped": mapped - t0,
            "login_drawn": None if drawn_at is None else drawn_at - t0,
            "cpu_to_drawn": procs.cpu_seconds_between({}, procs.cpu_ticks(self.processes())),
        }

    # -- what it costs ---------------------------------------------------
    def processes(self):
        return procs.tree(self.proc.pid)

    def helpers(self):
        """Processes on the desktop's session bus that are neither the
        program's nor the desktop's own: started on the program's behalf."""
        own = {os.getpid(), self.service.proc.pid, *(p.pid for p in self.desktop.procs)}
        own.update(self.processes())
        return procs.session_helpers(self.desktop.env["DBUS_SESSION_BUS_ADDRESS"], own)

    def memory(self):
        own = self.processes()
        total, parts, uss, rss, uss_parts = procs.memory(procs.label_web_processes(own))
        helpers_total, helper_parts, _, _, _ = procs.memory(self.helpers())
        return {"total_mib": total, "parts": parts, "uss_mib": uss, "rss_mib": rss,
                "uss_parts": uss_parts, "foreign_webkit": procs.foreign_webkit(own),
                "helpers_mib": helpers_total, "helper_parts": helper_parts}

    # -- signing in --------------------------------------------------------
    def _click(self, at):
        self.desktop.xdotool("mousemove", "--window", self.login, at[0], at[1], "click", 1)

    def sign_in(self):
        """Types the demo account into the login page and waits until the
        web client listens for events; returns the seconds from pressing
        Return to that."""
        email, password = ACCOUNT
        wait_for(lambda: self.service.requests("/account/plugin_signin.html"),
                 what="the service's sign-in page")
        wait_for(lambda: is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON)),
                 what="the login form")
        # Keys only after the one click: the page handles key presses in
        # order, while a click could overtake keys it has not handled yet.
        self._click(EMAIL_FIELD)
        self.desktop.xdotool("key", "ctrl+a")
        self.desktop.xdotool("type", "--delay", "15", email)
        self.desktop.xdotool("key", "Tab")
        self.desktop.xdotool("type", "--delay", "15", password)
        t0 = time.monotonic()
        self.desktop.xdotool("key", "Return")
        wait_for(self.web_client, what="web-client window")
        wait_for(lambda: self.tray.prop("IconName") == "murmel-alarm-signed-in",
                 what="signed-in tray icon")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0,
                 what="web client listening")
        return time.monotonic() - t0

    def web_client(self):
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if w["width"] == WEB_CLIENT_WIDTH]

    def close_web_client(self):
        """Asks the web-client window to close, as its title bar's close
        button does, and waits until it is hidden."""
        window = self.desktop.x.create_resource_object("window", self.web_client()[0]["id"])
        atom = self.desktop.x.intern_atom
        event = protocol.event.ClientMessage(
            window=window, client_type=atom("WM_PROTOCOLS"),
            data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.desktop.x.sync()
        wait_for(lambda: not self.web_client(), what="web client hidden")

    def quit(self):
        """Quits from the tray menu; returns the exit status."""
        self.tray.choose("Quit")
        return self.proc.wait(timeout=20)

    def close(self):
        for part in (self.watcher, self.tray):
            if part is not None:
                try:
                    part.close()
                except Exception:
                    pass
        if self.service is not None:
            self.service.stop()
        self.desktop.close()


class BareRun:
    """One run of the bare engine program on a fresh desktop of its own: the
    floor the program's start-up time and memory are compared with."""

    def __init__(self, program):
        self.desktop = Desktop("bench-bare")
        self.watcher = None
        self.proc = None
        try:
            self.watcher = MapWatcher(self.desktop.env["DISPLAY"])
        except BaseException:
            self.close()
            raise
        self.program = program

    def start(self):
        """Starts the bare program; returns the seconds from its start to its
        window mapped and to its page's colour on screen, at the same place
        as the program's login button."""
        drawn = PixelWatcher(self.desktop.env["DISPLAY"], *login_button_on_screen(), is_accent)
        t0 = time.monotonic()
        self.proc = self.desktop.start(self.program)
        window = wait_for(lambda: self.desktop.mapped(BARE_TITLE, pid=self.proc.pid),
                          interval=0.02, what="bare window")[0]
        mapped = wait_for(lambda: self.watcher.shown_at(window["id"], t0), what="map event")
        drawn_at = drawn.wait()
        return {"mapped": mapped - t0, "drawn": None if drawn_at is None else drawn_at - t0,
                "cpu_to_drawn": procs.cpu_seconds_between(
                    {}, procs.cpu_ticks(procs.tree(self.proc.pid)))}

    def memory(self):
        own = procs.tree(self.proc.pid)
        total, parts, uss, rss, uss_parts = procs.memory(procs.label_web_processes(own))
        return {"total_mib": total, "parts": parts, "uss_mib": uss, "rss_mib": rss,
                "uss_parts": uss_parts, "foreign_webkit": procs.foreign_webkit(own)}

    def close(self):
        if self.watcher is not None:
            try:
                self.watcher.close()
            except Exception:
                pass
        self.desktop.close()
