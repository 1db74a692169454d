"""Broken and hostile servers as a user meets them: redirects, answers that
never come or stop halfway, errors and garbage from the authentication
service, a keep-alive that fails, a version file that is not one, and the
service going away mid-session. Every scenario keeps the tray item
answering within a few seconds throughout and leaves the settings file as
it was."""

import json
import os
import unittest

from desktop import wait_for
from support import LOGIN_TITLE
from test_signin import EMAIL_FIELD, LOGIN_BUTTON, SignedInTest, is_accent
from trayhost import ResponsivenessWatch

EMAIL, PASSWORD = "demo@murmel.test", "demo1234"
NETWORK_ERROR = "Network error"
LOGIN_ERROR = "Login error. Please try again later."
OPTIONAL_UPDATE = "A new version is ready.\nInstall now?"
SIGN_OUT_QUESTION = "\ub85c\uadf8\uc544\uc6c3 \ud558\uc2dc\uaca0\uc2b5\ub2c8\uae4c?"
SIGNED_IN, SIGNED_OUT = "murmel-alarm-signed-in", "murmel-alarm-signed-out"
# The row of the login window where the e-mail error replaces the
# "Remember my E-mail" box.
MESSAGE_ROW = (10, 278, 260, 20)


class FaultTest(SignedInTest):
    def setUp(self):
        super().setUp()
        self.message_log = os.path.join(self.desktop.root, "message-boxes.jsonl")
        self.watch = None

    def program_env(self):
        env = self.service.program_env()
        env["MURMEL_MESSAGE_LOG"] = self.message_log
        return env

    def start(self):
        """Starts the program and the watch on its tray item; keeps the
        settings file as it is once the login form shows."""
        self.launch()
        self.watch = ResponsivenessWatch(self.tray)
        self.addCleanup(self.watch.stop)
        self.settings_before = self.settings_text()

    def settings_text(self):
        path = self.settings_file()
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def finish(self):
        """The program's UI thread answered throughout, it is still running,
        and the settings file is what it was."""
        self.assertIsNone(self.proc.poll(), "the program ended")
        self.tray.prop_within("IconName")
        self.assertGreater(self.watch.check(), 0)
        self.assertEqual(self.settings_text(), self.settings_before)

    # -- what the user sees --------------------------------------------
    def boxes(self):
        """Texts of the message boxes shown so far, in order."""
        if not os.path.exists(self.message_log):
            return []
        with open(self.message_log) as f:
            return [json.loads(line)["text"] for line in f if line.strip()]

    def box_window(self):
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if w["width"] not in (281, 1024)]

    def next_box(self, timeout=45):
        """Waits for one more message box than seen so far; returns its text."""
        seen = self.boxes_seen = getattr(self, "boxes_seen", 0) + 1
        wait_for(lambda: len(self.boxes()) >= seen, timeout=timeout, what=f"message box {seen}")
        self.box = wait_for(self.box_window, what="the box on screen")[0]
        self.tray.prop_within("Status")
        return self.boxes()[seen - 1]

    def close_box(self, key="Return"):
        self.desktop.xdotool("windowactivate", "--sync", self.box["id"])
        self.desktop.xdotool("key", key)
        wait_for(lambda: not [w for w in self.box_window() if w["id"] == self.box["id"]],
                 what="the box to close")

    def login_window(self):
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if w["width"] == 281]

    def form_shown(self):
        return bool(self.login_window()) and \
            is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON))

    def email_error_shown(self):
        """The e-mail error's red text in the row under the fields."""
        return any(r > 150 and g < 110 and b < 110
                   for r, g, b in self.desktop.pixels(self.login, *MESSAGE_ROW))

    def icon(self):
        return self.tray.prop_within("IconName")

    def assert_back_at_the_form(self, email_error=False):
        wait_for(self.form_shown, what="the login form")
        self.assertEqual(self.icon(), SIGNED_OUT)
        self.assertEqual(self.web_client(), [])
        self.assertEqual(self.email_error_shown(), email_error)

    def sign_in_as_user(self, email=EMAIL, password=PASSWORD):
        """Types both fields afresh (a failed attempt leaves the password in
        its field) and presses Enter."""
        self.click(EMAIL_FIELD)
        self.desktop.xdotool("key", "ctrl+a")
        self.desktop.xdotool("type", "--delay", "15", email)
        self.desktop.xdotool("key", "Tab", "ctrl+a")
        self.desktop.xdotool("type", "--delay", "15", password)
        self.desktop.xdotool("key", "Return")

    def wait_signed_in(self, timeout=45):
        wait_for(lambda: self.web_client() and self.icon() == SIGNED_IN, timeout=timeout,
                 what="signed in")

    def requests(self, path):
        return self.service.requests(path) or []


