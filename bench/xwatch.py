"""Time stamps from the X server: a thread on its own connection hears every
top-level window being mapped, reparented into a window-manager frame or
unmapped, and notes when each event arrived."""

import select
import threading
import time

from Xlib import X, display as xdisplay


class MapWatcher:
    def __init__(self, display_name):
        self.x = xdisplay.Display(display_name)
        root = self.x.screen().root
        root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()
        self.lock = threading.Lock()
        self.events = []  # (monotonic time, "map" | "unmap" | "reparent", window, parent)
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        fd = self.x.fileno()
        kinds = {X.MapNotify: "map", X.UnmapNotify: "unmap", X.ReparentNotify: "reparent"}
        while not self.stopping.is_set():
            readable, _, _ = select.select([fd], [], [], 0.1)
            now = time.monotonic()
            if not readable and not self.x.pending_events():
                continue
            while self.x.pending_events():
                event = self.x.next_event()
                kind = kinds.get(event.type)
                if kind is None:
                    continue
                parent = event.parent.id if kind == "reparent" else None
                with self.lock:
                    self.events.append((now, kind, event.window.id, parent))

    def shown_at(self, window, after=0.0):
        """When the client window became visible after the given time: the
        map of the frame it was last put into, or its own map when the
        window manager left it on the root (as for override-redirect
        windows). None when it was not."""
        with self.lock:
            events = list(self.events)
        frame = None
        for stamp, kind, win, parent in events:
            if kind == "reparent" and win == window:
                frame = parent
            elif kind == "map" and stamp >= after and win in (window, frame):
                return stamp
        return None

    def maps_since(self, after):
        """[(time, client window)] of every map on the root after the given
        time; a frame's map counts as that of the client it holds."""
        with self.lock:
            events = list(self.events)
        holds = {}
        out = []
        for stamp, kind, win, parent in events:
            if kind == "reparent":
                holds[parent] = win
            elif kind == "map" and stamp >= after:
                out.append((stamp, holds.get(win, win)))
        return out

    def close(self):
        self.stopping.set()
        self.thread.join(2)
        self.x.close()


class PixelWatcher:
    """Polls one pixel of the screen until a predicate holds and notes when
    it first did: the moment a page's content was drawn there."""

    def __init__(self, display_name, x, y, predicate, interval=0.01, timeout=30.0):
        self.x = xdisplay.Display(display_name)
        self.at = (x, y)
        self.predicate = predicate
        self.interval = interval
        self.deadline = time.monotonic() + timeout
        self.seen = None
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _colour(self):
        image = self.x.screen().root.get_image(self.at[0], self.at[1], 1, 1, X.ZPixmap,
                                                0xFFFFFFFF)
        b, g, r = image.data[0], image.data[1], image.data[2]
        return r, g, b

    def _run(self):
        try:
            while time.monotonic() < self.deadline:
                now = time.monotonic()
                if self.predicate(self._colour()):
                    self.seen = now
                    return
                time.sleep(self.interval)
        finally:
            self.x.close()

    def wait(self):
        self.thread.join()
        return self.seen
