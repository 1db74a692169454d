"""The program's GTK dialogs as an Arabic reader meets them: the logout
notice and the account-action dialog laid out right to left, their texts
against the right edge and their buttons mirrored to the left."""

import unittest

from desktop import wait_for
from test_signin import LOGIN_BUTTON, LOGIN_TITLE, SignedInTest, is_accent

EMAIL, PASSWORD = "demo@murmel.test", "demo1234"


def ink(colour):
    """Text, on a button too: far darker than the dialog's light grey and the
    buttons' edges."""
    return sum(colour) < 3 * 160


class DialogDirection(SignedInTest):
    def program_env(self):
        return dict(super().program_env(), LANGUAGE="ar")

    def dialog(self, what):
        return wait_for(lambda: [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                                 if w["width"] not in (281, 1024)], what=what)[0]

    def ink_columns(self, window, top, bottom):
        """The x of each column of the window's rows top..bottom with ink in it."""
        width = window["width"]
        colours = self.desktop.pixels(window["id"], 0, top, width, bottom - top)
        return sorted({i % width for i, c in enumerate(colours) if ink(c)})

    def check_right_to_left(self, window, buttons):
        """The text runs up to the right margin; the buttons sit together at
        the left edge, where a left-to-right dialog has them at the right."""
        width, height = window["width"], window["height"]
        text = self.ink_columns(window, 8, height - 40)
        self.assertTrue(text and width - 40 <= text[-1] < width - 8, (window, text[-1:]))
        row = self.ink_columns(window, height - 30, height - 4)
        self.assertTrue(row and row[0] <= 40, (window, row[:1]))
        self.assertLess(row[-1], buttons * 110, (window, row[-1]))

    def answer_right_to_left(self, what, screenshot, buttons, key):
        """Waits for the dialog, checks its direction and answers it."""
        dialog = self.dialog(what)
        self.desktop.wait_rendered(dialog["id"])
        self.save_screenshot(screenshot)
        self.check_right_to_left(dialog, buttons=buttons)
        self.desktop.xdotool("windowactivate", "--sync", dialog["id"])
        self.desktop.xdotool("key", key)

    def test_logout_notice_and_account_dialog_read_right_to_left(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        wait_for(self.web_client, timeout=40, what="web-client window")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")
        self.service.logout()
        self.answer_right_to_left("logout notice", "dialog-logout-notice-ar", 1, "Return")
        wait_for(lambda: [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                          if w["width"] == 281], what="login window")

        # Signed in again, the service asks for an account action.
        self.service.scenario(accounts=[{"email": EMAIL, "password": PASSWORD,
                                         "signin": "termsAcceptance"}])
        wait_for(lambda: is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON)),
                 what="the login form")
        self.sign_in(EMAIL, PASSWORD)
        self.answer_right_to_left("account dialog", "dialog-account-action-ar", 2, "Escape")
        self.assertEqual(self.proc.wait(timeout=15), 0)

if __name__ == "__main__":
    unittest.main()
