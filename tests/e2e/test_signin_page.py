"""The service's sign-in page as it may go wrong: never ready, moved to the
site's https port, moved to another site. The login window never spins for
ever, and only the site's own pages reach the program."""

import time

from desktop import wait_for
from support import LOGIN_TITLE
from test_signin import SignedInTest, EMAIL_FIELD, LOGIN_BUTTON, is_accent

# The error line under the fields ("Login error. Please try again later."),
# and the caption of the Login button, which alone takes the click.
ERROR_LINE = (40, 290, 200, 302)
LOGIN_CAPTION = (140, 256)


def is_error_red(colour):
    return colour is not None and colour[0] > 150 and colour[1] < 110 and colour[2] < 110


class SigninPage(SignedInTest):
    def start(self, scenario):
        self.service.scenario(signinPage=scenario)
        self.program = self.desktop.install_program(self.program_binary(), self.config_ini)
        self.proc = self.desktop.start(self.program, self.service.program_env())
        self.login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=self.proc.pid),
                              what="login window")[0]["id"]
        self.started = time.monotonic()

    def error_shown(self):
        left, top, right, bottom = ERROR_LINE
        for y in range(top, bottom, 3):
            for x in range(left, right, 4):
                if is_error_red(self.desktop.pixel(self.login, x, y)):
                    return True
        return False

    def form_shown(self):
        return is_accent(self.desktop.pixel(self.login, *LOGIN_BUTTON))

    def signed_in(self):
        return self.tray.prop("IconName") == "murmel-alarm-signed-in"

    def test_a_page_that_never_says_ready_ends_in_the_error_and_login_tries_again(self):
        self.start({"ready": "none"})
        wait_for(self.form_shown, timeout=65 - (time.monotonic() - self.started) + 5,
                 what="the form with the error")
        self.assertLess(time.monotonic() - self.started, 65)
        self.assertTrue(self.error_shown())
        loads = self.service.requests("/account/plugin_signin.html")
        self.assertTrue(loads)
        self.assertEqual(loads[-1]["headers"].get("whoami"), "murmel_notifier")
        self.save_screenshot("login-site-error")

        self.service.scenario(signinPage={"ready": "SigninReady"})
        # Login loads the page again; once it is ready the form is back
        # without the error, and signing in works.
        since = loads[-1]["seq"]
        self.click(LOGIN_CAPTION)
        # Off the button again, which is darker under the pointer.
        self.desktop.xdotool("mousemove", "--window", self.login, 140, 100)
        wait_for(lambda: self.service.requests("/account/reported", since=since),
                 what="the sign-in page ready again")
        wait_for(lambda: self.form_shown() and not self.error_shown(), what="the plain form")
        self.sign_in("demo@murmel.test", "demo1234")
        wait_for(self.signed_in, what="signed in")
        wait_for(self.web_client, what="web-client window")

    # The first https load fails on the certificate and is loaded again;
    # the end of the failed one is no page of another site, so the error
    # must never show on the way to the form.
    def test_a_page_moved_to_the_sites_https_port_signs_in(self):
        self.start({"redirect": "https"})
        wait_for(lambda: self.service.requests("/account/plugin_signin.html") and
                 any(r["scheme"] == "https" for r in
                     self.service.requests("/account/plugin_signin.html")),
                 what="the sign-in page over https")
        wait_for(self.form_shown, what="the login form")
        self.assertFalse(self.error_shown())
        self.sign_in("demo@murmel.test", "demo1234")
        wait_for(self.signed_in, what="signed in")
        wait_for(self.web_client, what="web-client window")
        client = self.service.requests("/client/")
        self.assertTrue(client and all(r["scheme"] == "https" for r in client))

    def test_a_page_moved_to_another_host_name_never_reaches_the_program(self):
        self.start({"redirect": "otherHost"})

        def reported_from_localhost():
            return [r for r in self.service.requests("/account/reported")
                    if any(k.lower() == "host" and v.startswith("localhost")
                           for k, v in r["headers"].items())]
        # The page made its ready call; had it reached the program, the form
        # would show without the error.
        wait_for(reported_from_localhost, what="the other host's page calling ready")
        wait_for(self.form_shown, what="the form with the error")
        self.assertTrue(self.error_shown())
        self.assertLess(time.monotonic() - self.started, 30)  # at once, not after the wait
        self.assertEqual(self.tray.prop("IconName"), "murmel-alarm-signed-out")
        # Login loads it again and meets the same.
        since = self.service.requests()[-1]["seq"]
        self.sign_in("demo@murmel.test", "demo1234")
        wait_for(lambda: self.service.requests("/account/plugin_signin.html", since=since),
                 what="the sign-in page again")
        wait_for(lambda: self.form_shown() and self.error_shown(), what="the error again")
        self.assertFalse(self.service.requests("/auth/user/isvalid"))
        self.assertEqual(self.tray.prop("IconName"), "murmel-alarm-signed-out")
