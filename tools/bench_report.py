#!/usr/bin/env python3
"""The log report against its floor on fleets made by make_fleet.py: wall time and peak memory
of the report with every output on, and beside them, in the same run with the runs
alternating, `cat` of the same files into /dev/null; the HTML page's size and the time
headless Chromium takes to draw it, against a blank page. Then the report with a state kept
between runs, on a fleet and on one kiosk's folder of the largest size: its first run, a run
with nothing new (floor: `find` of the log files) and a run after 100 new sessions (floor:
that `find` and `cat` of the new files). Prints Markdown tables.

    bench_report.py REPORT_PROGRAM FLEETS_DIR SESSIONS... [--runs 3]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TOOLS = os.path.dirname(os.path.abspath(__file__))
SEED = 1


def measure(command, **kwargs):
    """(seconds, peak resident MB) of one run of the command and what it starts."""
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               **kwargs)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.monotonic() - started
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return seconds, usage.ru_maxrss / 1024


def fleet(fleets, sessions, kiosks=0):
    folder = os.path.join(fleets, str(sessions) + (f"-in-{kiosks}-kiosk" if kiosks else ""))
    marker = os.path.join(folder, ".made")
    if not os.path.exists(marker):
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run([sys.executable, os.path.join(TOOLS, "make_fleet.py"), folder,
                        str(sessions), "--seed", str(SEED), "--kiosks", str(kiosks)], check=True)
        open(marker, "w").close()
    size = 0
    for root, _, names in os.walk(folder):
        size += sum(os.path.getsize(os.path.join(root, n)) for n in names if n.endswith(".log"))
    return folder, size


def chromium_draw(page, runs):
    """Median seconds of headless Chromium's screenshot of the page, or None."""
    chromium = shutil.which("chromium")
    if chromium is None:
        return None
    times = []
    for _ in range(runs):
        profile = tempfile.mkdtemp()
        shot = os.path.join(profile, "shot.png")
        command = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", f"--user-data-dir={profile}",
                   "--window-size=1400,2000", f"--screenshot={shot}", "file://" + page]
        times.append(measure(command)[0])
        shutil.rmtree(profile)
    return statistics.median(times)


def new_sessions(folder, count):
    """count new sessions, each in a kiosk folder of its own where there are enough, all after
    every session the fleet holds. Returns their paths."""
    sys.path.insert(0, TOOLS)
    import make_fleet
    lines = make_fleet.template(make_fleet.GOOD[0])
    kiosks = sorted(root for root, _, names in os.walk(folder) if any(n.endswith(".log") for n in names))
    paths = []
    for n in range(count):
        start = make_fleet.datetime.datetime(2030, 1, 1) + make_fleet.datetime.timedelta(minutes=n)
        path = os.path.join(kiosks[n % len(kiosks)], start.strftime(
            "VistalyneSessionHandler.exe %d-%m-%Y %H-%M-%S-0000.log"))
        with open(path, "wb") as f:
            f.write(make_fleet.session_bytes(lines, start))
        paths.append(path)
    return paths


def opened(report, state, folder):
    """The log files a run with the state opened, as it says."""
    done = subprocess.run([report, "--state", state, folder], capture_output=True, check=True)
    return int(done.stdout.split(b"Log files opened:")[1].split()[0])


