"""The program as a user installs it: `cmake --install` into a fresh prefix,
or the Debian package unpacked into a fresh root. Every file is in its
place, the desktop's own tools accept the entry and the metadata, and the
installed program, started from an empty folder with its config.ini in a
system config directory, reaches the login form and plays its alert sound
from the installed data directory."""

import configparser
import os
import struct
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET

import test_notifications
from desktop import wait_for
from test_signin import SignedInTest

BINARY_DIR = os.environ.get("MURMEL_BINARY_DIR", "")
# Named by scripts/package.sh, which has just built it: a package left from
# an older build is never taken for the current one.
PACKAGE = os.environ.get("MURMEL_PACKAGE", "")
APP_ID = "com.ostrand.MurmelAlarm"
VERSION = "1.0.2"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
TRAY_STATES = ("signed-in", "signed-out", "new-message")


def installed_files(man_page):
    """Every file an install puts under its prefix, relative to it."""
    hicolor = "share/icons/hicolor"
    files = {
        "bin/murmel-alarm",
        "lib/murmel-alarm/murmel-engine.so",
        "lib/murmel-alarm/murmel-no-gl.so",
        "lib/murmel-alarm/murmel-no-gl.json",
        f"share/applications/{APP_ID}.desktop",
        f"share/metainfo/{APP_ID}.metainfo.xml",
        f"share/man/man1/{man_page}",
        f"{hicolor}/scalable/apps/{APP_ID}.svg",
        f"{hicolor}/symbolic/apps/{APP_ID}-symbolic.svg",
    }
    files |= {f"share/murmel-alarm/sound/sound{n}.wav" for n in range(1, 6)}
    files |= {f"{hicolor}/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES}
    files |= {f"{hicolor}/scalable/apps/murmel-alarm-{state}.svg" for state in TRAY_STATES}
    files |= {f"{hicolor}/symbolic/apps/murmel-alarm-{state}-symbolic.svg"
              for state in TRAY_STATES}
    return files


def files_under(root):
    found = set()
    for base, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(base, name), root))
    return found


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", head[16:24])


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return f.read().splitlines()


def run(*args, env=None):
    return subprocess.run(list(args), capture_output=True, text=True, env=env, timeout=120)


