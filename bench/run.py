"""Measures the release build from outside: start-up times, memory, idle CPU
and, where the program shows toasts, message latency and bursts. Each run
gets a fresh private desktop (Xvfb, window manager, session bus, tray host)
and a fresh local service. Results are printed and written as JSON."""

import argparse
import datetime
import json
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default=os.path.join(SOURCE, "build", "release"),
                        help="build directory holding src/murmel-alarm and the service")
    parser.add_argument("--runs", type=int, default=5, help="program runs (at least 5)")
    parser.add_argument("--idle-seconds", type=float, default=60.0,
                        help="how long each run sits signed in and idle for the CPU figure")
    parser.add_argument("--settle-seconds", type=float, default=4.0,
                        help="pause before each memory reading")
    parser.add_argument("--no-messages", action="store_true",
                        help="skip the message latency, burst and 1,000-message phase")
    parser.add_argument("--out", help="JSON results file (default BUILD/bench/results.json)")
    return parser.parse_args()


args = parse_args()
# The harness finds the service binary through this variable at import.
os.environ["MURMEL_BINARY_DIR"] = args.build
sys.path.insert(0, HERE)

import procs  # noqa: E402
from session import Run  # noqa: E402
import messages  # noqa: E402


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def percentile(values, share):
    values = sorted(v for v in values if v is not None)
    if not values:
        return None
    index = min(len(values) - 1, max(0, int(round(share * len(values) + 0.5)) - 1))
    return values[index]


def log(text):
    print(text, flush=True)


def one_run(program, index, with_messages):
    busy = procs.MachineBusy()
    result = {"load_before": procs.load()}
    run = Run(program, os.path.join(args.build, "sound"))
    try:
        result.update(run.start())
        log(f"run {index}: tray {result['tray_registered'] * 1000:.0f} ms, login mapped "
            f"{result['login_mapped'] * 1000:.0f} ms, login drawn "
            f"{(result['login_drawn'] or 0) * 1000:.0f} ms")
        time.sleep(args.settle_seconds)
        result["pss_login"] = run.memory()
        result["sign_in_seconds"] = run.sign_in()
        time.sleep(args.settle_seconds)
        result["pss_web_client_open"] = run.memory()
        run.close_web_client()
        time.sleep(args.settle_seconds)
        result["pss_idle"] = run.memory()
        watched = run.processes()
        before = procs.cpu_ticks(watched)
        helpers = run.helpers()
        helpers_before = procs.cpu_ticks(helpers)
        t0 = time.monotonic()
        time.sleep(args.idle_seconds)
        span = time.monotonic() - t0
        after = procs.cpu_ticks({**watched, **run.processes()})
        result["idle_cpu_seconds"] = procs.cpu_seconds_between(before, after)
        result["idle_cpu_share"] = result["idle_cpu_seconds"] / span
        result["idle_helper_cpu_seconds"] = procs.cpu_seconds_between(
            helpers_before, procs.cpu_ticks(helpers))
        log(f"run {index}: PSS login {result['pss_login']['total_mib']:.1f} MiB, idle "
            f"{result['pss_idle']['total_mib']:.1f} MiB, idle CPU "
            f"{result['idle_cpu_seconds']:.3f} s in {span:.0f} s")
        if with_messages and messages.available(run):
            result["messages"] = messages.measure(run, log, args.settle_seconds,
                                                 os.path.join(args.build, "bench"))
        elif with_messages:
            log("this build shows no toasts; no message figures")
        result["exit_status"] = run.quit()
    finally:
        run.close()
    result["load_after"] = procs.load()
    result["machine_busy"] = busy.share()
    return result


def summarise(runs):
    def pick(key, sub=None):
        return [r[key][sub] if sub else r[key] for r in runs if key in r]

    summary = {
        "tray_registered_ms": median(pick("tray_registered")) * 1000,
        "login_mapped_ms": median(pick("login_mapped")) * 1000,
        "login_drawn_ms": (median(pick("login_drawn")) or 0) * 1000,
        "sign_in_to_listening_ms": median(pick("sign_in_seconds")) * 1000,
        "pss_login_mib": median(pick("pss_login", "total_mib")),
        "pss_web_client_open_mib": median(pick("pss_web_client_open", "total_mib")),
        "pss_idle_mib": median(pick("pss_idle", "total_mib")),
        "uss_idle_mib": median(pick("pss_idle", "uss_mib")),
        "rss_idle_mib": median(pick("pss_idle", "rss_mib")),
        "other_webkit_processes_idle": median(pick("pss_idle", "foreign_webkit")),
        "helpers_idle_mib": median(pick("pss_idle", "helpers_mib")),
        "idle_cpu_seconds": median(pick("idle_cpu_seconds")),
        "idle_cpu_percent": median(pick("idle_cpu_share")) * 100,
        "machine_busy_percent": median(pick("machine_busy")) * 100,
    }
    with_messages = [r["messages"] for r in runs if "messages" in r]
    if with_messages:
        summary.update(messages.summarise(with_messages, median, percentile))
    return summary


TARGETS = [
    ("login_mapped_ms", "login window mapped", 1000, "ms"),
    ("login_drawn_ms", "login form drawn", 1000, "ms"),
    ("tray_registered_ms", "tray item registered", 300, "ms"),
    ("pss_idle_mib", "PSS signed in, idle", 250, "MiB"),
    ("idle_cpu_percent", "CPU signed in, idle", 0.2, "%"),
    ("toast_median_ms", "event to toast, median", 50, "ms"),
    ("growth_1000_mib", "growth after 1,000 messages", 5, "MiB"),
    ("burst_after_minute_mib", "burst: after a minute vs before", 5, "MiB"),
]


def report(summary):
    log("\nmedians over the runs")
    for key, value in summary.items():
        if isinstance(value, (int, float)):
            log(f"  {key:32s} {value:10.3f}")
    log("\ntargets")
    for key, label, limit, unit in TARGETS:
        if key in summary and summary[key] is not None:
            value = summary[key]
            verdict = "met" if value < limit else "MISSED"
            log(f"  {label:34s} {value:9.2f} {unit:3s} (< {limit} {unit}) {verdict}")


def main():
    if args.runs < 5:
        log("note: fewer than 5 runs; the medians are rough")
    program = os.path.join(args.build, "src", "murmel-alarm")
    if not os.path.exists(program):
        sys.exit(f"{program} is missing: cmake --preset release && "
                 "cmake --build --preset release")
    with_messages = not args.no_messages
    started = time.monotonic()
    info = {"machine": procs.machine(),
            "date": datetime.datetime.now(datetime.timezone.utc).isoformat(timespec="seconds"),
            "program": program, "runs": args.runs, "idle_seconds": args.idle_seconds}
    log(f"{info['date']}  {info['machine']['nproc']} cores, "
        f"{info['machine']['memory_gib']} GiB, {info['machine']['cpu']}, "
        f"load {procs.load():.2f}")
    runs = []
    for index in range(args.runs):
        # The message phase needs one run only; it takes the first.
        runs.append(one_run(program, index + 1, with_messages and index == 0))
    summary = summarise(runs)
    info.update(summary=summary, per_run=runs,
                wall_seconds=time.monotonic() - started)
    out = args.out or os.path.join(args.build, "bench", "results.json")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out, "w") as f:
        json.dump(info, f, indent=1)
    report(summary)
    log(f"\n{len(runs)} runs in {info['wall_seconds']:.0f} s; results in {out}")


if __name__ == "__main__":
    main()