def with_state(report, fleets, sessions, kiosks, runs):
    """Rows of the report kept by a state, each beside its floor, runs alternating."""
    folder, size = fleet(fleets, sessions, kiosks)
    out = tempfile.mkdtemp()
    state = os.path.join(out, "count.state")
    keep = lambda: shutil.copy(state, state + ".kept")
    back = lambda: shutil.copy(state + ".kept", state)
    fresh = ["sh", "-c", 'rm -f "$1" && exec "$0" --state "$1" "$2"', report, state, folder]
    again = [report, "--state", state, folder]
    find = ["sh", "-c", 'find "$1" -name "*.log" >/dev/null', "find", folder]
    read_all = ["sh", "-c", 'find "$1" -name "*.log" -print0 | xargs -0 cat >/dev/null', "cat",
                folder]
    rows = []
    try:
        measure(read_all)
        pairs = [(measure(read_all), measure(fresh)) for _ in range(runs)]
        rows.append(("first run, a new state", "find and cat of every file", pairs, None))
        pairs = [(measure(find), measure(again)) for _ in range(runs)]
        rows.append(("nothing new", "find", pairs, opened(report, state, folder)))
        keep()
        added = new_sessions(folder, 100)
        read_new = ["sh", "-c", 'find "$1" -name "*.log" >/dev/null; shift; cat "$@" >/dev/null',
                    "new", folder, *added]
        pairs = []
        for _ in range(runs):
            back()
            pairs.append((measure(read_new), measure(again)))
        back()
        rows.append(("100 new sessions", "find, and cat of the new files", pairs,
                     opened(report, state, folder)))
        for path in added:
            os.remove(path)
    finally:
        shutil.rmtree(out)
    shape = f"{sessions:,} sessions in " + ("one kiosk's folder" if kiosks == 1 else
                                            f"{max(1, sessions // 500):,} kiosk folders")
    return [(shape, size) + row for row in rows]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("report")
    parser.add_argument("fleets")
    parser.add_argument("sessions", type=int, nargs="+")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    out = tempfile.mkdtemp()
    blank = os.path.join(out, "blank.html")
    with open(blank, "w") as f:
        f.write("<!DOCTYPE html><html><body></body></html>\n")
    blank_draw = chromium_draw(blank, args.runs)
    rows = []
    try:
        for sessions in args.sessions:
            folder, size = fleet(args.fleets, sessions)
            floor = ["sh", "-c", 'find "$1" -name "*.log" -print0 | xargs -0 cat >/dev/null',
                     "floor", folder]
            page = os.path.join(out, "report.html")
            report = [args.report, "--csv", os.path.join(out, "sessions.csv"),
                      "--jsonl", os.path.join(out, "sessions.jsonl"),
                      "--kiosks-csv", os.path.join(out, "kiosks.csv"),
                      "--prom", os.path.join(out, "vistalyne.prom"), "--html", page, folder]
            measure(floor)  # the files into the page cache first, for both alike
            floors, reports = [], []
            for _ in range(args.runs):
                floors.append(measure(floor))
                reports.append(measure(report))
            floor_s = statistics.median(t for t, _ in floors)
            report_s = statistics.median(t for t, _ in reports)
            rows.append((sessions, size, floor_s, report_s, max(m for _, m in reports),
                         os.path.getsize(page), chromium_draw(page, args.runs)))
            print(f"measured {sessions} sessions", file=sys.stderr)
        kept = []
        for kiosks in (0, 1):
            kept += with_state(args.report, args.fleets, max(args.sessions), kiosks, args.runs)
            print(f"measured a state on {max(args.sessions)} sessions", file=sys.stderr)
    finally:
        shutil.rmtree(out)
    print(f"Cores: {os.cpu_count()}; medians of {args.runs} runs, report and floor alternating; "
          f"every output on (CSV, JSON Lines, kiosks' CSV, metrics, HTML).\n")
    print("| sessions | logs | floor: cat | report | report / floor | report's peak memory "
          "| HTML page | Chromium draws it (blank page) |")
    print("|---:|---:|---:|---:|---:|---:|---:|---:|")
    for sessions, size, floor_s, report_s, peak, html, draw in rows:
        drawn = "-" if draw is None else f"{draw:.2f} s ({blank_draw:.2f} s)"
        print(f"| {sessions:,} | {size / 1e6:,.0f} MB | {floor_s:.2f} s | {report_s:.2f} s "
              f"| {report_s / floor_s:.2f} | {peak:.1f} MB | {html / 1e6:.2f} MB | {drawn} |")
    print("\nWith a state (`--state`, no other output), medians of the same runs, report and floor "
          "alternating. Goals: nothing new at most 1.2 times its floor, opening no log file; "
          "100 new at most 1.2 times theirs.\n")
    print("| logs | run | floor | floor time | report | report / floor | log files opened "
          "| report's peak memory |")
    print("|---|---|---|---:|---:|---:|---:|---:|")
    for shape, size, run, floor, pairs, files in kept:
        floor_s = statistics.median(f[0] for f, _ in pairs)
        report_s = statistics.median(r[0] for _, r in pairs)
        print(f"| {shape} ({size / 1e6:,.0f} MB) | {run} | {floor} | {floor_s:.3f} s "
              f"| {report_s:.3f} s | {report_s / floor_s:.2f} "
              f"| {'all' if files is None else files} | {max(r[1] for _, r in pairs):.1f} MB |")


if __name__ == "__main__":
    main()