class InstalledProgramTest(SignedInTest):
    """Checks an installed tree under `self.prefix`; subclasses make it."""

    man_page = "murmel-alarm.1"
    extra_files = set()
    needs_built_program = False

    def check_files(self):
        self.assertEqual(files_under(self.prefix),
                         installed_files(self.man_page) | self.extra_files)
        self.assertTrue(os.access(os.path.join(self.prefix, "bin", "murmel-alarm"), os.X_OK))
        hicolor = os.path.join(self.prefix, "share", "icons", "hicolor")
        for size in ICON_SIZES:
            png = os.path.join(hicolor, f"{size}x{size}", "apps", APP_ID + ".png")
            self.assertEqual(png_size(png), (size, size), png)

    def check_desktop_entry(self):
        entry = os.path.join(self.prefix, "share", "applications", APP_ID + ".desktop")
        checked = run("desktop-file-validate", entry)
        self.assertEqual((checked.returncode, checked.stdout + checked.stderr), (0, ""))
        parser = configparser.RawConfigParser(strict=True)
        parser.optionxform = str
        parser.read(entry)
        values = dict(parser["Desktop Entry"])
        self.assertEqual(values["Exec"], "murmel-alarm")
        self.assertEqual(values["Icon"], APP_ID)
        self.assertEqual(values["Categories"], "Network;InstantMessaging;")
        return values

    def check_metainfo(self):
        path = os.path.join(self.prefix, "share", "metainfo", APP_ID + ".metainfo.xml")
        checked = run("appstreamcli", "validate", "--no-net", "--no-color", path)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        root = ET.parse(path).getroot()
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.findtext("launchable"), APP_ID + ".desktop")
        self.assertEqual([r.get("version") for r in root.iter("release")], [VERSION])

    def check_manual(self):
        page = os.path.join(self.prefix, "share", "man", "man1", self.man_page)
        shown = run("man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page,
                    env=dict(os.environ, MANROFFSEQ=""))
        self.assertEqual((shown.returncode, shown.stderr), (0, ""))
        self.assertIn("XDG_CONFIG_DIRS", shown.stdout)

    def check_options(self, program):
        # No display at all: the answers come before the toolkit opens one,
        # and so before the program looks for a running instance.
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        version = run(program, "--version", env=env)
        self.assertEqual((version.returncode, version.stdout, version.stderr),
                         (0, f"Murmel Alarm {VERSION}\n", ""))
        helped = run(program, "--help", env=env)
        self.assertEqual(helped.returncode, 0)
        self.assertTrue(helped.stdout.startswith("Usage: murmel-alarm"), helped.stdout)
        refused = run(program, "--no-such-option", env=env)
        self.assertEqual((refused.returncode, refused.stdout), (2, ""))
        self.assertEqual(refused.stderr.splitlines()[-1],
                         "Usage: murmel-alarm [--help] [--version] [GTK options]")

    def check_start(self, desktop_entry):
        """Started from an empty folder, seeded from a system config
        directory: the login form, the windows' class, the alert sound."""
        self.program = os.path.join(self.prefix, "bin", "murmel-alarm")
        empty = tempfile.mkdtemp(dir=self.desktop.root, prefix="empty-")
        xdg = os.path.join(self.desktop.root, "xdg")
        os.makedirs(os.path.join(xdg, "murmel-alarm"))
        with open(os.path.join(xdg, "murmel-alarm", "config.ini"), "w") as f:
            f.write(self.service.config_ini())
        sounds = os.path.join(self.desktop.root, "sounds.log")
        # The desktop knows the installed icons, as it knows a package's.
        data_dirs = os.path.join(self.prefix, "share") + ":/usr/share"
        self.relaunch({"XDG_CONFIG_DIRS": xdg, "XDG_DATA_DIRS": data_dirs,
                       "MURMEL_SOUND_LOG": sounds}, cwd=empty)

        login = self.desktop.x.create_resource_object("window", self.login)
        self.assertEqual(login.get_wm_class(),
                         ("murmel-alarm", desktop_entry["StartupWMClass"]))
        # The window's icon becomes the installed one, from the icon theme,
        # once the first window is up: only that has a 256-pixel image.
        wait_for(lambda: (256, 256) in self.desktop.icon_sizes(self.login),
                 what="the installed icon on the login window")

        self.sign_in("demo@murmel.test", "demo1234")
        client = wait_for(self.web_client, timeout=40, what="web-client window")[0]
        self.close_window(client["id"])
        wait_for(lambda: not self.web_client(), what="web client hidden")
        self.service.message("Ada Berg", "Installed and ringing", "conv-ada")
        played = os.path.join(self.prefix, "share", "murmel-alarm", "sound", "sound1.wav")
        self.assertEqual(wait_for(lambda: read_lines(sounds), what="the alert sound"), [played])
        self.assertEqual(os.listdir(empty), [])

        self.tray.choose("Quit")
        self.assertEqual(self.proc.wait(timeout=15), 0)

    close_window = test_notifications.Notifications.close_window

    def check_everything(self):
        self.check_files()
        entry = self.check_desktop_entry()
        self.check_metainfo()
        self.check_manual()
        self.check_options(os.path.join(self.prefix, "bin", "murmel-alarm"))
        self.check_start(entry)


class CmakeInstall(InstalledProgramTest):
    def test_install_into_a_fresh_prefix_gives_a_complete_working_program(self):
        self.prefix = os.path.join(self.desktop.root, "prefix")
        done = run("cmake", "--install", BINARY_DIR, "--prefix", self.prefix)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.check_everything()


class DebianPackage(InstalledProgramTest):
    man_page = "murmel-alarm.1.gz"
    extra_files = {"share/doc/murmel-alarm/copyright",
                   "share/doc/murmel-alarm/changelog.Debian.gz"}

    def setUp(self):
        if not PACKAGE:
            self.skipTest("MURMEL_PACKAGE is not set (scripts/package.sh runs this test)")
        super().setUp()

    def test_unpacked_package_gives_a_complete_working_program(self):
        root = os.path.join(self.desktop.root, "root")
        done = run("dpkg-deb", "-x", PACKAGE, root)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.prefix = os.path.join(root, "usr")
        self.assertEqual(os.listdir(root), ["usr"])
        self.check_everything()


if __name__ == "__main__":
    unittest.main()
