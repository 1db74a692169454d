"""A private desktop for end-to-end tests: Xvfb with a window manager and a
40-pixel panel at the bottom, a session bus, fresh XDG directories, and the
program started from a fresh directory as a user would start it."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

from Xlib import X, Xatom, display as xdisplay

SCREEN_W, SCREEN_H, PANEL_H = 1280, 800, 40
WORK_AREA = (0, 0, SCREEN_W, SCREEN_H - PANEL_H)


def wait_for(predicate, timeout=45.0, interval=0.05, what="condition"):
    """Polls until predicate() is truthy; returns its value or raises."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


# What AddressSanitizer and UndefinedBehaviorSanitizer write to stderr.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "SUMMARY: UndefinedBehaviorSanitizer")


def sanitizer_reports(root):
    """The lines of the logs under root that carry a sanitizer's report."""
    found = []
    for base, _, files in os.walk(root):
        for name in files:
            if not name.endswith(".log"):
                continue
            with open(os.path.join(base, name), "rb") as f:
                for line in f.read().decode("utf-8", "replace").splitlines():
                    if any(mark in line for mark in SANITIZER_MARKS):
                        found.append(f"{name}: {line.strip()}")
    return found


class Desktop:
    def __init__(self, name="e2e"):
        self.root = tempfile.mkdtemp(prefix=f"murmel-{name}-")
        self.sanitizer_reports = []
        self.keep_on_report = None  # a folder that gets the logs when a report is found
        self.env = dict(os.environ)
        for key in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(key, None)
        for sub in ("config", "cache", "data", "runtime"):
            os.makedirs(os.path.join(self.root, sub), mode=0o700)
        self.env.update(
            XDG_CONFIG_HOME=os.path.join(self.root, "config"),
            XDG_CACHE_HOME=os.path.join(self.root, "cache"),
            XDG_DATA_HOME=os.path.join(self.root, "data"),
            XDG_RUNTIME_DIR=os.path.join(self.root, "runtime"),
            GDK_BACKEND="x11",
            NO_AT_BRIDGE="1",
            LANG="C.UTF-8",
            LANGUAGE="en_US",
        )
        self.procs = []
        self.programs = []
        try:
            self._start_x()
            self._start_bus()
            self._start_window_manager()
            self._add_panel()
        except BaseException:
            self.close()
            raise

    # -- the pieces of the desktop -------------------------------------
    def _start_x(self):
        r, w = os.pipe()
        # No auto-repeat: on a loaded machine xdotool can be held up between
        # a key's press and its release for longer than the repeat delay,
        # and the server then types the letter twice.
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
             "-nolisten", "tcp", "-r"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(r)
        self.procs.append(xvfb)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.x = xdisplay.Display(self.env["DISPLAY"])

    def _start_bus(self):
        bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=self.env)
        self.procs.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()

    def _start_window_manager(self):
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(wm)
        root = self.x.screen().root
        check = self.x.intern_atom("_NET_SUPPORTING_WM_CHECK")
        wait_for(lambda: root.get_full_property(check, X.AnyPropertyType), what="window manager")

    def _add_panel(self):
        """A dock window reserving PANEL_H pixels at the bottom, as a panel does."""
        screen = self.x.screen()
        panel = screen.root.create_window(0, SCREEN_H - PANEL_H, SCREEN_W, PANEL_H, 0,
                                          screen.root_depth, background_pixel=0x303030)
        atom = self.x.intern_atom
        panel.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                              [atom("_NET_WM_WINDOW_TYPE_DOCK")])
        strut = [0, 0, 0, PANEL_H, 0, 0, 0, 0, 0, 0, 0, SCREEN_W - 1]
        panel.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, strut)
        panel.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, 0, PANEL_H])
        self.panel = panel
        # A dock mapped while the window manager is still starting can be
        # missed; map it again until the work area shows its strut.
        for attempt in range(4):
            panel.map()
            self.x.sync()
            try:
                wait_for(lambda: self.work_area() == WORK_AREA, timeout=5, what="work area")
                break
            except AssertionError:
                if attempt == 3:
                    raise
                panel.unmap()
                self.x.sync()
        # The window manager places a dock where it likes; put it back.
        panel.configure(x=0, y=SCREEN_H - PANEL_H)
        self.x.sync()

    # -- looking at the screen -----------------------------------------
    def work_area(self):
        prop = self.x.screen().root.get_full_property(
            self.x.intern_atom("_NET_WORKAREA"), X.AnyPropertyType)
        return tuple(prop.value[:4]) if prop else None

    def _title(self, win):
        try:
            prop = win.get_full_property(self.x.intern_atom("_NET_WM_NAME"), X.AnyPropertyType)
            if prop and prop.value:
                v = prop.value
                return v.decode("utf-8", "replace") if isinstance(v, bytes) else str(v)
            name = win.get_wm_name()
            return name.decode() if isinstance(name, bytes) else name
        except Exception:
            return None

    def windows(self, title=None, pid=None):
        """Client windows (those with a title), as dicts, optionally filtered."""
        out = []
        pid_atom = self.x.intern_atom("_NET_WM_PID")

        def walk(win):
            try:
                children = win.query_tree().children
            except Exception:
                return
            for child in children:
                t = self._title(child)
                if t is not None and t != "":
                    info = self._describe(child, t, pid_atom)
                    if info and (title is None or info["title"] == title) and \
                            (pid is None or info["pid"] == pid):
                        out.append(info)
                walk(child)
        walk(self.x.screen().root)
        return out

    def _describe(self, win, title, pid_atom):
        try:
            attrs = win.get_attributes()
            geo = win.get_geometry()
            pos = win.translate_coords(self.x.screen().root, 0, 0)
            pid = win.get_full_property(pid_atom, X.AnyPropertyType)
            return {
                "id": win.id, "title": title,
                "mapped": attrs.map_state == X.IsViewable,
                "x": -pos.x, "y": -pos.y, "width": geo.width, "height": geo.height,
                "pid": int(pid.value[0]) if pid else None,
            }
        except Exception:
            return None

    def mapped(self, title, pid=None):
        return [w for w in self.windows(title, pid) if w["mapped"]]

    def active_window(self):
        prop = self.x.screen().root.get_full_property(
            self.x.intern_atom("_NET_ACTIVE_WINDOW"), X.AnyPropertyType)
        return prop.value[0] if prop and len(prop.value) else 0

    def icon_sizes(self, window_id):
        """The (width, height) of each image in the window's _NET_WM_ICON."""
        win = self.x.create_resource_object("window", window_id)
        prop = win.get_full_property(self.x.intern_atom("_NET_WM_ICON"), X.AnyPropertyType)
        data = list(prop.value) if prop else []
        sizes = []
        while len(data) >= 2 and data[0] * data[1] <= len(data) - 2:
            sizes.append((data[0], data[1]))
            data = data[2 + data[0] * data[1]:]
        return sizes

    def wait_rendered(self, window_id, timeout=20.0):
        """Waits until the window shows more than a plain background."""
        def colours():
            out = subprocess.run(["import", "-window", str(window_id), "-format", "%k", "info:"],
                                 env=self.env, capture_output=True, text=True)
            return out.returncode == 0 and out.stdout.strip().isdigit() and \
                int(out.stdout.strip()) > 8
        wait_for(colours, timeout, interval=0.2, what="window content")

    def pixel(self, window_id, x, y):
        """The (r, g, b) colour of a window's pixel, or None."""
        out = subprocess.run(["import", "-window", str(window_id), "-crop", f"1x1+{x}+{y}",
                              "-depth", "8", "txt:-"], env=self.env, capture_output=True,
                             text=True)
        for line in out.stdout.splitlines():
            if line.startswith("0,0:"):
                inner = line.split("(", 1)[1].split(")", 1)[0]
                return tuple(int(float(v)) for v in inner.split(",")[:3])
        return None

    def pixels(self, window_id, x, y, width, height):
        """The (r, g, b) colours of a rectangle of a window, row by row."""
        out = subprocess.run(["import", "-window", str(window_id), "-crop",
                              f"{width}x{height}+{x}+{y}", "-depth", "8", "txt:-"],
                             env=self.env, capture_output=True, text=True)
        colours = []
        for line in out.stdout.splitlines():
            if line.startswith("#") or "(" not in line:
                continue
            inner = line.split("(", 1)[1].split(")", 1)[0]
            colours.append(tuple(int(float(v)) for v in inner.split(",")[:3]))
        return colours

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True,
                              capture_output=True, text=True).stdout

    # -- the program ---------------------------------------------------
    def install_program(self, binary, config_ini=None):
        """Copies the program into a fresh folder, with its engine module,
        its EGL driver and its config.ini."""
        folder = os.path.join(self.root, "program")
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, "murmel-alarm")
        shutil.copy2(binary, target)
        # Builds from before the engine became a module have none, nor
        # those from before the driver.
        for name in ("murmel-engine.so", "murmel-no-gl.so", "murmel-no-gl.json"):
            path = os.path.join(os.path.dirname(binary), name)
            if os.path.exists(path):
                shutil.copy2(path, folder)
        if config_ini is not None:
            with open(os.path.join(folder, "config.ini"), "w") as f:
                f.write(config_ini)
        return target

    def start(self, program, extra_env=None, cwd=None):
        env = dict(self.env)
        env.update(extra_env or {})
        with open(os.path.join(self.root, f"program-{len(self.programs)}.log"), "wb") as log:
            proc = subprocess.Popen([program], env=env, cwd=cwd or os.path.dirname(program),
                                    stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        self.programs.append(proc)
        return proc

    def close(self):
        for proc in self.programs + list(reversed(self.procs)):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM) if proc in self.programs \
                        else proc.terminate()
                    proc.wait(timeout=5)
                except Exception:
                    proc.kill()
        try:
            if hasattr(self, "x"):
                self.x.close()
        except Exception:
            pass
        # Everything has ended, so every report a sanitizer writes at exit
        # is in the logs by now.
        self.sanitizer_reports = sanitizer_reports(self.root)
        if self.sanitizer_reports and self.keep_on_report:
            shutil.copytree(self.root, self.keep_on_report, dirs_exist_ok=True,
                            ignore=shutil.ignore_patterns("runtime"))
        shutil.rmtree(self.root, ignore_errors=True)
