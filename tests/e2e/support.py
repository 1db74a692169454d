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

    config_ini = "[ETC]\nweb_url=http://127.0.0.1:9/\n"
    # Tests of an installed program bring their own.
    needs_built_program = True

    def setUp(self):
        if self.needs_built_program and not PROGRAM:
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
        self.desktop.keep_on_report = os.path.join(ARTIFACTS, "sanitizer", self.id())
        failed = self._failed()
        if failed:
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
        if self.desktop.sanitizer_reports and not failed:
            self.fail("a sanitizer reported an error (logs kept in "
                      f"{self.desktop.keep_on_report}):\n" +
                      "\n".join(self.desktop.sanitizer_reports[:10]))


def register_test_browser(desktop):
    """Makes a script the desktop's default browser; it writes each address
    it is started with to a file, which the returned function reads."""
    apps = os.path.join(desktop.env["XDG_DATA_HOME"], "applications")
    os.makedirs(apps, exist_ok=True)
    record = os.path.join(desktop.root, "browser-visits.txt")
    script = os.path.join(desktop.root, "test-browser")
    with open(script, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{record}"\n')
    os.chmod(script, 0o755)
    with open(os.path.join(apps, "test-browser.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Test Browser\n"
                f"Exec={script} %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
    with open(os.path.join(desktop.env["XDG_CONFIG_HOME"], "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n"
                "x-scheme-handler/https=test-browser.desktop\n")

    def visits():
        if not os.path.exists(record):
            return []
        with open(record) as f:
            return f.read().splitlines()
    return visits
