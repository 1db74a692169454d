"""The tray item in a real panel: Debian's xfce4-panel with its status tray
plugin takes the item from our StatusNotifierItem, draws our image, sends
our clicks and draws its menu from our dbusmenu, as a user meets it."""

import os
import subprocess
import unittest

from desktop import SCREEN_W, wait_for
from support import ARTIFACTS, LOGIN_TITLE
from test_signin import SignedInTest
import xfcepanel

EMAIL, PASSWORD = "demo@murmel.test", "demo1234"
# Where the login page's close mark sits in its 281 x 387 window.
LOGIN_CLOSE = (261, 19)


def blue(colour):
    """The signed-in image's body; the signed-out one has none of it."""
    r, g, b = colour
    return b - r > 60


def grey(colour):
    """The signed-out image's body, darker than the panel behind it."""
    r, g, b = colour
    return max(colour) - min(colour) < 24 and 100 < r < 200


@unittest.skipUnless(xfcepanel.PANEL, "xfce4-panel is not installed")
class PanelTray(SignedInTest):
    def start_tray_host(self):
        return xfcepanel.XfcePanel(self.desktop)

    def item_area(self, empty):
        """The bounding box (x, y, width, height) of what the item added to
        the empty panel, once its drawing has settled."""
        last = [None]

        def settled():
            now = self.tray.strip()
            changed = [i for i, (a, b) in enumerate(zip(empty, now)) if a != b]
            same = now == last[0]
            last[0] = now
            return same and changed
        changed = wait_for(settled, what="the item in the panel")
        xs = [i % SCREEN_W for i in changed]
        ys = [i // SCREEN_W for i in changed]
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def item_colours(self, area):
        x, y, w, h = area
        strip = self.tray.strip()
        return [strip[row * SCREEN_W + x + col] for row in range(y, y + h) for col in range(w)]

    def save_item(self, name, area):
        """The screen, and the item's area eight times enlarged beside it."""
        screen = self.save_screenshot(name)
        x, y, w, h = area
        left, top = max(x - 4, 0), max(y - 4, 0)
        subprocess.run(["convert", screen, "-crop", f"{w + 8}x{h + 8}+{left}+{top}", "+repage",
                        "-scale", "800%", os.path.join(ARTIFACTS, name + "-item.png")], check=True)

    def login_mapped(self):
        return [w for w in self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid)
                if w["width"] == 281]

    def test_panel_shows_the_item_takes_its_clicks_and_draws_its_menu(self):
        empty = self.tray.strip()
        self.launch()
        self.assertEqual(len(self.tray.items()), 1)
        area = self.item_area(empty)
        x, y, w, h = area
        self.assertTrue(x >= 0 and y >= 0 and y + h <= xfcepanel.HEIGHT and 12 <= w <= 40, area)
        signed_out = self.item_colours(area)
        self.assertFalse([c for c in signed_out if blue(c)], "signed-out image is grey")
        self.assertGreater(len([c for c in signed_out if grey(c)]), w * h // 5)
        self.save_item("panel-tray-signed-out", area)
        centre = (x + w // 2, y + h // 2)

        # A left click on the item brings the hidden login window back.
        self.desktop.xdotool("mousemove", "--window", self.login, *LOGIN_CLOSE, "click", 1)
        wait_for(lambda: not self.login_mapped(), what="login window hidden")
        self.desktop.xdotool("mousemove", *centre, "click", 1)
        wait_for(self.login_mapped, what="login window opened from the panel")

        self.sign_in(EMAIL, PASSWORD)
        wait_for(self.web_client, timeout=40, what="web-client window")

        def signed_in_image():
            colours = self.item_colours(area)
            return len([c for c in colours if blue(c)]) > w * h // 5 and colours
        signed_in = wait_for(signed_in_image, what="signed-in image in the panel")
        changed = sum(1 for a, b in zip(signed_out, signed_in) if a != b)
        self.assertGreater(changed, w * h // 3)
        self.save_item("panel-tray-signed-in", area)

        # A right click opens the panel's own menu, built from our dbusmenu;
        # Quit is its last item.
        plug_pid = self.tray.plugin_pid()
        self.desktop.xdotool("mousemove", *centre, "click", 3)
        menu = wait_for(lambda: [m for m in self.desktop.windows(pid=plug_pid)
                                 if m["mapped"] and m["y"] >= xfcepanel.HEIGHT
                                 and m["width"] > 40],
                        what="the panel's menu")[0]
        self.desktop.wait_rendered(menu["id"])
        self.save_screenshot("panel-tray-menu")
        # Five items and two separators; a menu opened with the signed-out
        # items the panel held from before is three items high and scrolls.
        self.assertGreater(menu["height"], 120, menu)
        self.desktop.xdotool("mousemove", menu["x"] + menu["width"] // 2,
                             menu["y"] + menu["height"] - 17, "click", 1)
        self.assertEqual(self.proc.wait(timeout=15), 0)
        wait_for(lambda: not self.tray.items(), what="the item gone from the panel")


if __name__ == "__main__":
    unittest.main()