class OutsideFaults(FaultTest):
    def test_password_redirected_to_plain_http_is_never_sent_there(self):
        self.service.scenario(auth={"redirect": {"to": "http", "count": 1, "status": 307}})
        self.start()
        self.sign_in_as_user()
        # The refused redirect is a failed credential check.
        self.assertEqual(self.next_box(), NETWORK_ERROR)
        checks = self.requests("/auth/user/isvalid")
        self.assertEqual([(r["scheme"], r["status"]) for r in checks], [("https", 307)])
        self.assertFalse([r for r in self.requests(None)
                          if r["scheme"] == "http" and PASSWORD in r["body"]])
        self.close_box()
        self.assert_back_at_the_form()
        self.finish()

    def test_version_file_that_never_answers_keeps_the_program_usable(self):
        self.service.scenario(version={"silent": True})
        self.program = self.desktop.install_program(self.program_binary(), self.config_ini)
        self.proc = self.desktop.start(self.program, self.program_env())
        self.tray.item()
        self.watch = ResponsivenessWatch(self.tray)
        self.addCleanup(self.watch.stop)
        login = wait_for(self.login_window, what="login window")[0]
        self.login = login["id"]
        wait_for(self.form_shown, what="the login form")
        self.settings_before = self.settings_text()
        # The check before the sign-in gets no answer either; the sign-in
        # goes on as with an up-to-date version once it gives up.
        self.sign_in_as_user()
        self.wait_signed_in(timeout=90)
        self.assertGreaterEqual(len(self.requests("/plugin/version.json")), 2)
        self.assertEqual(self.boxes(), [])
        self.finish()


class VersionRedirects(FaultTest):
    """The version file behind redirects: a chain within the limit is
    followed, an endless one is given up after a bounded number of
    requests, at start-up and at sign-in alike."""

    def run_case(self, redirect, answer, prompt, most_requests):
        self.service.scenario(version={"redirect": redirect, "answer": answer})
        self.program = self.desktop.install_program(self.program_binary(), self.config_ini)
        self.proc = self.desktop.start(self.program, self.program_env())
        if prompt:
            self.assertEqual(self.next_box(), prompt)
            self.close_box("Escape")
        login = wait_for(self.login_window, what="login window")[0]
        self.login = login["id"]
        wait_for(self.form_shown, what="the login form")
        self.watch = ResponsivenessWatch(self.tray)
        self.addCleanup(self.watch.stop)
        self.settings_before = self.settings_text()
        self.sign_in_as_user()
        if prompt:
            self.assertEqual(self.next_box(), prompt)
            self.close_box("Escape")
        self.wait_signed_in()
        asked = len(self.requests("/plugin/version.json"))
        self.assertGreater(asked, 1)
        self.assertLessEqual(asked, most_requests)
        self.assertEqual(self.boxes(), [prompt, prompt] if prompt else [])
        self.finish()

    # Three checks (start-up, the settings window, sign-in) of at most one
    # request and five redirects each.
    def test_endless_redirect_to_itself_is_given_up(self):
        self.run_case({"to": "self"}, "optional", None, 18)

    def test_five_redirects_are_followed_to_the_answer(self):
        self.run_case({"to": "self", "count": 5}, "optional", OPTIONAL_UPDATE, 18)

    def test_six_redirects_are_too_many(self):
        self.run_case({"to": "self", "count": 6}, "optional", None, 18)


