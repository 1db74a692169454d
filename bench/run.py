"""Measures the release build from outside: start-up times, memory, idle CPU
and, where the program shows toasts, message latency and bursts. Each run
gets a fresh private desktop (Xvfb, window manager, session bus, tray host)
and a fresh local service. Every program run is paired with a run of the
bare engine program (bench/bare-engine.c) on a desktop of its own, in
alternating order, so the start-up time and memory are also given as ratios
to the engine's floor taken under the same load. Results are printed and
written as JSON."""

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
    parser.add_argument("--message-runs", type=int,
                        help="runs that take the message phase, from the first "
                             "(default: every run, for medians of the growth)")
    parser.add_argument("--program", help="the program to measure (default BUILD/src/murmel-alarm)")
    parser.add_argument("--start-only", action="store_true",
                        help="only the start-up figures and the memory at the login form: "
                             "no sign-in, idle or message phase")
    parser.add_argument("--no-bare", action="store_true",
                        help="skip the bare engine runs (no ratios)")
    parser.add_argument("--out", help="JSON results file (default BUILD/bench/results.json)")
    return parser.parse_args()


args = parse_args()
# The harness finds the service binary through this variable at import.
os.environ["MURMEL_BINARY_DIR"] = args.build
sys.path.insert(0, HERE)

import procs  # noqa: E402
from session import BareRun, Run  # noqa: E402
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
            f"{(result['login_drawn'] or 0) * 1000:.0f} ms, load {result['load_before']:.2f}")
        time.sleep(args.settle_seconds)
        result["pss_login"] = run.memory()
        if args.start_only:
            log(f"run {index}: PSS login {result['pss_login']['total_mib']:.1f} MiB")
        else:
            signed_in_phase(run, result, index, with_messages)
    finally:
        run.close()
    result["load_after"] = procs.load()
    result["machine_busy"] = busy.share()
    return result


def signed_in_phase(run, result, index, with_messages):
    """Signs in, then memory with the web client open and idle, idle CPU and,
    when asked for, the message figures; quits from the tray."""
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
    # The first seconds after signing in still carry the web client's own
    # settling; the second half of the minute is the program left alone.
    time.sleep(args.idle_seconds / 2)
    half = procs.cpu_ticks({**watched, **run.processes()})
    t_half = time.monotonic()
    time.sleep(args.idle_seconds / 2)
    end = time.monotonic()
    span = end - t0
    after = procs.cpu_ticks({**watched, **run.processes()})
    # The same memory at the end of the quiet minute: what the program keeps
    # once the sign-in's work is over.
    result["pss_idle_end"] = run.memory()
    result["idle_cpu_seconds"] = procs.cpu_seconds_between(before, after)
    result["idle_cpu_share"] = result["idle_cpu_seconds"] / span
    result["idle_cpu_late_share"] = procs.cpu_seconds_between(half, after) / (end - t_half)
    result["idle_helper_cpu_seconds"] = procs.cpu_seconds_between(
        helpers_before, procs.cpu_ticks(helpers))
    log(f"run {index}: PSS login {result['pss_login']['total_mib']:.1f} MiB, idle "
        f"{result['pss_idle']['total_mib']:.1f} MiB "
        f"({result['pss_idle_end']['total_mib']:.1f} a minute later), idle CPU "
        f"{result['idle_cpu_seconds']:.3f} s in {span:.0f} s "
        f"({result['idle_cpu_late_share'] * 100:.2f} % in its second half)")
    first_toast = messages.available(run) if with_messages else None
    if first_toast is not None:
        log(f"run {index}: first message to its toast mapped {first_toast * 1000:.0f} ms")
        result["messages"] = messages.measure(run, log, args.settle_seconds,
                                             os.path.join(args.build, "bench"), first_toast)
    elif with_messages:
        log("this build shows no toasts; no message figures")
    result["exit_status"] = run.quit()


