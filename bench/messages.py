"""Message figures: a new-message event injected at the service to the toast
mapped and to its final picture on screen, a burst of 100 messages in one
second, and memory after 1,000 messages."""

import os
import time

from Xlib import X

from desktop import wait_for

import procs

TOAST = (228, 66)
LATENCY_SAMPLES = 25
SAMPLE_SPACING = 1.0      # seconds between latency samples
STACK = 5                 # toasts in the stack
SETTLED_AFTER = 0.8       # a toast's picture no longer changes this long after its map
BURST = 100
BURST_SECONDS = 1.0
MANY = 1000
MANY_SPACING = 0.02
SETTLE_STEP = 5           # seconds between readings while memory settles


def toasts(run):
    """The program's toast windows that exist on the X server (a toast gets
    its window when it is first shown): {window id: info}."""
    return {w["id"]: w for w in run.desktop.windows(pid=run.proc.pid)
            if (w["width"], w["height"]) == TOAST}


def _is_toast(run, window_id, known):
    if window_id not in known:
        try:
            window = run.desktop.x.create_resource_object("window", window_id)
            geometry = window.get_geometry()
            known[window_id] = (geometry.width, geometry.height) == TOAST
        except Exception:
            known[window_id] = False
    return known[window_id]


def _toast_mapped(run, after, known, timeout=10.0):
    """The first toast map after the given time: (time, window id)."""
    def first():
        for stamp, window in run.watcher.maps_since(after):
            if _is_toast(run, window, known):
                return stamp, window
        return None
    return wait_for(first, timeout=timeout, interval=0.002, what="a toast")


def available(run):
    """Whether the program shows toasts: one message, one toast. Returns the
    seconds from the first message after signing in to its toast mapped (the
    path of a toast that may not have been made before), or None."""
    known = {}
    t0 = time.monotonic()
    run.service.message("Probe", "Does a toast show?", "conv-probe")
    try:
        at, _ = _toast_mapped(run, t0, known)
    except AssertionError:
        return None
    time.sleep(6)  # until it closes
    return at - t0


def _position(run, window_id):
    window = run.desktop.x.create_resource_object("window", window_id)
    pos = window.translate_coords(run.desktop.x.screen().root, 0, 0)
    return -pos.x, -pos.y


def _settled_at(run, window_id, mapped_at):
    """When the toast's picture first equalled what it shows once it has
    settled: polls its area of the screen from the map on."""
    x, y = _position(run, window_id)
    root = run.desktop.x.screen().root
    frames = []
    while True:
        now = time.monotonic()
        image = root.get_image(x, y, TOAST[0], TOAST[1], X.ZPixmap, 0xFFFFFFFF).data
        frames.append((now, image))
        if now - mapped_at > SETTLED_AFTER:
            break
        time.sleep(0.004)
    final = frames[-1][1]
    return next(t for t, image in frames if image == final)


def _listening_after(run, event_id, timeout=60.0):
    """Waits until the web client asked for the events after event_id,
    that is, until it has taken every event up to it."""
    def done():
        for entry in reversed(run.service.requests("/client/events")):
            query = dict(p.split("=", 1) for p in entry.get("query", "").split("&") if "=" in p)
            if int(query.get("after", "-1")) >= event_id:
                return True
        return False
    wait_for(done, timeout=timeout, interval=0.1, what="the web client to take every event")


def _stack_clear(run):
    wait_for(lambda: not any(info["mapped"] for info in toasts(run).values()),
             timeout=30, interval=0.1, what="the toasts to close")


