"""Do-not-disturb from the desktop: while GNOME's show-banners setting is off,
or the notification server says it is inhibited, a new message changes the
tray image but shows no toast and plays no sound; once the desktop allows
notifications again, the next message shows its toast and sounds."""

import os
import subprocess
import unittest

from desktop import WORK_AREA, wait_for
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
        allow()
        self.service.message("Bo Lind", "Loud again", "conv-bo")
        left, top, width, height = WORK_AREA
        # Had the quiet message been shown, this one would sit in the slot above.
        self.assertEqual(wait_for(self.toasts, what="toast"), [(left + width - 238,
                                                                top + height - 76)])
        self.assertEqual(len(wait_for(self.sounds_played, what="sound")), 1)

    def gsettings(self, *args):
        subprocess.run(["gsettings", *args], env=self.desktop.env, check=True)

    def test_show_banners_off_holds_back_toast_and_sound(self):
        # The keyfile backend keeps the setting in the private XDG_CONFIG_HOME.
        self.desktop.env["GSETTINGS_BACKEND"] = "keyfile"
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


if __name__ == "__main__":
    unittest.main()
