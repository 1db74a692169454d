"""The program's web processes ending under it, as a crash or the kernel's
out-of-memory killer would end them, and a restart at once after a quit:
every window comes back usable."""

import os
import signal
import subprocess
import unittest

from desktop import wait_for
import test_notifications
from test_notifications import EMAIL, PASSWORD
from test_signin import LOGIN_BUTTON, is_accent


def web_processes(parent):
    """The WebKit web processes the program started, oldest first."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The name is in parentheses and may hold blanks; then come the
        # state, the parent, and at 20 places on the start time.
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        fields = stat[stat.rindex(")") + 2:].split()
        if name.startswith("WebKitWebProces") and fields[0] not in "ZX" and \
                int(fields[1]) == parent:
            found.append((int(fields[19]), int(entry)))
    return [pid for _, pid in sorted(found)]


ERROR_STRIP = (10, 276, 260, 24)  # where the login page's messages appear


def red_pixels(desktop, window_id):
    """How many pixels of the message strip show the error text's red."""
    x, y, w, h = ERROR_STRIP
    out = subprocess.run(["import", "-window", str(window_id), "-crop", f"{w}x{h}+{x}+{y}",
                          "-depth", "8", "txt:-"], env=desktop.env, capture_output=True,
                         text=True).stdout
    count = 0
    for line in out.splitlines()[1:]:
        try:
            r, g, b = (int(float(v)) for v in line.split("(", 1)[1].split(")")[0].split(",")[:3])
        except (IndexError, ValueError):
            continue
        count += r > 170 and g < 120 and b < 120
    return count


class WebProcessEnds(test_notifications.Notifications):
    # That suite runs on its own.
    test_message_while_hidden_shows_a_toast_that_opens_its_conversation = None

    def processes(self):
        return web_processes(self.proc.pid)

    def kill(self, pids, respawn=True):
        """Kills the processes and waits until they are gone and, with
        respawn, until as many new ones run."""
        before = self.processes()
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        wait_for(lambda: not set(pids) & set(self.processes()) and
                 (not respawn or len(set(self.processes()) - set(before)) >= len(pids)),
                 what="web processes replaced")

    def form_drawn(self):
        return is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON))

    def sign_in_page_loads(self):
        return len(self.service.requests("/account/plugin_signin.html"))

    def test_killed_at_the_login_form_each_and_both_the_form_comes_back(self):
        self.launch()
        first, second = wait_for(lambda: len(self.processes()) == 2 and self.processes(),
                                 what="two web processes")
        for victims in ([first], [second], None):
            victims = victims or self.processes()
            ready = len(self.service.requests("/account/reported"))
            self.kill(victims)
            # The web client's new process is up once its sign-in page said
            # again that it is ready; killing it while it starts, as the next
            # round does, would test the engine's start-up instead.
            if victims == [second]:
                wait_for(lambda: len(self.service.requests("/account/reported")) > ready,
                         what=f"the sign-in page ready after killing {victims}")
            # A lost page leaves the window empty until it has loaded again,
            # so the form shows only once the login page is back with its
            # state and the sign-in page said it is ready: it takes keys.
            wait_for(self.form_drawn, what=f"the form after killing {victims}")
            # Our pages share one process again, the web client has its own.
            wait_for(lambda: len(self.processes()) == 2, what="two web processes again")
        self.assertFalse(red_pixels(self.desktop, self.login))
        self.save_screenshot("recovery-login-form")
        self.desktop.xdotool("windowactivate", "--sync", self.login)
        self.sign_in(EMAIL, PASSWORD)
        wait_for(self.web_client, what="web-client window")
        wait_for(lambda: self.tray.prop("IconName") == "murmel-alarm-signed-in",
                 what="signed in")

    def test_killed_while_signed_in_a_new_message_still_shows_a_toast(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")
        loads = len(self.service.requests("/client/"))
        self.kill(self.processes())
        # The web client is loaded again, still signed in, and listens again.
        wait_for(lambda: len(self.service.requests("/client/")) > loads,
                 what="the web client loaded again")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0,
                 what="web client listening again")
        self.assertEqual(self.tray.prop("IconName"), "murmel-alarm-signed-in")
        self.service.message("Ada Berg", "Still there?", "conv-ada")
        wait_for(lambda: len(self.toasts()) == 1, what="toast")
        self.save_screenshot("recovery-toast")

    def test_web_client_process_that_keeps_dying_ends_in_the_error_status(self):
        self.launch()
        # The pages' shared process starts with the program, before the
        # web-client window exists.
        host = wait_for(lambda: len(self.processes()) == 2 and self.processes()[1],
                        what="two web processes")
        # Each death follows the last within seconds: the process is killed
        # as soon as it has asked for the sign-in page again.
        for death in range(3):
            loads = self.sign_in_page_loads()
            self.kill([host], respawn=death < 2)
            if death < 2:
                host = self.processes()[-1]
                wait_for(lambda: self.sign_in_page_loads() > loads, what="sign-in page again")
        wait_for(lambda: red_pixels(self.desktop, self.login) > 20, what="the error status")
        self.assertTrue(self.form_drawn())
        # Given up: the pages' own process is the only one left.
        self.assertEqual(len(self.processes()), 1)
        self.save_screenshot("recovery-crash-loop")

    def test_quit_and_start_again_at_once_three_times(self):
        self.launch()
        for _ in range(3):
            self.tray.choose("Quit")
            self.assertEqual(self.proc.wait(timeout=15), 0)
            # Started again while the last run's web processes may still be
            # ending: the form is drawn once the sign-in page said it is ready.
            self.relaunch()


if __name__ == "__main__":
    unittest.main()
