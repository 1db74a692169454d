"""Do-not-disturb from the desktop: while GNOME's show-banners setting is off,
the notification server says it is inhibited, or the active window is
fullscreen on the toasts' monitor, a new message changes the tray image but
shows no toast and plays no sound; once the desktop allows notifications
again, the next message shows its toast and sounds."""

import os
import subprocess
import unittest

from Xlib import X, Xatom
from Xlib.protocol import event as xevent

from desktop import SCREEN_H, SCREEN_W, WORK_AREA, wait_for
from notifyserver import NotificationServer
import test_notifications
from test_notifications import EMAIL, NEW_MESSAGE_ICON, PASSWORD


class DoNotDisturb(test_notifications.Notifications):
    # The stack's own journey runs in its own file.
    test_message_while_hidden_shows_a_toast_that_opens_its_conversation = None

    def sounds_played(self):
        if not os.path.exists(self.sounds):
            return []
        with open(self.sounds) as f:
            return f.read().split()

    def signed_in_and_hidden(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, timeout=40, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")

    def quiet_message_then_allowed(self, allow):
        """A message while quiet, then `allow`, then one more message."""
        self.service.message("Ada Berg", "Quiet please", "conv-ada")
        wait_for(lambda: self.tray.prop("IconName") == NEW_MESSAGE_ICON, what="new-message image")
        # The program changes the image and plays the sound in one turn of
        # its loop, and answers the read of the image only after it.
        self.assertEqual(self.sounds_played(), [], "a sound while quiet")
        self.assertEqual(self.toasts(), [], "a toast while quiet")
        allow()
        self.service.message("Bo Lind", "Loud again", "conv-bo")
        self.assertEqual(len(wait_for(self.sounds_played, what="sound")), 1)
        left, top, width, height = WORK_AREA
        # Had the quiet message been shown, this one would sit in the slot above.
        self.assertEqual(wait_for(self.toasts, what="toast"), [(left + width - 238,
                                                                top + height - 76)])

    def gsettings(self, *args):
        subprocess.run(["gsettings", *args], env=self.desktop.env, check=True)

    def test_show_banners_off_holds_back_toast_and_sound(self):
        # dconf, as on a desktop, keeps the setting in the private
        # XDG_CONFIG_HOME. `gsettings set` returns once its service has
        # written it, and the program's next read sees it. (The keyfile
        # backend let the program learn of the change only when its file
        # monitor fired, which on a busy machine came after the next message.)
        self.gsettings("set", "org.gnome.desktop.notifications", "show-banners", "false")
        self.signed_in_and_hidden()
        self.quiet_message_then_allowed(lambda: self.gsettings(
            "set", "org.gnome.desktop.notifications", "show-banners", "true"))

    def test_inhibited_notification_server_holds_back_toast_and_sound(self):
        self.signed_in_and_hidden()
        # The server appears only now: the program must find it then.
        server = NotificationServer(self.desktop.env["DBUS_SESSION_BUS_ADDRESS"], True)
        self.addCleanup(server.close)
        self.quiet_message_then_allowed(lambda: server.set_inhibited(False))
        self.assertGreaterEqual(server.times_read(), 2, "asked at each message")

    def test_active_fullscreen_window_holds_back_toast_and_sound(self):
        self.signed_in_and_hidden()
        player = self.open_other_window("Film")
        self.set_fullscreen(player, True)
        self.quiet_message_then_allowed(lambda: self.set_fullscreen(player, False))

    # -- another program's window, under the real window manager ----------
    def ask_window_manager(self, window, message, data):
        x = self.desktop.x
        event = xevent.ClientMessage(window=window, client_type=x.intern_atom(message),
                                     data=(32, (data + [0] * 5)[:5]))
        x.screen().root.send_event(
            event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        x.sync()

    def open_other_window(self, title):
        x = self.desktop.x
        screen = x.screen()
        window = screen.root.create_window(200, 150, 480, 320, 0, screen.root_depth,
                                           background_pixel=0x203040)
        window.set_wm_name(title)
        window.change_property(x.intern_atom("_NET_WM_NAME"), x.intern_atom("UTF8_STRING"), 8,
                               title.encode())
        window.map()
        x.sync()
        self.addCleanup(window.destroy)
        wait_for(lambda: self.desktop.mapped(title), what=f"window {title}")
        # Source 2: a pager asks, which the window manager always grants.
        self.ask_window_manager(window, "_NET_ACTIVE_WINDOW", [2, X.CurrentTime])
        wait_for(lambda: self.desktop.active_window() == window.id, what=f"{title} active")
        return window

    def set_fullscreen(self, window, on):
        x = self.desktop.x
        fullscreen = x.intern_atom("_NET_WM_STATE_FULLSCREEN")
        self.ask_window_manager(window, "_NET_WM_STATE", [1 if on else 0, fullscreen, 0, 2])

        def done():
            state = window.get_full_property(x.intern_atom("_NET_WM_STATE"), Xatom.ATOM)
            geometry = window.get_geometry()
            whole_screen = (geometry.width, geometry.height) == (SCREEN_W, SCREEN_H)
            return (fullscreen in (state.value if state else [])) == on and whole_screen == on
        wait_for(done, what="fullscreen " + ("on" if on else "off"))
        self.assertEqual(self.desktop.active_window(), window.id)


if __name__ == "__main__":
    unittest.main()
