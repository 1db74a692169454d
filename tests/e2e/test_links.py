"""Links in the web client leave through the default browser; the window
stays on the site, and addresses no browser should get go nowhere."""

import os
import subprocess

from desktop import wait_for
from support import register_test_browser
from test_signin import SignedInTest

# The background the service's web client gives links in messages.
LINK_BACKGROUND = (255, 243, 176)


class Links(SignedInTest):
    def setUp(self):
        super().setUp()
        self.visits = register_test_browser(self.desktop)
        self.register_other_handlers()
        self.launch()
        self.sign_in("demo@murmel.test", "demo1234")
        self.client = wait_for(self.web_client, what="web-client window")[0]["id"]
        wait_for(lambda: self.service.status().get("pollers", 0) > 0, what="web client listening")
        self.elsewhere = self.service.base.replace("127.0.0.1", "localhost")

    def register_other_handlers(self):
        """The test browser also takes the custom scheme and text files, so
        anything handed to the desktop for them would be seen."""
        folder = os.path.join(self.desktop.env["XDG_CONFIG_HOME"])
        with open(os.path.join(folder, "mimeapps.list"), "a") as f:
            f.write("x-scheme-handler/murmel-test=test-browser.desktop\n"
                    "x-scheme-handler/file=test-browser.desktop\n"
                    "text/plain=test-browser.desktop\n")
        self.note = os.path.join(self.desktop.root, "note.txt")
        with open(self.note, "w") as f:
            f.write("a local file\n")

    def newest_link(self):
        """Window coordinates of the lowest link in the web client, or None."""
        raw = subprocess.run(["import", "-window", str(self.client), "-depth", "8", "rgb:-"],
                             env=self.desktop.env, capture_output=True).stdout
        width = 1024
        wanted = bytes(LINK_BACKGROUND)
        for row in range(len(raw) // (3 * width) - 1, -1, -1):
            line = raw[row * 3 * width:(row + 1) * 3 * width]
            at = line.find(wanted)
            while at >= 0 and at % 3:
                at = line.find(wanted, at + 1)
            if at >= 0:
                return at // 3 + 3, row - 2
        return None

    def send_and_click(self, text):
        """Sends a message with one link to the open conversation and
        clicks the link once it is drawn below the last one."""
        before = self.newest_link()
        self.service.message("Murmel Bot", text, sessionid="bot")
        at = wait_for(lambda: (lambda p: p if p and p != before else None)(self.newest_link()),
                      what="the link drawn")
        self.desktop.xdotool("mousemove", "--window", self.client, at[0], at[1], "click", 1)
        return at

    def still_on_the_site(self, at):
        self.assertTrue(self.web_client())
        self.assertEqual(self.newest_link(), at)
        self.assertFalse(self.service.requests("/index.html"))

    def test_plain_and_new_window_links_reach_the_browser_and_the_client_stays(self):
        plain = self.elsewhere + "/index.html?plain"
        at = self.send_and_click(f"Have a look [here]({plain}) please")
        wait_for(lambda: plain in self.visits(), what="the browser with the plain link")
        self.still_on_the_site(at)

        blank = self.elsewhere + "/index.html?blank"
        at = self.send_and_click(f"Or in a new window: {blank}")
        wait_for(lambda: blank in self.visits(), what="the browser with the new window's link")
        self.still_on_the_site(at)
        self.assertEqual(self.visits(), [plain, blank])

    def test_file_and_custom_scheme_links_reach_nothing(self):
        refused = [f"[note](file://{self.note})", f"file://{self.note}",
                   "[app](murmel-test://open)", "murmel-test://open"]
        for text in refused:
            at = self.send_and_click(f"Try {text}")
            self.still_on_the_site(at)
        # A good link after them arrives alone: the refused ones had their
        # turn first, on the same thread.
        last = self.elsewhere + "/index.html?after"
        self.send_and_click(last)
        wait_for(lambda: last in self.visits(), what="the browser with the last link")
        self.assertEqual(self.visits(), [last])