def latency(run, log):
    """Event to toast mapped, each sample in a free slot. The stack grows
    upwards from its highest toast, and a message that comes when the top slot
    is taken refills the toasts already mapped: there is no map to time. So
    samples go in runs of five, each run once the last has closed."""
    known = {}
    mapped, painted = [], []
    for i in range(LATENCY_SAMPLES):
        if i and i % STACK == 0:
            _stack_clear(run)
        t0 = time.monotonic()
        run.service.message(f"Sender {i % 7}", f"Latency sample {i}", f"conv-{i % 7}")
        at, window = _toast_mapped(run, t0, known)
        mapped.append(at - t0)
        painted.append(_settled_at(run, window, at) - t0)
        rest = SAMPLE_SPACING - (time.monotonic() - t0)
        if rest > 0:
            time.sleep(rest)
    log(f"  event to toast: mapped {sorted(mapped)[len(mapped) // 2] * 1000:.0f} ms, final "
        f"picture {sorted(painted)[len(painted) // 2] * 1000:.0f} ms (medians of "
        f"{len(mapped)})")
    return {"mapped": mapped, "painted": painted}


def burst(run, log, artifacts):
    """100 messages in one second: when the web client has taken them all,
    how many toasts are shown, and memory before, right after and a
    minute later. A screenshot of the stack goes to the artifacts folder."""
    os.makedirs(artifacts, exist_ok=True)
    before = run.memory()["total_mib"]
    t0 = time.monotonic()
    last = 0
    for i in range(BURST):
        target = t0 + i * BURST_SECONDS / BURST
        pause = target - time.monotonic()
        if pause > 0:
            time.sleep(pause)
        last = run.service.message(f"Burst {i + 1}", f"Burst message {i + 1} of {BURST}",
                                   "conv-burst")["id"]
    sent = time.monotonic() - t0
    _listening_after(run, last)
    taken = time.monotonic() - t0
    time.sleep(0.5)
    shown = sum(1 for info in toasts(run).values() if info["mapped"])
    screenshot = run.desktop.screenshot(os.path.join(artifacts, "burst-stack.png"))
    right_after = run.memory()["total_mib"]
    time.sleep(60)
    minute_after = run.memory()["total_mib"]
    log(f"  burst of {BURST}: sent in {sent:.2f} s, all taken after {taken:.2f} s, "
        f"{shown} toasts shown; PSS {before:.1f} -> {right_after:.1f} -> {minute_after:.1f} "
        f"MiB a minute later")
    return {"sent_seconds": sent, "taken_seconds": taken, "toasts_shown": shown,
            "pss_before": before, "pss_right_after": right_after,
            "pss_minute_after": minute_after, "screenshot": screenshot}


def _by_process(memory, key="parts"):
    return {name: mib for name, mib in memory[key]}


def many(run, log, settle):
    """1,000 messages at 50 a second, with the memory of every process read
    once settled before, at half way and at the end: whether the growth
    levels off, and in which process."""
    before = run.memory()
    readings = [before]
    own = {pid: name for pid, name in procs.label_web_processes(run.processes()).items()
           if name in OWN}
    maps_before = {pid: procs.private_by_mapping(pid) for pid in own}
    t0 = time.monotonic()
    last = 0
    for i in range(MANY):
        if i == MANY // 2:
            _listening_after(run, last)
            time.sleep(6 + settle)
            readings.append(run.memory())
        target = t0 + i * MANY_SPACING
        pause = target - time.monotonic()
        if pause > 0:
            time.sleep(pause)
        text = f"Message {i + 1} of {MANY}: " + "x" * (i % 80)
        last = run.service.message(f"Sender {i % 13}", text, f"conv-{i % 13}")["id"]
    _listening_after(run, last)
    taken = time.monotonic() - t0
    # The last toasts close after five seconds; then the program is idle
    # again. The engine hands memory back for a while after that, so the
    # reading waits until our processes' memory stops moving.
    time.sleep(6 + settle)
    early = after = run.memory()
    waited = 6 + settle
    while waited < 90:
        time.sleep(SETTLE_STEP)
        waited += SETTLE_STEP
        previous, after = after, run.memory()
        if abs(_growth(previous, after, OWN)) < 0.1:
            break
    readings.append(after)
    log(f"  settled {waited:.0f} s after the last message; own processes "
        f"{_growth(before, early, OWN):+.1f} MiB at {6 + settle:.0f} s, "
        f"{_growth(before, after, OWN):+.1f} MiB settled")
    log(f"  {MANY} messages: taken after {taken:.1f} s; PSS "
        + " -> ".join(f"{r['total_mib']:.1f}" for r in readings) + " MiB at 0/500/1000; USS "
        + " -> ".join(f"{r['uss_mib']:.1f}" for r in readings))
    for name in _by_process(before):
        log(f"    {name:32s} USS " + " -> ".join(
            f"{_by_process(r, 'uss_parts').get(name, 0):.1f}" for r in readings))
    grown = {}
    for pid, name in own.items():
        grown[name] = procs.mapping_growth(maps_before[pid], procs.private_by_mapping(pid))
        log(f"    {name} grew most in: " + ", ".join(
            f"{os.path.basename(m) or m} {kib / 1024:+.1f}" for m, kib in grown[name]))
    return {"taken_seconds": taken, "pss_before": before, "pss_half": readings[1],
            "pss_early": early, "pss_after": after, "settled_seconds": waited,
            "mapping_growth": grown}


