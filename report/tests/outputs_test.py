#!/usr/bin/env python3
"""The report's files as the tools that take them read them: the JSON Lines by a JSON parser
(one object per session, the CSV's fields with their types), the metrics by promtool, the
metrics file replaced whole; the period restricts every output; any number of reading threads
gives the same outputs; a malformed time or number of threads is a usage error that names it.

    outputs_test.py REPORT_PROGRAM CORPUS
"""
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

report, corpus = sys.argv[1:3]
failures = []


def check(what, ok):
    print(("ok: " if ok else "FAILED: ") + what)
    if not ok:
        failures.append(what)


def run(*args, **kwargs):
    return subprocess.run([report, *args], capture_output=True, timeout=120, **kwargs)


def promtool_accepts(path):
    with open(path, "rb") as f:
        checked = subprocess.run(["promtool", "check", "metrics"], stdin=f, capture_output=True,
                                 timeout=60)
    if checked.returncode != 0:
        print(checked.stdout.decode() + checked.stderr.decode())
    return checked.returncode == 0


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


OUTPUTS = ("sessions.csv", "sessions.jsonl", "kiosks.csv", "vistalyne.prom", "page.html")


def all_outputs(source, *args):
    """Every output of one run, each into a new folder: their bytes by name, the console, the
    exit code, and their paths."""
    folder = tempfile.mkdtemp(dir=work)
    paths = {name: os.path.join(folder, name) for name in OUTPUTS}
    done = run(*args, "--csv", paths["sessions.csv"], "--jsonl", paths["sessions.jsonl"],
               "--kiosks-csv", paths["kiosks.csv"], "--prom", paths["vistalyne.prom"],
               "--html", paths["page.html"], source)
    result = {"exit code": done.returncode, "console": done.stdout, "paths": paths}
    for name, path in paths.items():
        with open(path, "rb") as f:
            result[name] = f.read()
    return result


def without_count_start(output):
    """An output without the time its new count began, which is the time of its run."""
    return re.sub(rb"(?m)^vistalyne_count_start_timestamp_seconds\{.*\n", b"", output) \
        if isinstance(output, bytes) else output


