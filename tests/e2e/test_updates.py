"""The version check as a user meets it: prompts at start and at sign-in."""

import unittest

from desktop import wait_for
from support import LOGIN_TITLE, register_test_browser
from test_signin import SignedInTest


class Updates(SignedInTest):
    def prompt(self):
        return wait_for(lambda: [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                                 if w["width"] not in (281, 1024)], what="update prompt")[0]

    def answer(self, window, key):
        self.desktop.xdotool("windowactivate", "--sync", window["id"])
        self.desktop.xdotool("key", key)

    def test_optional_update_cancelled_at_start_keeps_the_program(self):
        self.service.scenario(version={"answer": "optional"})
        self.program = self.desktop.install_program(self.program_binary(), self.config_ini)
        self.proc = self.desktop.start(self.program, self.service.program_env())
        self.answer(self.prompt(), "Escape")
        wait_for(lambda: [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                          if w["width"] == 281], what="login window")
        self.assertIsNone(self.proc.poll())

    def test_mandatory_update_refused_at_sign_in_ends_the_program(self):
        self.launch()
        self.service.scenario(version={"answer": "mandatory"})
        self.sign_in("demo@murmel.test", "demo1234")
        self.answer(self.prompt(), "Escape")
        self.assertEqual(self.proc.wait(timeout=20), 0)
        self.assertEqual(self.service.requests("/auth/user/isvalid"), [])

    def test_mandatory_update_accepted_opens_the_download_and_ends(self):
        visits = register_test_browser(self.desktop)
        self.launch()
        self.service.scenario(version={"answer": "mandatory"})
        self.sign_in("demo@murmel.test", "demo1234")
        self.answer(self.prompt(), "Return")
        self.assertEqual(self.proc.wait(timeout=20), 0)
        found = wait_for(visits, what="the browser to start")
        self.assertEqual(found, [self.service.base + "/download.html"])


if __name__ == "__main__":
    unittest.main()