def measure(run, log, settle, artifacts, first_toast):
    baseline = run.memory()["total_mib"]
    out = {"pss_idle_before": baseline, "first_toast_seconds": first_toast}
    out["latency"] = latency(run, log)
    time.sleep(6)  # let the sample toasts close
    out["burst"] = burst(run, log, artifacts)
    out["many"] = many(run, log, settle)
    return out


# Growth is read as memory no other process shares: Pss moves whenever other
# WebKit programs on the machine start or end.
def _growth(before, after, names):
    b, a = _by_process(before, "uss_parts"), _by_process(after, "uss_parts")
    return sum(a.get(n, 0) - b.get(n, 0) for n in names)


OWN = ("murmel-alarm", "WebKitWebProcess (own pages)")
CLIENT = ("WebKitWebProcess (web client)",)


def _figures(result):
    """One run's message figures, before the medians over the runs."""
    burst = result["burst"]
    many = result["many"]
    return {
        "burst_taken_s": burst["taken_seconds"],
        "burst_toasts_shown": burst["toasts_shown"],
        "burst_after_minute_mib": burst["pss_minute_after"] - burst["pss_before"],
        "growth_1000_mib": many["pss_after"]["uss_mib"] - many["pss_before"]["uss_mib"],
        "growth_1000_from_idle_mib": many["pss_after"]["total_mib"] - result["pss_idle_before"],
        "growth_500_own_mib": _growth(many["pss_before"], many["pss_half"], OWN),
        "growth_1000_own_mib": _growth(many["pss_before"], many["pss_after"], OWN),
        "growth_1000_own_early_mib": _growth(many["pss_before"], many["pss_early"], OWN),
        "growth_1000_settled_s": many["settled_seconds"],
        "growth_1000_web_client_mib": _growth(many["pss_before"], many["pss_after"], CLIENT),
        "first_toast_ms": (result.get("first_toast_seconds") or 0) * 1000,
    }


def summarise(results, median, percentile):
    """Medians over the runs that had the message phase; the toast times are
    pooled, every sample of every run counting once."""
    mapped = [t for r in results for t in r["latency"]["mapped"]]
    painted = [t for r in results for t in r["latency"]["painted"]]
    per_run = [_figures(r) for r in results]
    summary = {key: median([f[key] for f in per_run]) for key in per_run[0]}
    summary["growth_1000_own_runs_mib"] = [round(f["growth_1000_own_mib"], 2) for f in per_run]
    summary.update({
        "toast_median_ms": median(mapped) * 1000,
        "toast_p95_ms": percentile(mapped, 0.95) * 1000,
        "toast_painted_median_ms": median(painted) * 1000,
        "toast_painted_p95_ms": percentile(painted, 0.95) * 1000,
        "message_runs": len(results),
    })
    return summary
