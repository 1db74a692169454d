"""Session paths that must each end in a usable program: the login window
at start and at a right click on the tray item, a sign-in after the logout
notice was closed with Escape, and toasts while a message box is open."""

import json
import os
import time
import unittest

from desktop import WORK_AREA, wait_for
from support import LOGIN_TITLE
from test_signin import LOGIN_BUTTON, is_accent
import test_notifications
from xmaps import MapRecorder

EMAIL, PASSWORD = "demo@murmel.test", "demo1234"
LOGIN_SIZE = (281, 387)


class SessionPaths(test_notifications.Notifications):
    # That suite runs on its own.
    test_message_while_hidden_shows_a_toast_that_opens_its_conversation = None

    def setUp(self):
        super().setUp()
        self.maps = MapRecorder(self.desktop.env["DISPLAY"])
        self.addCleanup(self.maps.close)

    def login_windows(self):
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if (w["width"], w["height"]) == LOGIN_SIZE]

    def dialogs(self):
        """Boxes and notices: the program's mapped windows of no other size."""
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if w["width"] not in (LOGIN_SIZE[0], 1024, 228)]

    def signed_in(self):
        return self.tray.prop("IconName") == "murmel-alarm-signed-in"

    def sign_in_and_hide_the_web_client(self):
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, what="web-client window")[0]
        wait_for(self.signed_in, what="signed in")
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        wait_for(lambda: not self.login_windows(), what="login window hidden")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")

    def test_the_login_window_is_mapped_only_once_its_page_has_loaded(self):
        pages = os.path.join(self.desktop.root, "pages.jsonl")
        self.desktop.env["MURMEL_PAGE_LOG"] = pages
        self.launch()

        def login_loaded():
            if not os.path.exists(pages):
                return None
            with open(pages) as f:
                lines = [json.loads(line) for line in f if line.strip()]
            return [line["monotonicUs"] / 1e6 for line in lines
                    if line["url"].endswith("/html/login.html")]
        loaded = wait_for(login_loaded, what="the login page's load noted")[0]
        shown = wait_for(lambda: self.maps.shown(self.login), what="the login window's map")
        # The program notes the load before it asks for the window to be
        # mapped, and the server tells us of the map after it happened.
        self.assertGreater(shown[0], loaded, "mapped before its page had loaded")
        self.assertEqual(len(shown), 1)
        # Run from the build tree, the program draws its icon from its own image.
        self.assertIn((48, 48), self.desktop.icon_sizes(self.login))

    def test_a_right_click_while_signed_in_leaves_the_login_window_hidden(self):
        self.launch()
        self.sign_in_and_hide_the_web_client()
        since = time.monotonic()
        self.tray.right_click()
        wait_for(lambda: self.maps.popups_since(since), what="the tray menu")
        self.desktop.xdotool("key", "Escape")
        wait_for(lambda: self.tray.prop_within("Status"), what="the program answering")
        self.assertEqual(self.maps.shown(self.login, after=since), [])
        self.assertEqual(self.login_windows(), [])
        self.assertTrue(self.signed_in())

    def test_a_sign_in_after_the_logout_notice_was_escaped_takes_typed_messages(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        wait_for(self.web_client, what="web-client window")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")
        self.service.logout()
        notice = wait_for(self.dialogs, what="logout notice")[0]
        self.assertTrue(self.desktop.icon_sizes(notice["id"]))
        self.desktop.xdotool("windowactivate", "--sync", notice["id"])
        self.desktop.xdotool("key", "Escape")
        wait_for(lambda: not self.dialogs(), what="notice closed")
        # The web client it stood in front of goes too, back to the sign-in page.
        wait_for(lambda: not self.web_client(), what="web client hidden")

        # A conversation to write in, then Sign In from the tray.
        self.service.message("Ada Berg", "Lunch at noon?", "conv-ada")
        self.tray.choose("Sign In")
        wait_for(self.login_windows, what="login window")
        wait_for(lambda: is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON)),
                 what="the login form")
        seen = self.service.requests()
        since = seen[-1]["seq"] if seen else 0
        self.sign_in(EMAIL, PASSWORD)
        wait_for(self.signed_in, what="signed in again")
        client = wait_for(self.web_client, what="web-client window")[0]
        wait_for(lambda: self.service.requests("/client/conversations", since),
                 what="the web client's conversations")
        self.desktop.wait_rendered(client["id"])
        # The composer's field sits at the bottom of the chat, right of the
        # conversation list.
        self.desktop.xdotool("mousemove", "--window", client["id"], 600,
                             client["height"] - 70, "click", "1")
        self.desktop.xdotool("type", "--delay", "15", "See you there")
        self.desktop.xdotool("key", "Return")
        sent = wait_for(lambda: self.service.requests("/client/send", since),
                        what="the typed message at the service")
        self.assertEqual(len(sent), 1)
        self.save_screenshot("session-paths-sent")

    def test_a_toast_clicked_while_a_message_box_is_open_opens_its_conversation(self):
        self.launch()
        self.sign_in_and_hide_the_web_client()
        # The web client reports a page error: the program's box opens and
        # stays open while a message arrives.
        self.service._request("POST", "/_control/events", {"type": "error"})
        box = wait_for(self.dialogs, what="error box")[0]
        self.assertTrue(self.desktop.icon_sizes(box["id"]))
        self.service.message("Ada Berg", "Lunch at noon?", "conv-ada")
        left, top, width, height = WORK_AREA
        slot0 = (left + width - 238, top + height - 76)
        self.assertEqual(wait_for(self.toasts, what="toast"), [slot0])
        self.desktop.xdotool("mousemove", slot0[0] + 100, slot0[1] + 40, "click", "1")
        received = wait_for(lambda: [r for r in self.service.requests("/client/received")
                                     if "code=307" in r.get("query", "")],
                            what="307 at the web client")
        self.assertIn("data=conv-ada", received[-1]["query"])
        wait_for(self.web_client, what="web client shown by the toast")
        self.assertIn(box["id"], [w["id"] for w in self.dialogs()])
        self.save_screenshot("session-paths-toast-under-box")
        self.desktop.xdotool("windowactivate", "--sync", box["id"])
        self.desktop.xdotool("key", "Return")
        wait_for(lambda: not self.dialogs(), what="box closed")


if __name__ == "__main__":
    unittest.main()
