"""What the program costs the machine, read from /proc: its process tree,
the proportional set size of every process in it and the CPU time they used."""

import os

TICKS = os.sysconf("SC_CLK_TCK")


def _stat(pid):
    """(name, parent pid, utime + stime in ticks) of a process, or None."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            text = f.read()
    except OSError:
        return None
    # The name is in parentheses and may itself hold spaces or parentheses.
    name = text[text.index("(") + 1:text.rindex(")")]
    fields = text[text.rindex(")") + 2:].split()
    return name, int(fields[1]), int(fields[11]) + int(fields[12])


def _all_pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def tree(root):
    """The process and all its descendants: {pid: name}. WebKit's web and
    network processes are children of the program (or of a sandbox helper
    it starts), so they are found here."""
    children = {}
    names = {}
    for pid in _all_pids():
        info = _stat(pid)
        if info:
            names[pid] = info[0]
            children.setdefault(info[1], []).append(pid)
    out = {}
    todo = [root]
    while todo:
        pid = todo.pop()
        if pid in names and pid not in out:
            out[pid] = names[pid]
            todo.extend(children.get(pid, []))
    return out


def _started(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            text = f.read()
        return int(text[text.rindex(")") + 2:].split()[19])
    except OSError:
        return 0


def label_web_processes(procs):
    """Names the program's two web processes: the program's own pages share
    the first one it starts, the web client gets the second."""
    web = sorted((pid for pid, name in procs.items() if name.startswith("WebKitWebProces")),
                 key=_started)
    out = dict(procs)
    if len(web) == 2:
        out[web[0]] = "WebKitWebProcess (own pages)"
        out[web[1]] = "WebKitWebProcess (web client)"
    return out


def session_helpers(bus_address, exclude):
    """Processes outside the program's tree that run on its session bus,
    such as an accessibility bus started on its behalf: {pid: name}."""
    needle = ("DBUS_SESSION_BUS_ADDRESS=" + bus_address).encode()
    found = {}
    for pid in _all_pids():
        if pid in exclude:
            continue
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if needle in env:
            info = _stat(pid)
            if info:
                found[pid] = info[0]
    return found


def rollup_kib(pid):
    """{Pss, Rss, Uss} of one process in KiB (zeros once it is gone). Uss is
    the memory no other process shares."""
    values = {"Pss": 0, "Rss": 0, "Uss": 0}
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("Pss", "Rss"):
                    values[key] = int(rest.split()[0])
                elif key in ("Private_Clean", "Private_Dirty"):
                    values["Uss"] += int(rest.split()[0])
    except OSError:
        pass
    return values


def memory(procs):
    """Total Pss in MiB, the share of each process [(name, MiB)], the totals
    of Uss and Rss in MiB and each process's Uss [(name, MiB)]. Pss splits
    pages shared with processes outside the tree too (other WebKit programs
    on the machine), so it reads lower while those run; Uss is the floor it
    cannot go under."""
    rollups = {pid: rollup_kib(pid) for pid in procs}
    parts = sorted(((procs[pid], r["Pss"] / 1024.0) for pid, r in rollups.items()),
                   key=lambda p: -p[1])
    uss_parts = [(procs[pid], r["Uss"] / 1024.0) for pid, r in rollups.items()]
    return (sum(m for _, m in parts), parts,
            sum(r["Uss"] for r in rollups.values()) / 1024.0,
            sum(r["Rss"] for r in rollups.values()) / 1024.0, uss_parts)


def foreign_webkit(own):
    """How many WebKit processes outside the given ones run on the machine."""
    count = 0
    for pid in _all_pids():
        if pid in own:
            continue
        info = _stat(pid)
        if info and info[0].startswith("WebKit"):
            count += 1
    return count


def cpu_ticks(procs):
    """{pid: utime + stime} of the processes still alive."""
    out = {}
    for pid in procs:
        info = _stat(pid)
        if info:
            out[pid] = info[2]
    return out


def cpu_seconds_between(before, after):
    """CPU seconds used between two cpu_ticks() readings; a process that
    appeared in between counts from zero."""
    return sum(t - before.get(pid, 0) for pid, t in after.items()) / TICKS


def machine():
    """nproc, memory and CPU model, as the report states them."""
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        total_kib = int(f.readline().split()[1])
    return {"nproc": os.cpu_count(), "memory_gib": round(total_kib / 1024 / 1024, 1),
            "cpu": model, "kernel": os.uname().release}


def load():
    """The 1-minute load average."""
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


class MachineBusy:
    """The share of all cores busy between start() and stop(), from
    /proc/stat: other developers' builds share this machine."""

    @staticmethod
    def _read():
        with open("/proc/stat") as f:
            values = [int(v) for v in f.readline().split()[1:]]
        idle = values[3] + values[4]
        return sum(values), idle

    def __init__(self):
        self.total, self.idle = self._read()

    def share(self):
        total, idle = self._read()
        span = total - self.total
        return 0.0 if span <= 0 else 1.0 - (idle - self.idle) / span


def private_by_mapping(pid):
    """{mapping name: private KiB} of one process from /proc/PID/smaps (what
    no other process shares, so other WebKit programs starting or ending do
    not move it, as they move Pss); anonymous mappings are "[anon]", so a
    growth can be told apart as heap, shared memory buffers or a library's
    data."""
    out = {}
    name = None
    try:
        with open(f"/proc/{pid}/smaps") as f:
            for line in f:
                first = line.split(None, 1)[0]
                if "-" in first and not first.endswith(":"):
                    parts = line.split(None, 5)
                    name = parts[5].strip() if len(parts) > 5 else "[anon]"
                elif first in ("Private_Clean:", "Private_Dirty:") and name is not None:
                    out[name] = out.get(name, 0) + int(line.split()[1])
    except OSError:
        pass
    return out


def mapping_growth(before, after, count=5):
    """The mappings that grew most between two private_by_mapping() readings:
    [(name, KiB)]."""
    names = set(before) | set(after)
    grown = [(n, after.get(n, 0) - before.get(n, 0)) for n in names]
    return sorted(grown, key=lambda g: -g[1])[:count]