class CredentialCheckFaults(FaultTest):
    def test_answers_the_check_cannot_use(self):
        self.start()
        # (what the authentication service does, boxes, e-mail error shown)
        cases = [
            ("500 with its XML", {"status": 500}, [NETWORK_ERROR], False),
            ("503 with its XML", {"status": 503}, [NETWORK_ERROR], False),
            ("500 with garbage", {"status": 500, "body": "<<garbage"}, [NETWORK_ERROR], False),
            ("cut off mid-body", {"status": 0, "body": "", "closeMidBody": True},
             [NETWORK_ERROR], False),
            ("400 with garbage", {"status": 400, "body": "<Error><Err", "closeMidBody": False},
             [], True),
        ]
        for name, auth, boxes, email_error in cases:
            with self.subTest(name):
                before = len(self.boxes())
                asked = len(self.requests("/auth/user/isvalid"))
                self.service.scenario(auth=auth)
                self.sign_in_as_user()
                wait_for(lambda: len(self.requests("/auth/user/isvalid")) > asked,
                         what="the credential check")
                for text in boxes:
                    self.assertEqual(self.next_box(), text)
                    self.close_box()
                wait_for(lambda: self.form_shown() and self.email_error_shown() == email_error,
                         what="the form with the right message")
                self.assert_back_at_the_form(email_error)
                self.assertEqual(len(self.boxes()), before + len(boxes))
        # A 200 answer counts whatever its body: the service's own form has
        # the last word and signs the user in.
        self.service.scenario(auth={"status": 200, "body": "garbage", "closeMidBody": False})
        self.sign_in_as_user()
        self.wait_signed_in()
        self.finish()

    def test_check_slower_than_the_sign_in_watchdog(self):
        self.service.scenario(auth={"delayMs": 20000})
        self.start()
        self.sign_in_as_user()
        wait_for(lambda: self.requests("/auth/user/isvalid"), what="the credential check")
        wait_for(lambda: not self.form_shown(), what="the loading state")
        # A second attempt while the first runs is refused.
        self.desktop.xdotool("key", "Return")
        self.tray.prop_within("Status")
        self.wait_signed_in(timeout=60)
        self.assertEqual(len(self.requests("/auth/user/isvalid")), 1)
        self.assertEqual(self.boxes(), [])
        self.finish()

    def test_quit_while_a_slow_check_runs(self):
        self.service.scenario(auth={"delayMs": 30000})
        self.start()
        self.sign_in_as_user()
        wait_for(lambda: self.requests("/auth/user/isvalid"), what="the credential check")
        self.tray.prop_within("Status")
        self.watch.check()
        self.tray.choose("Quit")
        # The program does not wait for the check to end by itself.
        self.assertEqual(self.proc.wait(timeout=20), 0)
        self.assertEqual(self.settings_text(), self.settings_before)


    def test_sign_in_cancelled_during_a_slow_check_is_not_carried_out(self):
        self.service.scenario(auth={"delayMs": 4000})
        self.start()
        self.sign_in_as_user()
        wait_for(lambda: self.requests("/auth/user/isvalid"), what="the credential check")
        wait_for(lambda: not self.form_shown(), what="the loading state")
        # Sign In/Sign Out during the check asks whether to sign out: Yes.
        self.tray.choose("Sign In")
        self.assertEqual(self.next_box(), SIGN_OUT_QUESTION)
        self.close_box()
        wait_for(self.form_shown, what="the login form")
        # A check of our own, sent after the program's, is answered after
        # it: by then the cancelled one would have reached the form.
        self.service.check_credentials(EMAIL, PASSWORD)
        self.service.scenario(auth={"delayMs": 0})
        self.sign_in_as_user()
        self.wait_signed_in()
        submits = self.requests("/account/plugin_signin.do")
        self.assertEqual(len(submits), 1, submits)
        self.assertIn("svcIptLgnID=demo%40murmel.test", submits[0]["body"])
        self.assertEqual(self.boxes(), [SIGN_OUT_QUESTION])
        self.finish()


