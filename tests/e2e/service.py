"""The local Murmel service as the end-to-end tests' outside world."""

import json
import os
import subprocess
import time
import urllib.error
import urllib.parse
import urllib.request

from desktop import wait_for

BINARY_DIR = os.environ.get("MURMEL_BINARY_DIR", "")


class Service:
    def __init__(self, root, scenario=None):
        self.root = root
        self.state = os.path.join(root, "service")
        os.makedirs(self.state, exist_ok=True)
        self.args = [os.path.join(BINARY_DIR, "service", "murmel-service"),
                     "--state-dir", self.state]
        if scenario is not None:
            path = os.path.join(self.state, "scenario.json")
            with open(path, "w") as f:
                json.dump(scenario, f)
            self.args += ["--scenario", path]
        self._start([])
        self.base = self.ports["httpBase"]
        self.secure = self.ports["httpsBase"]

    def _start(self, extra_args):
        port_file = os.path.join(self.state, "ports.json")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.log = open(os.path.join(self.root, "service.log"), "ab")
        self.proc = subprocess.Popen(self.args + ["--port-file", port_file] + extra_args,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file) > 0,
                 what="the Murmel service")
        with open(port_file) as f:
            self.ports = json.load(f)

    def restart(self):
        """Starts the service again on the ports it had, with its first
        scenario; the certificates stay, sessions and the log do not."""
        self.stop()
        self._start(["--http-port", str(self.ports["http"]),
                     "--https-port", str(self.ports["https"])])

    def program_env(self):
        return {"MURMEL_AUTH_URL": self.secure, "MURMEL_ACCOUNT_URL": self.base,
                "MURMEL_CA_FILE": self.ports["caFile"]}

    def config_ini(self):
        return f"[ETC]\nweb_url={self.base}\n"

    def _request(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(req, timeout=10) as answer:
            text = answer.read().decode()
            return json.loads(text) if text else None

    def scenario(self, **changes):
        return self._request("POST", "/_control/scenario", changes)

    def message(self, sender, msg, sessionid=None, msgtype=0):
        body = {"type": "message", "sender": sender, "msg": msg, "msgtype": msgtype}
        if sessionid is not None:
            body["sessionid"] = sessionid
        return self._request("POST", "/_control/events", body)

    def messages(self, items, msgtype=0):
        """Posts (sender, msg, sessionid) messages at once: the web client
        gets them in one answer."""
        return self._request("POST", "/_control/events", {
            "type": "messages",
            "messages": [{"sender": s, "msg": m, "sessionid": c, "msgtype": msgtype}
                         for s, m, c in items]})

    def logout(self):
        return self._request("POST", "/_control/events", {"type": "logout"})

    def check_credentials(self, email, password):
        """Asks the authentication service as the program does; returns once
        it has answered, as late as its scenario makes it."""
        body = urllib.parse.urlencode({"username": email, "password": password}).encode()
        req = urllib.request.Request(self.base + "/auth/user/isvalid", data=body, method="POST")
        try:
            with urllib.request.urlopen(req, timeout=60) as answer:
                return answer.status
        except urllib.error.HTTPError as error:
            return error.code

    def requests(self, path=None, since=0):
        query = f"?since={since}" + (f"&path={path}" if path else "")
        return self._request("GET", "/_control/log" + query)

    def status(self):
        return self._request("GET", "/_control/status")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        self.log.close()
