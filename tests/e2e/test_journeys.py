"""Journeys through the program as a user meets them, each from a first
start on a fresh desktop."""

import configparser
import os
import time
import unittest
import urllib.parse

from desktop import WORK_AREA, wait_for
from support import LOGIN_TITLE, register_test_browser
import test_notifications

EMAIL, PASSWORD = "demo@murmel.test", "demo1234"


class Journeys(test_notifications.Notifications):
    # That suite runs on its own.
    test_message_while_hidden_shows_a_toast_that_opens_its_conversation = None

    def stored(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(self.settings_file())
        return {k: v for s in parser.sections() for k, v in parser[s].items()}

    def sign_in_and_hide_the_web_client(self):
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")

    def test_first_start_stores_the_first_run_values(self):
        self.launch()
        values = self.stored()
        self.assertEqual(values.get("web_url"), self.service.base)
        self.assertEqual(values.get("re_email", "").lower(), "false")
        self.assertEqual(self.tray.prop("IconName"), "murmel-alarm-signed-out")
        self.assertEqual(self.tray.prop("ToolTip")[2], "Murmel Alarm")

    def test_six_quick_messages_fill_the_stack_of_five(self):
        self.launch()
        self.sign_in_and_hide_the_web_client()
        # Each toast shows for five seconds. Posted one by one, the messages
        # reach the program over several polls of the web client, which on
        # a loaded machine took longer than that, and the first toasts were
        # gone before the last came: sent as one burst, they arrive together.
        self.service.messages([(f"Sender {n}", f"Message {n}", f"conv-{n}") for n in range(6)])
        left, top, width, height = WORK_AREA
        slots = [(left + width - 238, top + height - 71 * (k + 1) - 5) for k in range(5)]
        wait_for(lambda: self.toasts() == slots, what="five toasts in their slots")
        self.save_screenshot("journey-toast-stack")

    def test_media_messages_each_show_a_toast(self):
        self.launch()
        self.sign_in_and_hide_the_web_client()
        kinds = ["image\nphoto.jpg", "video\nclip.mp4", "audio\nvoice.3gp", "contact\nAda",
                 "calendar\nLunch", "geo\nBerlin", "doc\nplan.pdf", "file\nnotes.txt",
                 "mixed\ndoc", "ams\nx", "zumble\nx", "other\nx"]
        # At once, for the five seconds of a toast (see above).
        self.service.messages([("Media", msg, f"media-{n}") for n, msg in enumerate(kinds)],
                              msgtype=1)
        wait_for(lambda: len(self.toasts()) == 5, what="toasts for the media messages")
        self.save_screenshot("journey-media-toasts")

    def test_account_pages_ok_opens_the_account_check_page(self):
        visits = register_test_browser(self.desktop)
        pages = ["emailVerification", "termsAcceptance", "identityCheck", "profileUpdate"]
        self.launch()
        for n, page in enumerate(pages):
            self.service.scenario(accounts=[{"email": EMAIL, "password": PASSWORD,
                                             "signin": page}])
            self.sign_in(EMAIL, PASSWORD)
            dialog = wait_for(lambda: [w for w in self.desktop.mapped(LOGIN_TITLE,
                                                                       pid=self.proc.pid)
                                       if w["width"] not in (281, 1024, 228)],
                              what=f"account dialog for {page}")[0]
            self.desktop.wait_rendered(dialog["id"])
            self.save_screenshot(f"account-dialog-{page}")
            self.desktop.xdotool("windowactivate", "--sync", dialog["id"])
            self.desktop.xdotool("key", "Return")
            wait_for(lambda: len(visits()) == n + 1, what=f"the check page for {page}")
            wait_for(lambda: not [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                                  if w["width"] not in (281, 1024, 228)], what="dialog closed")
            time.sleep(0.5)
        index = urllib.parse.quote(self.service.base + "/index.html", safe="")
        for visit in visits():
            address, query = visit.split("?", 1)
            self.assertEqual(address, self.service.base + "/account/check.do")
            self.assertEqual(query, f"registURL={index}&returnURL={index}&goBackURL={index}"
                                    "&actionID=StartAP&serviceID=k4r9t2m7vq")
        self.assertIsNone(self.proc.poll())


if __name__ == "__main__":
    unittest.main()
