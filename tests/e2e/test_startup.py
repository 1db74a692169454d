"""Start-up as a user meets it: the login window, the hidden windows and a
second start of the program."""

import json
import os
import time
import unittest

from desktop import Desktop, WORK_AREA, wait_for
from support import ProgramTest, LOGIN_TITLE


def processes_of(pid):
    """The program and every process below it."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parents[int(entry)] = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                pass  # ended meanwhile
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        todo += [child for child, parent in parents.items() if parent == current]
    return found


def mapped_files(pid):
    try:
        with open(f"/proc/{pid}/maps") as maps:
            return {os.path.basename(line.split()[-1]) for line in maps if "/" in line}
    except OSError:
        return set()


class FirstStart(ProgramTest):
    def test_login_window_is_centred_in_the_work_area_once_its_page_loaded(self):
        proc = self.start_program()
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=proc.pid),
                         what="login window")[0]
        self.assertEqual((login["width"], login["height"]), (281, 387))
        left, top, width, height = WORK_AREA
        self.assertLessEqual(abs(login["x"] - (left + (width - 281) // 2)), 2)
        self.assertLessEqual(abs(login["y"] - (top + (height - 387) // 2)), 2)
        self.desktop.wait_rendered(login["id"])
        self.save_screenshot("login-window")
        # Nothing polls /proc while the program sits idle: WebKit's memory
        # pressure monitor is left off.
        task = f"/proc/{proc.pid}/task"
        threads = set()
        for tid in os.listdir(task):
            try:
                with open(os.path.join(task, tid, "comm")) as comm:
                    threads.add(comm.read().strip())
            except OSError:
                pass  # a thread that ended meanwhile
        self.assertNotIn("PressureMonitor", threads)
        # The window icon comes as pixels made at build time: no SVG
        # renderer is loaded for it.
        with open(f"/proc/{proc.pid}/maps") as maps:
            self.assertEqual([m.split()[-1] for m in maps if "librsvg" in m], [])
        # The processes that bring EGL up, this one and both web processes,
        # have our driver that offers no GL, and none has the desktop's.
        def everyone():
            found = [mapped_files(pid) for pid in processes_of(proc.pid)]
            return found if sum("murmel-no-gl.so" in files for files in found) >= 3 else None

        for files in wait_for(everyone, what="our EGL driver in three processes"):
            self.assertEqual([f for f in files if "libEGL_mesa" in f or "_dri.so" in f], [])

    def test_keys_that_would_reload_or_close_the_page_do_nothing(self):
        proc = self.start_program()
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=proc.pid),
                         what="login window")[0]
        self.desktop.xdotool("windowactivate", "--sync", login["id"])
        for key in ("F5", "ctrl+n", "Return", "Escape"):
            self.desktop.xdotool("key", "--window", login["id"], key)
        time.sleep(0.5)
        self.assertEqual(len(self.desktop.mapped(LOGIN_TITLE, pid=proc.pid)), 1)
        self.assertIsNone(proc.poll())


class SecondStart(ProgramTest):
    def test_two_starts_at_once_leave_exactly_one_running(self):
        program = self.install()
        first = self.desktop.start(program)
        second = self.desktop.start(program)
        wait_for(lambda: first.poll() is not None or second.poll() is not None,
                 what="one of two starts to hand over")
        survivor, leaver = (first, second) if first.poll() is None else (second, first)
        self.assertEqual(leaver.returncode, 0)
        wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=survivor.pid), what="login window")
        time.sleep(0.5)
        self.assertIsNone(survivor.poll())
        self.assertEqual(self.desktop.windows(pid=leaver.pid), [])

    def test_a_start_while_running_brings_the_login_window_back_and_exits(self):
        program = self.install()
        running = self.desktop.start(program)
        login = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=running.pid),
                         what="login window")[0]
        self.desktop.xdotool("windowunmap", "--sync", login["id"])
        self.assertEqual(self.desktop.mapped(LOGIN_TITLE, pid=running.pid), [])
        again = self.desktop.start(program)
        self.assertEqual(again.wait(timeout=10), 0)
        wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=running.pid),
                 what="login window brought back")
        self.assertEqual(self.desktop.windows(pid=again.pid), [])
        # The second start touched no settings of the user's.
        self.assertIsNone(running.poll())


class WithoutItsEngine(ProgramTest):
    def test_a_missing_engine_module_is_told_and_the_start_fails(self):
        program = self.install()
        os.remove(os.path.join(os.path.dirname(program), "murmel-engine.so"))
        log = os.path.join(self.desktop.root, "message-boxes.jsonl")
        proc = self.desktop.start(program, {"MURMEL_MESSAGE_LOG": log})
        box = wait_for(lambda: self.desktop.mapped(LOGIN_TITLE, pid=proc.pid),
                       what="the box on screen")[0]
        with open(log) as f:
            text = json.loads(f.readline())["text"]
        self.assertIn("its web engine module was not found", text)
        self.assertIn("/murmel-engine.so: cannot open shared object file", text)
        self.desktop.wait_rendered(box["id"])
        self.save_screenshot("engine-missing")
        self.desktop.xdotool("windowactivate", "--sync", box["id"])
        self.desktop.xdotool("key", "Return")
        wait_for(lambda: proc.poll() is not None, what="the program to end")
        self.assertEqual(proc.returncode, 1)


if __name__ == "__main__":
    unittest.main()
