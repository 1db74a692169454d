"""Shared set-up of the end-to-end tests."""

import os
import shutil
import unittest

from desktop import Desktop

LOGIN_TITLE = "Murmel Alarm"
PROGRAM = os.environ.get("MURMEL_PROGRAM", "")
ARTIFACTS = os.environ.get("MURMEL_TEST_ARTIFACTS", "/tmp/murmel-test-artifacts")


class ProgramTest(unittest.TestCase):
    """Each test gets its own desktop; on failure its screen and the
    program's output are kept under the test artifacts folder."""

    config_ini = "[COMMON]\nweb_url=http://127.0.0.1:9/\n"

    def setUp(self):
        if not PROGRAM:
            self.skipTest("MURMEL_PROGRAM is not set")
        self.desktop = Desktop(self.id().split(".")[-1])
        self.addCleanup(self._finish)

    def install(self):
        return self.desktop.install_program(PROGRAM, self.config_ini)

    def start_program(self, extra_env=None):
        return self.desktop.start(self.install(), extra_env)

    def save_screenshot(self, name):
        return self.desktop.screenshot(os.path.join(ARTIFACTS, name + ".png"))

    def _failed(self):
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        if result is None:
            return False
        return any(test is self for test, _ in result.failures + result.errors)

    def _finish(self):
        if self._failed():
            folder = os.path.join(ARTIFACTS, "failed", self.id())
            os.makedirs(folder, exist_ok=True)
            try:
                self.desktop.screenshot(os.path.join(folder, "screen.png"))
            except Exception:
                pass
            for base, _, files in os.walk(self.desktop.root):
                for name in files:
                    if name.endswith((".log", ".jsonl")):
                        shutil.copy(os.path.join(base, name), folder)
        self.desktop.close()
