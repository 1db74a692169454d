"""New messages while the web client is out of sight: a toast in the corner
of the work area, the new-message tray image and the alert sound; a click on
the toast opens the conversation in the web client."""

import os
import shutil
import time
import unittest

from Xlib import X, Xatom
from Xlib.protocol import event as xevent

from desktop import WORK_AREA, wait_for
from test_signin import SignedInTest

BINARY_DIR = os.environ.get("MURMEL_BINARY_DIR", "")
EMAIL, PASSWORD = "demo@murmel.test", "demo1234"
TOAST = (228, 66)
NEW_MESSAGE_ICON = "murmel-alarm-new-message"


class Notifications(SignedInTest):
    def launch(self):
        self.program = self.desktop.install_program(
            os.environ["MURMEL_PROGRAM"], self.config_ini)
        # The built sounds beside the program, where it is started.
        shutil.copytree(os.path.join(BINARY_DIR, "sound"),
                        os.path.join(os.path.dirname(self.program), "sound"))
        self.sounds = os.path.join(self.desktop.root, "sounds.log")
        self.desktop.env["MURMEL_SOUND_LOG"] = self.sounds
        return self.relaunch()

    def toasts(self):
        return sorted(((w["x"], w["y"]) for w in self.desktop.windows(pid=self.proc.pid)
                       if w["mapped"] and (w["width"], w["height"]) == TOAST),
                      key=lambda p: -p[1])

    def toast_states(self):
        """The window manager's states of each shown toast, by name."""
        x = self.desktop.x
        shown = [w for w in self.desktop.windows(pid=self.proc.pid)
                 if w["mapped"] and (w["width"], w["height"]) == TOAST]
        states = []
        for w in shown:
            prop = x.create_resource_object("window", w["id"]).get_full_property(
                x.intern_atom("_NET_WM_STATE"), Xatom.ATOM)
            states.append({x.get_atom_name(a) for a in (prop.value if prop else [])})
        return states

    def close_window(self, window_id):
        """Asks the window manager to close the window, as its close box does."""
        x = self.desktop.x
        message = xevent.ClientMessage(
            window=x.create_resource_object("window", window_id),
            client_type=x.intern_atom("_NET_CLOSE_WINDOW"), data=(32, [0, 0, 0, 0, 0]))
        x.screen().root.send_event(
            message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        x.sync()

    def test_message_while_hidden_shows_a_toast_that_opens_its_conversation(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, timeout=40, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        time.sleep(0.5)

        self.service.message("Ada Berg", "Lunch at noon?\nSecond line", "conv-ada")
        left, top, width, height = WORK_AREA
        slot0 = (left + width - 238, top + height - 76)
        self.assertEqual(wait_for(self.toasts, what="toast"), [slot0])
        wait_for(lambda: self.tray.prop("IconName") == NEW_MESSAGE_ICON, what="tray image 265")
        with open(self.sounds) as f:
            self.assertEqual(f.read().split(),
                             [os.path.join(os.path.dirname(self.program), "sound", "sound1.wav")])
        time.sleep(0.5)
        self.save_screenshot("notification-toast")

        # A second message stacks above the first.
        self.service.message("Bo Lind", "Running late", "conv-bo")
        wait_for(lambda: len(self.toasts()) == 2, what="second toast")
        self.assertEqual(self.toasts()[1], (slot0[0], slot0[1] - 71))

        # A click on the lower toast opens the latest message's conversation.
        self.desktop.xdotool("mousemove", slot0[0] + 100, slot0[1] + 40, "click", "1")
        wait_for(self.web_client, what="web client shown by the toast")
        wait_for(lambda: self.tray.prop("IconName") != NEW_MESSAGE_ICON,
                 what="tray image restored")
        received = wait_for(lambda: [r for r in self.service.requests("/client/received")
                                     if "code=307" in r.get("query", "")],
                            what="307 at the web client")
        self.assertIn("data=conv-bo", received[-1]["query"])
        self.assertEqual(len(self.toasts()), 1)
        self.save_screenshot("notification-opened")

        # With the web client out of sight again and the stack closed, the
        # next message shows the lowest toast again, still kept above.
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden again")
        wait_for(lambda: not self.toasts(), what="toasts closed")
        self.service.message("Cy Dahl", "Still there?", "conv-cy")
        self.assertEqual(wait_for(self.toasts, what="toast again"), [slot0])
        wait_for(lambda: [s for s in self.toast_states() if "_NET_WM_STATE_ABOVE" in s],
                 what="toast kept above")


if __name__ == "__main__":
    unittest.main()
