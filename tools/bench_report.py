#!/usr/bin/env python3
"""The log report against its floor on fleets made by make_fleet.py: wall time and peak memory
of the report with every output on, and beside them, in the same run with the runs
alternating, `cat` of the same files into /dev/null; the HTML page's size and the time
headless Chromium takes to draw it, against a blank page. Prints a Markdown table.

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


def fleet(fleets, sessions):
    folder = os.path.join(fleets, str(sessions))
    marker = os.path.join(folder, ".made")
    if not os.path.exists(marker):
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run([sys.executable, os.path.join(TOOLS, "make_fleet.py"), folder,
                        str(sessions), "--seed", str(SEED)], check=True)
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


if __name__ == "__main__":
    main()