work = tempfile.mkdtemp()
try:
    first = all_outputs(corpus)
    out = first["paths"]
    check("the report of the corpus succeeds", first["exit code"] == 0)
    rows = read_csv(out["sessions.csv"])
    with open(out["sessions.jsonl"], encoding="utf-8") as f:
        objects = [json.loads(line) for line in f]
    check(f"one JSON object per CSV row ({len(objects)} and {len(rows)})",
          len(objects) == len(rows) > 0)
    same = True
    for row, obj in zip(rows, objects):
        expected = dict(row, duration_s=int(row["duration_s"]), files=int(row["files"]),
                        ignored_messages=int(row["ignored_messages"]),
                        exit_code=int(row["exit_code"]) if row["exit_code"] else None,
                        clean_shutdown=row["clean_shutdown"] == "yes",
                        start_utc=row["start_utc"].replace(" ", "T") + "Z",
                        end_utc=row["end_utc"].replace(" ", "T") + "Z")
        same = same and obj == expected
    check("each JSON object holds its CSV row's fields with their types", same)
    check("an unknown exit code is null", any(o["exit_code"] is None for o in objects))
    kiosks = read_csv(out["kiosks.csv"])
    check("the kiosks' sessions add up to the sessions",
          sum(int(k["sessions"]) for k in kiosks) == len(rows))
    shares = [float(k["trouble_share"]) for k in kiosks]
    check("kiosks are listed worst first", shares == sorted(shares, reverse=True))
    check("the metrics pass promtool check metrics", promtool_accepts(out["vistalyne.prom"]))

    # Standard output takes the JSON Lines, byte for byte; the summary goes to standard error.
    piped = run("--jsonl", "-", corpus)
    with open(out["sessions.jsonl"], "rb") as f:
        check("--jsonl - writes the same lines to standard output", piped.stdout == f.read())
    check("... and the summary to standard error", b"Sessions:" in piped.stderr)

    # A second run replaces the metrics whole (a new file renamed over the old), leaving no
    # temporary file.
    first_metrics = os.stat(out["vistalyne.prom"])
    since = "2026-12-08 16:19:00"
    second = run("--since", since, "--until", "2026-12-09", "--csv", out["sessions.csv"],
                 "--prom", out["vistalyne.prom"], corpus)
    in_period = [r for r in rows if r["start_utc"] >= since]
    check(f"--since/--until keep the sessions that started in the period ({len(in_period)})",
          second.returncode == 0 and read_csv(out["sessions.csv"]) == in_period)
    with open(out["vistalyne.prom"]) as f:
        total = sum(int(line.rsplit(" ", 1)[1]) for line in f
                    if line.startswith("vistalyne_sessions_total{"))
    check("... while the metrics' counters, kept beside them, count what settled since: none",
          total == 0)
    second_metrics = os.stat(out["vistalyne.prom"])
    check("the metrics file is replaced, no temporary left beside it",
          second_metrics.st_ino != first_metrics.st_ino and
          "vistalyne.prom.tmp" not in os.listdir(os.path.dirname(out["vistalyne.prom"])))

    # A run that cannot read every log named leaves the last whole metrics in place.
    with open(out["vistalyne.prom"], "rb") as f:
        whole = f.read()
    missing = run("--prom", out["vistalyne.prom"], corpus, os.path.join(work, "absent"))
    with open(out["vistalyne.prom"], "rb") as f:
        check("a log folder missing: exit code 1, and the last metrics stay as they were",
              missing.returncode == 1 and b"not replaced" in missing.stderr and
              f.read() == whole and os.stat(out["vistalyne.prom"]).st_ino == second_metrics.st_ino
              and "vistalyne.prom.tmp" not in os.listdir(os.path.dirname(out["vistalyne.prom"])))

    # Damaged logs still give metrics that promtool accepts.
    damaged = os.path.join(work, "damaged")
    shutil.copytree(corpus, damaged)
    for folder, _, names in os.walk(damaged):
        for name in names:
            with open(os.path.join(folder, name), "r+b") as f:
                data = bytearray(f.read())
                data[len(data) // 2:len(data) // 2 + 40] = b'\x00"\\\n|\xff' * 6 + b"garbage!!!"
                f.seek(0)
                f.write(data[: len(data) * 2 // 3])
                f.truncate()
    os.makedirs(os.path.join(damaged, 'a "quoted"\\folder'))
    with open(os.path.join(damaged, 'a "quoted"\\folder', "x.log"), "wb") as f:
        f.write(b"\x89PNG\r\n")
    damaged_prom = os.path.join(work, "damaged.prom")  # not the earlier runs' file
    damaged_run = run("--prom", damaged_prom, damaged)
    check("the report of damaged logs succeeds", damaged_run.returncode == 0)
    check("metrics of damaged logs pass promtool check metrics", promtool_accepts(damaged_prom))
    with open(damaged_prom, encoding="utf-8") as f:
        check("... with the folder's quote and backslash escaped in its label",
              'quoted\\"\\\\folder"}' in f.read())

    # A folder and pages as anybody could make them: a formula, a NUL byte, markup, bytes
    # that are no UTF-8 (a folder's name, on Linux) and Windows-1252. Each session is one whole
    # row, no cell begins as a formula, and the text is the same in every output (cleaned once,
    # where the session is built).
    hostile = os.path.join(work.encode(), b"=cmd|' /C calc'!A0 caf\xe9")
    os.makedirs(hostile)
    good = os.path.join(corpus, "Session.OneSessionRunsFromStartToSessionEndWithTheExactLog")
    with open(os.path.join(good, os.listdir(good)[0]), "rb") as f:
        log = f.read()
    pages = (b'=HYPERLINK("http://x","y")', b"Lo\x00bby", b"-1+2", b"<b>", b"Men\xfc")
    for n, page in enumerate(pages):
        with open(os.path.join(hostile, b"%d.log" % n), "wb") as f:
            f.write(log.replace(b"PageName,Home]", b"PageName," + page + b"]"))
    odd = all_outputs(hostile)
    texts = {name: odd[name].decode("utf-8") for name in OUTPUTS}  # valid UTF-8, or this fails
    lines = odd["sessions.csv"].split(b"\r\n")
    check("each hostile session is one whole CSV row, a NUL byte and all",
          odd["exit code"] == 0 and len(lines) == 7 and lines[-1] == b"" and
          b"Lo\x00bby" in lines[2])
    check("... no cell of either CSV begins as a formula",
          all(not cell.lstrip(b'"').startswith((b"=", b"+", b"-", b"@"))
              for line in lines[1:-1] + odd["kiosks.csv"].split(b"\r\n")[1:]
              for cell in line.split(b",")))
    folder = os.path.join(work, "=cmd|' /C calc'!A0 caf\ufffd")
    sessions = [json.loads(line) for line in texts["sessions.jsonl"].splitlines()]
    check("... and every output gives the same text",
          [s["page"] for s in sessions] == [p.decode("cp1252") for p in pages] and
          all(s["folder"] == folder for s in sessions) and
          all(r["folder"] == folder for r in read_csv(odd["paths"]["sessions.csv"]))
          and read_csv(odd["paths"]["kiosks.csv"])[0]["folder"] == folder and
          "caf\ufffd" in texts["page.html"] and "Men\u00fc" in texts["page.html"] and
          f'folder="{folder}"' in texts["vistalyne.prom"])

    # A session in progress (its log cut after "sessionactive") is open: in no counter and in
    # neither list of sessions, but in the open gauge; it counts once settled, by a later run.
    kiosk = os.path.join(work, "kiosk")
    os.makedirs(kiosk)
    with open(os.path.join(kiosk, "1.log"), "wb") as f:
        f.write(log[:log.index(b"delaying application shutdown|\r\n") + 33])

    def metrics_of(folder):
        done = all_outputs(folder, "--state", os.path.join(work, "kiosk.state"))
        values = {line.rsplit(" ", 1)[0].replace(folder, "F"): int(line.rsplit(" ", 1)[1])
                  for line in done["vistalyne.prom"].decode().splitlines()
                  if not line.startswith("#")}
        total = sum(v for k, v in values.items() if k.startswith("vistalyne_sessions_total"))
        return (done["exit code"], promtool_accepts(done["paths"]["vistalyne.prom"]),
                len(read_csv(done["paths"]["sessions.csv"])), total,
                values['vistalyne_sessions_open{folder="F"}'],
                values['vistalyne_unclean_shutdowns_total{folder="F"}'],
                values['vistalyne_sessions_total{folder="F",outcome="unknown"}'],
                b"In progress:       1" in done["console"])
    # exit code, promtool, CSV rows, sessions counted, open, unclean, unknown, "In progress"
    check("a session in progress is open, counted nowhere else",
          metrics_of(kiosk) == (0, True, 0, 0, 1, 0, 0, True))
    with open(os.path.join(kiosk, "2.log"), "wb") as f:
        f.write(log.replace(b"|161829|", b"|161929|"))  # a session a minute later
    check("... cut short once a later run started: counted once, as unknown and unclean",
          metrics_of(kiosk) == (0, True, 2, 2, 0, 1, 1, False))

    # An output that cannot be written fails before anything is read, and says which.
    unwritable = os.path.join(work, "absent", "sessions.csv")
    refused = run("--csv", unwritable, corpus)
    check("an output that cannot be opened is named, exit code 1, before any reading",
          refused.returncode == 1 and unwritable.encode() in refused.stderr and
          refused.stdout == b"")

    # Any number of reading threads gives every output byte for byte as one per core does.
    for jobs in ("1", "3"):
        again = all_outputs(corpus, "--jobs", jobs)
        differing = [name for name in (*OUTPUTS, "console", "exit code")
                     if without_count_start(again[name]) != without_count_start(first[name])]
        check(f"--jobs {jobs} writes every output as the default does (differing: {differing})",
              not differing)

    # A folder that cannot be listed is counted, named, and makes the run fail. Root lists
    # any folder, so as root the report runs as nobody.
    fleet = os.path.join(work, "fleet")
    for kiosk in ("kiosk-1", "kiosk-2"):
        shutil.copytree(good, os.path.join(fleet, kiosk))
    os.chmod(work, 0o755)
    os.chmod(os.path.join(fleet, "kiosk-2"), 0)
    as_nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] \
        if os.geteuid() == 0 else []
    unlisted = subprocess.run([*as_nobody, report, fleet], capture_output=True, timeout=120)
    os.chmod(os.path.join(fleet, "kiosk-2"), 0o755)
    check("a folder that cannot be listed is named on standard error, exit code 1",
          unlisted.returncode == 1 and
          f"folder not read: {fleet}/kiosk-2: ".encode() in unlisted.stderr)
    check("... counted in the summary, and the rest read",
          b"Folders not read:  1" in unlisted.stdout and b"Sessions:          1" in unlisted.stdout)

    # A foreign file of gigabytes (sparse: it takes no disk) is read in bounded memory: a
    # session's lines, then 4.25 GiB without a line end, then the session's last line.
    huge = os.path.join(work, "huge")
    os.makedirs(huge)
    lines = log.split(b"\r\n")
    with open(os.path.join(huge, "huge.log"), "wb") as f:
        f.write(b"\r\n".join(lines[:-2]) + b"\r\n")
        f.truncate(17 << 28)
        f.seek(0, 2)
        f.write(b"\r\n" + lines[-2] + b"\r\n")
    reader = subprocess.Popen([report, "--csv", os.path.join(work, "huge.csv"), huge],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    huge_out = reader.stdout.read()
    reader.stderr.read()
    _, status, usage = os.wait4(reader.pid, 0)
    rows = read_csv(os.path.join(work, "huge.csv"))
    check(f"a 4.25 GiB file is read whole in {usage.ru_maxrss // 1024} MB at most (under 100 MB)",
          os.waitstatus_to_exitcode(status) == 0 and usage.ru_maxrss < 100 * 1024)
    check("... its session read to its closing line, the long line one unreadable line",
          len(rows) == 1 and rows[0]["outcome"] == "ended" and
          rows[0]["clean_shutdown"] == "yes" and b"Unreadable lines:  1 " in huge_out)
    os.remove(os.path.join(huge, "huge.log"))

    for wrong in (["--since", "2026-12-32"], ["--until", "08.12.2026"], ["--since"],
                  ["--jobs", "0"], ["--jobs", "-2"], ["--jobs", "two"], ["--jobs", "2x"],
                  ["--jobs", ""], ["--jobs", "99999999999999999999"], ["--jobs"]):
        refused = run(*wrong, corpus)
        check(f"{' '.join(wrong)} is a usage error that names it",
              refused.returncode == 2 and wrong[0].encode() in refused.stderr)
finally:
    shutil.rmtree(work)

print(f"{len(failures)} of the checks failed" if failures else "the outputs read as their tools read them")
sys.exit(1 if failures else 0)