class KeepAliveFaults(FaultTest):
    def pings(self, since, status):
        return [r for r in self.requests("/ping") if r["seq"] > since and r["status"] == status]

    def test_error_answers_count_as_alive_and_a_closed_connection_signs_out(self):
        self.start()
        self.sign_in_as_user()
        self.wait_signed_in()
        for name, ping in [("503", {"status": 503}), ("500", {"status": 500})]:
            with self.subTest(name):
                since = max([r["seq"] for r in self.requests(None)] or [0])
                self.service.scenario(ping=ping)
                wait_for(lambda: len(self.pings(since, ping["status"])) >= 2, timeout=40,
                         what="two keep-alives answered with an error")
                self.assertEqual(self.icon(), SIGNED_IN)
                self.assertTrue(self.web_client())
                self.assertEqual(self.boxes(), [])

        self.service.scenario(ping={"status": 200, "close": True})
        text = self.next_box(timeout=40)
        self.assertTrue(text.strip())
        self.assertNotIn(text, (NETWORK_ERROR, LOGIN_ERROR))
        # Signed out only once the box is closed.
        self.assertEqual(self.icon(), SIGNED_IN)
        self.service.scenario(ping={"close": False})
        self.close_box()
        wait_for(lambda: self.icon() == SIGNED_OUT and not self.web_client(),
                 what="signed out")
        self.login = wait_for(self.login_window, what="login window")[0]["id"]
        wait_for(self.form_shown, what="the login form")
        # The next keep-alive goes through and nothing more is shown.
        since = max([r["seq"] for r in self.requests(None)] or [0])
        wait_for(lambda: self.pings(since, 200), timeout=40, what="a keep-alive answered")
        self.assertEqual(len(self.boxes()), 1)
        self.finish()

    def test_service_stopped_mid_session_and_started_again(self):
        self.start()
        self.sign_in_as_user()
        self.wait_signed_in()
        self.service.stop()
        text = self.next_box(timeout=40)
        self.assertTrue(text.strip())
        self.assertEqual(self.icon(), SIGNED_IN)
        self.service.restart()
        self.close_box()
        wait_for(lambda: self.icon() == SIGNED_OUT and not self.web_client(),
                 what="signed out")
        self.login = wait_for(self.login_window, what="login window")[0]["id"]
        wait_for(self.form_shown, what="the form from the service started again")
        self.sign_in_as_user()
        self.wait_signed_in()
        self.assertEqual(len(self.requests("/auth/user/isvalid")), 1)
        self.finish()


class VersionAnswerFaults(FaultTest):
    """Version answers that are no answer: no prompt, at start-up or at
    sign-in, and the sign-in goes on."""

    CASES = [
        ("an HTML page", {"answer": "notjson", "status": 200}),
        ("truncated JSON", {"answer": "raw", "status": 200,
                            "body": '{"success": true, "data": {"uptodate": "false", "crit'}),
        ("503", {"answer": "notjson", "status": 503}),
        ("a required update cut off mid-body", {"answer": "mandatory", "status": 200,
                                                "closeMidBody": True}),
    ]

    def test_unusable_answers_prompt_nothing(self):
        self.service.scenario(version=self.CASES[0][1])
        self.start()
        for name, version in self.CASES:
            with self.subTest(name):
                asked = len(self.requests("/plugin/version.json"))
                self.service.scenario(version=version)
                self.sign_in_as_user()
                self.wait_signed_in()
                self.assertGreater(len(self.requests("/plugin/version.json")), asked)
                self.assertEqual(self.boxes(), [])
                self.finish_session()
        self.finish()

    def finish_session(self):
        # Signs out through the tray as a user does; the question is the
        # only box expected.
        self.tray.choose("Sign Out")
        self.next_box()
        self.close_box()
        wait_for(lambda: self.icon() == SIGNED_OUT, what="signed out")
        wait_for(self.form_shown, what="the login form")
        self.message_log_reset()

    def message_log_reset(self):
        os.remove(self.message_log)
        self.boxes_seen = 0


if __name__ == "__main__":
    unittest.main()
