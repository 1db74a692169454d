"""The X server's account of windows being shown: a thread on its own
connection hears every top-level window being mapped or reparented into a
window-manager frame, and notes when each event arrived (time.monotonic)."""

import select
import threading
import time

from Xlib import X, display as xdisplay


class MapRecorder:
    def __init__(self, display_name):
        self.x = xdisplay.Display(display_name)
        self.x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()
        self.lock = threading.Lock()
        # (time, "map" | "reparent", window, parent or None, override-redirect)
        self.events = []
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while not self.stopping.is_set():
            readable, _, _ = select.select([self.x.fileno()], [], [], 0.1)
            if not readable and not self.x.pending_events():
                continue
            now = time.monotonic()
            while self.x.pending_events():
                event = self.x.next_event()
                if event.type == X.MapNotify:
                    entry = (now, "map", event.window.id, None, bool(event.override))
                elif event.type == X.ReparentNotify:
                    entry = (now, "reparent", event.window.id, event.parent.id, False)
                else:
                    continue
                with self.lock:
                    self.events.append(entry)

    def shown(self, window, after=0.0):
        """The times the client window was shown after the given time: each
        map of the frame it was then in, or of itself while on the root."""
        with self.lock:
            events = list(self.events)
        frame, out = None, []
        for stamp, kind, win, parent, _ in events:
            if kind == "reparent" and win == window:
                frame = parent
            elif kind == "map" and stamp >= after and win in (window, frame):
                out.append(stamp)
        return out

    def popups_since(self, after):
        """Override-redirect windows (menus, tooltips) mapped after the time."""
        with self.lock:
            return [win for stamp, kind, win, _, override in self.events
                    if kind == "map" and override and stamp >= after]

    def close(self):
        self.stopping.set()
        self.thread.join(2)
        self.x.close()