def bare_run(program, index):
    result = {"load_before": procs.load()}
    run = BareRun(program)
    try:
        result.update(run.start())
        time.sleep(args.settle_seconds)
        result["pss"] = run.memory()
    finally:
        run.close()
    result["load_after"] = procs.load()
    log(f"bare {index}: mapped {result['mapped'] * 1000:.0f} ms, drawn "
        f"{(result['drawn'] or 0) * 1000:.0f} ms, PSS {result['pss']['total_mib']:.1f} MiB, "
        f"load {result['load_before']:.2f}")
    return result


def ratios(runs, bares):
    """The program's figures over the bare engine's, pair by pair (each
    program run with the bare run next to it) and as ratios of the medians."""
    pairs = [(r, b) for r, b in zip(runs, bares) if r.get("login_drawn") and b.get("drawn")]
    if not pairs:
        return {}
    drawn = [r["login_drawn"] / b["drawn"] for r, b in pairs]
    pss = [r["pss_login"]["total_mib"] / b["pss"]["total_mib"] for r, b in pairs]
    # PSS splits pages shared with other WebKit programs on the machine, so
    # it reads low while they run; USS (pages of one process alone) does not.
    uss = [r["pss_login"]["uss_mib"] / b["pss"]["uss_mib"] for r, b in pairs]
    # CPU time used until the form is drawn hardly depends on the load.
    cpu = [r["cpu_to_drawn"] / b["cpu_to_drawn"] for r, b in pairs]
    bare_drawn = median([b["drawn"] for b in bares])
    bare_pss = median([b["pss"]["total_mib"] for b in bares])
    return {
        "bare_drawn_ms": bare_drawn * 1000,
        "bare_mapped_ms": median([b["mapped"] for b in bares]) * 1000,
        "bare_pss_mib": bare_pss,
        "ratio_drawn_pairs": median(drawn),
        "ratio_pss_pairs": median(pss),
        "ratio_uss_pairs": median(uss),
        "ratio_cpu_to_drawn_pairs": median(cpu),
        "bare_cpu_to_drawn_s": median([b["cpu_to_drawn"] for b in bares]),
        "bare_uss_mib": median([b["pss"]["uss_mib"] for b in bares]),
        "ratio_drawn_medians": median([r["login_drawn"] for r, _ in pairs]) / bare_drawn,
        "ratio_pss_medians": median([r["pss_login"]["total_mib"] for r, _ in pairs]) / bare_pss,
    }


def summarise(runs):
    def pick(key, sub=None):
        return [r[key][sub] if sub else r[key] for r in runs if key in r]

    def scaled(values, factor):
        value = median(values)
        return None if value is None else value * factor

    summary = {
        "tray_registered_ms": scaled(pick("tray_registered"), 1000),
        "login_mapped_ms": scaled(pick("login_mapped"), 1000),
        "login_drawn_ms": scaled(pick("login_drawn"), 1000),
        "cpu_to_drawn_s": median(pick("cpu_to_drawn")),
        "sign_in_to_listening_ms": scaled(pick("sign_in_seconds"), 1000),
        "pss_login_mib": median(pick("pss_login", "total_mib")),
        "uss_login_mib": median(pick("pss_login", "uss_mib")),
        "pss_web_client_open_mib": median(pick("pss_web_client_open", "total_mib")),
        "pss_idle_mib": median(pick("pss_idle", "total_mib")),
        "uss_idle_mib": median(pick("pss_idle", "uss_mib")),
        "rss_idle_mib": median(pick("pss_idle", "rss_mib")),
        "pss_idle_end_mib": median(pick("pss_idle_end", "total_mib")),
        "uss_idle_end_mib": median(pick("pss_idle_end", "uss_mib")),
        "other_webkit_processes_idle": median(pick("pss_idle", "foreign_webkit")),
        "helpers_idle_mib": median(pick("pss_idle", "helpers_mib")),
        "idle_cpu_seconds": median(pick("idle_cpu_seconds")),
        "idle_cpu_percent": scaled(pick("idle_cpu_share"), 100),
        "idle_cpu_late_percent": scaled(pick("idle_cpu_late_share"), 100),
        "machine_busy_percent": scaled(pick("machine_busy"), 100),
    }
    with_messages = [r["messages"] for r in runs if "messages" in r]
    if with_messages:
        summary.update(messages.summarise(with_messages, median, percentile))
    return summary


