"""New messages while the web client is out of sight: a toast in the corner
of the work area, the new-message tray image and the alert sound; a click on
the toast opens the conversation in the web client."""

import json
import os
import shutil
import ssl
import subprocess
import time
import unittest
import urllib.parse
import urllib.request

from Xlib import X
from Xlib.protocol import event as xevent

from desktop import WORK_AREA, wait_for
from support import LOGIN_TITLE, ProgramTest
from trayhost import TrayHost

BINARY_DIR = os.environ.get("MURMEL_BINARY_DIR", "")
SERVICE = os.path.join(BINARY_DIR, "service", "murmel-service")
EMAIL, PASSWORD = "demo@murmel.test", "demo1234"
TOAST = (228, 66)
NEW_MESSAGE_ICON = "murmel-alarm-new-message"


class LocalService:
    """The local Murmel service on loopback, with its own state folder."""

    def __init__(self, root):
        state = os.path.join(root, "service")
        os.makedirs(state, exist_ok=True)
        port_file = os.path.join(state, "ports.json")
        self.log = open(os.path.join(root, "service.log"), "wb")
        self.proc = subprocess.Popen(
            [SERVICE, "--state-dir", state, "--port-file", port_file],
            stdout=self.log, stderr=subprocess.STDOUT)
        wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file) > 0,
                 what="service ports")
        with open(port_file) as f:
            ports = json.load(f)
        # Pages over plain HTTP (the embedded browser does not know the
        # service's private authority); the credential check over HTTPS.
        self.base = ports["httpBase"]
        self.secure = ports["httpsBase"]
        self.ca_file = ports["caFile"]
        self.tls = ssl.create_default_context(cafile=self.ca_file)

    def control(self, path, body=None, method=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.secure + "/_control/" + path, data=data,
                                         method=method or ("POST" if data else "GET"))
        request.add_header("Content-Type", "application/json")
        with urllib.request.urlopen(request, context=self.tls, timeout=10) as answer:
            return json.load(answer)

    def requests(self, path):
        return self.control("log?path=" + urllib.parse.quote(path))

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)
        self.log.close()


class Notifications(ProgramTest):
    def setUp(self):
        if not os.path.exists(SERVICE):
            self.skipTest("murmel-service is not built")
        super().setUp()
        self.service = LocalService(self.desktop.root)
        self.addCleanup(self.service.close)
        self.tray = TrayHost(self.desktop.env["DBUS_SESSION_BUS_ADDRESS"])
        self.addCleanup(self.tray.close)
        self.config_ini = f"[COMMON]\nlanguage=en\n\n[ETC]\nweb_url={self.service.base}\n"
        self.sounds = os.path.join(self.desktop.root, "sounds.log")
        program = self.install()
        # The built sounds beside the program, where it is started.
        shutil.copytree(os.path.join(BINARY_DIR, "sound"),
                        os.path.join(os.path.dirname(program), "sound"))
        self.proc = self.desktop.start(program, {
            "MURMEL_AUTH_URL": self.service.secure,
            "MURMEL_ACCOUNT_URL": self.service.base,
            "MURMEL_CA_FILE": self.service.ca_file,
            "MURMEL_SOUND_LOG": self.sounds,
        })

    # -- steps ------------------------------------------------------------
    def sign_in(self):
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid),
                         what="login window")[0]
        time.sleep(1.0)  # the page fills its hint texts once loaded
        x, y = login["x"], login["y"]
        self.desktop.xdotool("mousemove", x + 140, y + 173, "click", "1")
        self.desktop.xdotool("type", "--delay", "20", EMAIL)
        self.desktop.xdotool("mousemove", x + 140, y + 215, "click", "1")
        self.desktop.xdotool("type", "--delay", "20", PASSWORD)
        self.desktop.xdotool("key", "Return")
        return wait_for(self.web_client, timeout=40, what="web-client window")

    def web_client(self):
        for w in self.desktop.windows(pid=self.proc.pid):
            # 1024 x 806, shortened by the window manager to fit the work area.
            if w["mapped"] and w["width"] == 1024 and w["height"] > 600:
                return w
        return None

    def toasts(self):
        return sorted(((w["x"], w["y"]) for w in self.desktop.windows(pid=self.proc.pid)
                       if w["mapped"] and (w["width"], w["height"]) == TOAST),
                      key=lambda p: -p[1])

    def close_window(self, window_id):
        """Asks the window manager to close the window, as its close box does."""
        x = self.desktop.x
        root = x.screen().root
        message = xevent.ClientMessage(
            window=x.create_resource_object("window", window_id),
            client_type=x.intern_atom("_NET_CLOSE_WINDOW"), data=(32, [0, 0, 0, 0, 0]))
        root.send_event(message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        x.sync()

    def send(self, sender, msg, sessionid):
        self.service.control("events", {"type": "message", "sender": sender, "msg": msg,
                                        "msgtype": 0, "sessionid": sessionid})

    # -- the test ---------------------------------------------------------
    def test_message_while_hidden_shows_a_toast_that_opens_its_conversation(self):
        client = self.sign_in()
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        time.sleep(0.5)

        self.send("Ada Berg", "Lunch at noon?\nSecond line", "conv-ada")
        left, top, width, height = WORK_AREA
        slot0 = (left + width - 238, top + height - 76)
        self.assertEqual(wait_for(self.toasts, what="toast"), [slot0])
        wait_for(lambda: self.tray.prop("IconName") == NEW_MESSAGE_ICON, what="tray image 265")
        with open(self.sounds) as f:
            self.assertEqual(f.read().split(), [os.path.join(self.desktop.root, "program",
                                                             "sound", "sound1.wav")])
        time.sleep(0.5)
        self.save_screenshot("notification-toast")

        # A second message stacks above the first.
        self.send("Bo Lind", "Running late", "conv-bo")
        wait_for(lambda: len(self.toasts()) == 2, what="second toast")
        self.assertEqual(self.toasts()[1], (slot0[0], slot0[1] - 71))

        # A click on the lower toast opens the latest message's conversation.
        self.desktop.xdotool("mousemove", slot0[0] + 100, slot0[1] + 40, "click", "1")
        wait_for(self.web_client, what="web client shown by the toast")
        wait_for(lambda: self.tray.prop("IconName") != NEW_MESSAGE_ICON,
                 what="tray image restored")
        received = wait_for(lambda: [r for r in self.service.requests("/client/received")
                                     if "code=307" in r.get("query", "")],
                            what="307 at the web client")
        self.assertIn("data=conv-bo", received[-1]["query"])
        self.assertEqual(len(self.toasts()), 1)
        self.save_screenshot("notification-opened")


if __name__ == "__main__":
    unittest.main()
