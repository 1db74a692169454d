"""Settings as a user changes them: the window opened from the tray menu, a
sound tried and chosen, the message preview switched off and the program
set to start with the desktop; Save keeps them, Cancel does not."""

import configparser
import os
import time
import unittest

from desktop import wait_for
from support import LOGIN_TITLE
import test_notifications
from test_notifications import EMAIL, PASSWORD
from test_signin import SignedInTest, is_accent

SETTINGS = (387, 504)
# Places on the settings page, from its top left corner.
RADIO_SOUND_3 = (72, 217)
SAMPLE_SOUND_3 = (356, 217)
CHK_PREVIEW = (48, 287)
CHK_START = (48, 362)
BUTTON_OK = (132, 464)
BUTTON_CANCEL = (255, 464)
# The column of the five sounds' radio buttons, as x, y, width, height.
RADIO_COLUMN = (60, 125, 20, 130)


def shows_checked(desktop, window, place):
    """Whether the box or button around a place is drawn checked and enabled."""
    return any(is_accent(c) for c in desktop.pixels(window["id"], place[0] - 6, place[1] - 6,
                                                     12, 12))


# Against the local service: a site that cannot be reached brings up its
# error box every ten seconds, over the middle of the settings window.
class SettingsFromTheTray(SignedInTest):
    def setUp(self):
        super().setUp()
        self.sounds = os.path.join(self.desktop.root, "sounds.log")
        self.program = self.desktop.install_program(self.program_binary(), self.config_ini)
        # Alert sounds are looked for under the working directory first.
        folder = os.path.join(os.path.dirname(self.program), "sound")
        os.makedirs(folder, exist_ok=True)
        for n in range(1, 6):
            with open(os.path.join(folder, f"sound{n}.wav"), "wb") as f:
                f.write(b"RIFF")
        self.proc = self.desktop.start(self.program,
                                       dict(self.program_env(), MURMEL_SOUND_LOG=self.sounds))
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid),
                         what="login window")[0]
        # It is shown and made active once its page has loaded; a settings
        # window opened before that would lose the focus to it.
        wait_for(lambda: self.desktop.active_window() == login["id"], what="login window active")
        self.config = self.desktop.env["XDG_CONFIG_HOME"]

    # -- helpers ------------------------------------------------------------
    def settings_window(self):
        for w in self.desktop.windows(pid=self.proc.pid):
            if w["mapped"] and (w["width"], w["height"]) == SETTINGS:
                return w
        return None

    def open_settings(self, checked=()):
        """Opens the settings window from the tray and waits until its page
        shows the stored values: the chosen sound's radio button, enabled by
        the alert box, and the boxes at the places `checked`. A window opened
        again shows what it showed when it was closed until then."""
        self.tray.choose("Settings")
        window = wait_for(self.settings_window, what="settings window")
        wait_for(lambda: self.desktop.active_window() == window["id"],
                 what="settings window active")
        x, y, width, height = RADIO_COLUMN
        wait_for(lambda: any(is_accent(c) for c in
                             self.desktop.pixels(window["id"], x, y, width, height)) and
                 all(shows_checked(self.desktop, window, place) for place in checked),
                 what="the stored values on the settings page")
        return window

    def click(self, window, place):
        self.desktop.xdotool("mousemove", window["x"] + place[0], window["y"] + place[1],
                             "click", "1")

    def played(self):
        if not os.path.exists(self.sounds):
            return []
        with open(self.sounds) as f:
            return [line.strip() for line in f if line.strip()]

    def stored(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(os.path.join(self.config, "OSTRAND", "Murmel Alarm.conf"))
        return {k: v for s in parser.sections() for k, v in parser[s].items()}

    def autostart_entry(self):
        path = os.path.join(self.config, "autostart", "murmel-alarm.desktop")
        if not os.path.exists(path):
            return None
        with open(path) as f:
            return f.read()

    # -- the tests ----------------------------------------------------------
    def test_save_keeps_the_choices_and_cancel_drops_them(self):
        window = self.open_settings()
        self.save_screenshot("settings-window")
        self.click(window, RADIO_SOUND_3)
        self.click(window, SAMPLE_SOUND_3)
        wait_for(lambda: any(p.endswith("/sound/sound4.wav") for p in self.played()),
                 what="the fourth sound's sample")
        self.click(window, CHK_PREVIEW)
        self.click(window, CHK_START)
        self.click(window, BUTTON_OK)
        wait_for(lambda: not self.settings_window(), what="settings window closed")

        values = self.stored()
        self.assertEqual((values.get("alert"), values.get("sound"), values.get("preview")),
                         ("true", "3", "false"))
        self.assertIn(f"Exec={self.program}\n", self.autostart_entry() or "")

        # Changed, then cancelled: nothing is stored.
        window = self.open_settings(checked=[CHK_START])
        self.click(window, CHK_START)
        self.click(window, CHK_PREVIEW)
        self.click(window, BUTTON_CANCEL)
        wait_for(lambda: not self.settings_window(), what="settings window closed")
        self.assertEqual(self.stored(), values)
        self.assertIsNotNone(self.autostart_entry())

        # Unchecked and saved: the entry goes; the page first shows the
        # stored choice again, not the one cancelled.
        window = self.open_settings(checked=[CHK_START])
        self.click(window, CHK_START)
        self.click(window, BUTTON_OK)
        wait_for(lambda: self.autostart_entry() is None, what="autostart entry removed")
        self.assertIsNone(self.proc.poll())


if __name__ == "__main__":
    unittest.main()


class SavedChoicesReachTheNextMessage(SignedInTest):
    # Not imported by name, so that this module does not run its tests.
    launch = test_notifications.Notifications.launch
    toasts = test_notifications.Notifications.toasts
    close_window = test_notifications.Notifications.close_window
    settings_window = SettingsFromTheTray.settings_window
    open_settings = SettingsFromTheTray.open_settings
    played = SettingsFromTheTray.played

    def click_in(self, window, place):
        SettingsFromTheTray.click(self, window, place)

    def test_new_sound_and_no_preview_apply_to_the_next_message(self):
        self.launch()
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, timeout=40, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")

        window = self.open_settings()
        self.click_in(window, RADIO_SOUND_3)
        self.click_in(window, SAMPLE_SOUND_3)
        wait_for(lambda: any(p.endswith("/sound/sound4.wav") for p in self.played()),
                 what="the fourth sound's sample")
        self.click_in(window, CHK_PREVIEW)
        self.click_in(window, BUTTON_OK)
        wait_for(lambda: not self.settings_window(), what="settings window closed")

        before = len(self.played())
        self.service.message("Ada Berg", "Lunch at noon?", "conv-ada")
        wait_for(self.toasts, what="toast")
        wait_for(lambda: len(self.played()) > before, what="alert sound")
        self.assertTrue(self.played()[-1].endswith("/sound/sound4.wav"), self.played())
        time.sleep(0.8)
        self.save_screenshot("settings-applied-toast")

    def test_saved_choices_survive_a_restart(self):
        self.launch()
        window = self.open_settings()
        self.click_in(window, RADIO_SOUND_3)
        self.click_in(window, BUTTON_OK)
        wait_for(lambda: not self.settings_window(), what="settings window closed")
        self.tray.choose("Quit")
        self.assertEqual(self.proc.wait(timeout=15), 0)

        self.relaunch()
        self.sign_in(EMAIL, PASSWORD)
        client = wait_for(self.web_client, timeout=40, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")
        before = len(self.played())
        self.service.message("Ada Berg", "Still there?", "conv-ada")
        wait_for(lambda: len(self.played()) > before, what="alert sound")
        self.assertTrue(self.played()[-1].endswith("/sound/sound4.wav"), self.played())