TARGETS = [
    ("ratio_drawn_pairs", "login form drawn / bare engine", 1.25, "x"),
    ("ratio_pss_pairs", "PSS at login form / bare engine", 1.10, "x"),
    ("tray_registered_ms", "tray item registered", 150, "ms"),
    ("login_drawn_ms", "login form drawn", 450, "ms"),
    ("pss_idle_mib", "PSS signed in, idle", 200, "MiB"),
    ("growth_1000_own_mib", "own processes' growth, 1,000 msgs", 2, "MiB"),
    ("toast_median_ms", "event to toast, median", 16, "ms"),
    ("toast_p95_ms", "event to toast, p95", 33, "ms"),
    ("idle_cpu_percent", "CPU signed in, idle", 0.1, "%"),
    ("idle_cpu_late_percent", "the same, second half", 0.1, "%"),
]


def report(summary):
    log("\nmedians over the runs")
    for key, value in summary.items():
        if isinstance(value, (int, float)):
            log(f"  {key:32s} {value:10.3f}")
    if summary.get("growth_1000_own_runs_mib"):
        log(f"  own processes' growth by run (MiB): {summary['growth_1000_own_runs_mib']}")
    log("\ntargets")
    for key, label, limit, unit in TARGETS:
        if key in summary and summary[key] is not None:
            value = summary[key]
            met = value <= limit if unit == "x" else value < limit
            bound = "<=" if unit == "x" else "<"
            log(f"  {label:34s} {value:9.2f} {unit:3s} ({bound} {limit} {unit}) "
                f"{'met' if met else 'MISSED'}")


def main():
    if args.runs < 5:
        log("note: fewer than 5 runs; the medians are rough")
    program = args.program or os.path.join(args.build, "src", "murmel-alarm")
    if not os.path.exists(program):
        sys.exit(f"{program} is missing: cmake --preset release && "
                 "cmake --build --preset release")
    with_messages = not args.no_messages
    message_runs = args.runs if args.message_runs is None else args.message_runs
    started = time.monotonic()
    info = {"machine": procs.machine(),
            "date": datetime.datetime.now(datetime.timezone.utc).isoformat(timespec="seconds"),
            "program": program, "runs": args.runs, "idle_seconds": args.idle_seconds}
    log(f"{info['date']}  {info['machine']['nproc']} cores, "
        f"{info['machine']['memory_gib']} GiB, {info['machine']['cpu']}, "
        f"load {procs.load():.2f}")
    bare = os.path.join(args.build, "bench", "bare-engine")
    if not args.no_bare and not os.path.exists(bare):
        sys.exit(f"{bare} is missing: cmake --build --preset release --target bare-engine")
    runs, bares = [], []
    for index in range(args.runs):
        # Alternating which goes first spreads a change in the machine's load
        # over both programs alike.
        if not args.no_bare and index % 2 == 0:
            bares.append(bare_run(bare, index + 1))
        runs.append(one_run(program, index + 1, with_messages and index < message_runs))
        if not args.no_bare and index % 2 == 1:
            bares.append(bare_run(bare, index + 1))
    summary = summarise(runs)
    summary.update(ratios(runs, bares))
    info.update(summary=summary, per_run=runs, bare_runs=bares,
                wall_seconds=time.monotonic() - started)
    out = args.out or os.path.join(args.build, "bench", "results.json")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out, "w") as f:
        json.dump(info, f, indent=1)
    report(summary)
    loads = [r["load_before"] for r in runs + bares] + [r["load_after"] for r in runs + bares]
    log(f"\n1-minute load during the runs: {min(loads):.2f} to {max(loads):.2f}, "
        f"median {statistics.median(loads):.2f}")
    log(f"\n{len(runs)} runs in {info['wall_seconds']:.0f} s; results in {out}")


if __name__ == "__main__":
    main()
