#!/usr/bin/env python3
"""The count kept between runs, through a kiosk's life: each step changes the kiosk's logs as
real kiosks do, runs the report with its state, metrics and JSON Lines, and checks the
counters, the open gauge, the log files the run opened and the lines appended. Then runs
killed at random moments and runs at once on one state.
    state_test.py REPORT_PROGRAM CORPUS_FOLDER"""
import datetime
import fcntl
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

report, corpus = sys.argv[1], sys.argv[2]
failures = 0


def check(what, ok):
    global failures
    print(("ok: " if ok else "FAILED: ") + what)
    failures += 0 if ok else 1


def template(name):
    folder = os.path.join(corpus, name)
    with open(os.path.join(folder, sorted(os.listdir(folder))[0]), "rb") as f:
        return f.read()


ENDED = template("Session.OneSessionRunsFromStartToSessionEndWithTheExactLog")
NOT_FOUND = template("Session.AbsentKioskEndsWithExitCodeOneAfterFiveSeconds")
ACTIVE = b"delaying application shutdown|\r\n"
DAY = datetime.datetime(2026, 11, 30, 23, 52, 0)  # the later sessions on the next month's first day
NEXT_BANNER = (b"305|Starting next UTC logfile with limit of 1024k per file and starting a new one "
               b"each day[VistalyneSessionHandler.exe|V1.0.0.2] [Session ID: 1]|")


def moved(log, start):
    """The session's lines moved to start, each as far after it as it was after the first."""
    stamp = lambda line: datetime.datetime.strptime(line[:13].decode(), "%y%m%d|%H%M%S")
    first = stamp(log)
    return b"".join((start + (stamp(line) - first)).strftime("%y%m%d|%H%M%S").encode() +
                    line[13:] for line in log.splitlines(keepends=True))


def write(folder, minute, log, mode="wb"):
    """A log file named as the session handler names it, dated as its last line."""
    start = DAY + datetime.timedelta(minutes=minute)
    path = os.path.join(folder, start.strftime("VistalyneSessionHandler.exe %d-%m-%Y %H-%M-%S-0000.log"))
    with open(path, mode) as f:
        f.write(log)
    with open(path, "rb") as f:
        last = f.read().splitlines()[-1][:13]
    stamp = datetime.datetime.strptime(last.decode(), "%y%m%d|%H%M%S")
    os.utime(path, (stamp.timestamp(), stamp.timestamp()))
    return path


def session(minute, log=ENDED, part=None):
    """A session at minute: whole, "open" (cut after the kiosk confirmed it), or the "rest"."""
    text = moved(log, DAY + datetime.timedelta(minutes=minute))
    cut = text.index(ACTIVE) + len(ACTIVE) if ACTIVE in text else len(text)
    return {None: text, "open": text[:cut], "rest": text[cut:]}[part]


work = tempfile.mkdtemp()
root = os.path.join(work, "fleet")
kiosk = os.path.join(root, "kiosk")
state, prom, jsonl = (os.path.join(work, n) for n in ("count.state", "m.prom", "s.jsonl"))
os.makedirs(kiosk)


COMMAND = [report, "--jobs", "1", "--state", state, "--prom", prom, "--jsonl", jsonl, root]


def run():
    return subprocess.run(COMMAND, capture_output=True, timeout=120)


def counted():
    """The sessions counted in all, by every kiosk and outcome."""
    with open(prom) as f:
        return sum(int(v) for v in re.findall(r"^vistalyne_sessions_total\{[^}]*\} (\d+)$",
                                              f.read(), re.M))


def metrics(label):
    values = {}
    with open(prom) as f:
        for line in f:
            found = re.match(r'(\w+)\{folder="' + re.escape(label) + r'"(?:,outcome="([\w-]+)")?\} (\d+)$', line)
            if found:
                values[found.group(2) or found.group(1)] = int(found.group(3))
    return values


def jsonl_lines():
    with open(jsonl, "rb") as f:
        text = f.read()
    return [json.loads(line) for line in text.split(b"\n")[:-1]], text.endswith(b"\n") or not text


paths = {}


def step_write(name, minute, log=ENDED, part=None, mode="wb"):
    paths[name] = write(kiosk, minute, session(minute, log, part) if part != "as is" else log, mode)


def rotated(minute, part):
    """A session at minute rotated while open: its "first" file, or the "next" it goes on in."""
    text = session(minute, part="open")
    stamp = text.splitlines()[-1][:13]
    if part == "first":
        return text + stamp + b"|306|Log file too big, Creating New Log File. Shutting down this log file|\r\n"
    return stamp + b"|" + NEXT_BANNER + b"\r\n" + session(minute, part="rest")


DAMAGE = {"a byte changed": lambda t: t[:40] + bytes([t[40] ^ 1]) + t[41:],
          "cut short": lambda t: t[:len(t) // 2], "emptied": lambda t: b"",
          "another program's": lambda t: b"[settings]\nanything=1\n"}


def damage(how):
    with open(state, "rb") as f:
        text = DAMAGE[how](f.read())
    with open(state, "wb") as f:
        f.write(text)


O = ("ended", "not-found", "unknown", "unclean", "open")
# Each step of the kiosk's life: what happens to its logs, then what the run must show: the
# counters and open gauge (ended, not-found, unknown, unclean, open), the log files it opened
# (None: not checked) and the JSON Lines in all.
life = [
    ("a new count takes the sessions already settled as seen",
     lambda: (step_write("A", 0), step_write("B", 1, NOT_FOUND), step_write("C", 2, part="open")),
     (0, 0, 0, 0, 1), 3, 2),
    ("a run with nothing new opens no log file", lambda: None, (0, 0, 0, 0, 1), 0, 2),
    ("the session in progress ends: counted once",
     lambda: step_write("C", 2, part="rest", mode="ab"), (1, 0, 0, 0, 0), 1, 3),
    ("new sessions are read, and only they",
     lambda: (step_write("D", 3, NOT_FOUND), step_write("E", 4)), (2, 1, 0, 0, 0), 2, 5),
    ("a session in progress rotates into a second file",
     lambda: step_write("F1", 5, rotated(5, "first"), part="as is"), (2, 1, 0, 0, 1), 1, 5),
    ("... goes on there and ends: one session",
     lambda: step_write("F2", 6, rotated(5, "next"), part="as is"), (3, 1, 0, 0, 0), 1, 6),
    ("a session in progress", lambda: step_write("G", 7, part="open"), (3, 1, 0, 0, 1), 1, 6),
    ("... cut short by a later run: unknown and unclean, once",
     lambda: step_write("H", 8), (4, 1, 1, 1, 0), 1, 8),
    ("old logs removed: no counter goes down, nothing is read",
     lambda: [os.remove(paths[n]) for n in "ABDE"], (4, 1, 1, 1, 0), 0, 8),
    ("a settled log truncated", lambda: open(paths["H"], "wb").close(), (4, 1, 1, 1, 0), 0, 8),
    ("a log in progress", lambda: step_write("I", 9, part="open"), (4, 1, 1, 1, 1), 1, 8),
    ("... shrinks: read again from its start, still in progress",
     lambda: step_write("I", 9, session(9)[:300], part="as is"), (4, 1, 1, 1, 1), 1, 8),
    ("... and ends: counted once", lambda: step_write("I", 9), (5, 1, 1, 1, 0), 1, 9),
    ("a log in progress", lambda: step_write("J", 10, part="open"), (5, 1, 1, 1, 1), 1, 9),
    ("... replaced by another session's log: that one counts",
     lambda: step_write("J", 10, session(11, NOT_FOUND), part="as is"), (5, 2, 1, 1, 0), 1, 10),
    ("the kiosk's whole folder removed: its counters stay",
     lambda: shutil.rmtree(kiosk), (5, 2, 1, 1, 0), 0, 10),
    ("the folder back with a new session: the count goes on",
     lambda: (os.makedirs(kiosk), step_write("L", 12)), (6, 2, 1, 1, 0), 1, 11),
]
for damaged in DAMAGE:
    life.append((f"the state {damaged}: set aside, a new count from zero, the settled written again",
                 lambda damaged=damaged: damage(damaged), (0, 0, 0, 0, 0), 1, None))

try:
    lines_before, count_start = 0, None
    for what, happen, counters, opened, lines in life:
        if lines is None:
            time.sleep(1.01)  # a new count begins a second later than the last
        happen()
        done = run()
        values = metrics(kiosk)
        got = tuple(values.get(name, 0) for name in O[:3]) + \
            (values.get("vistalyne_unclean_shutdowns_total", 0), values.get("vistalyne_sessions_open", 0))
        files = re.search(rb"Log files opened: *(\d+)", done.stdout)
        objects, whole = jsonl_lines()
        if lines is None:  # a new count writes again the sessions settled in the logs
            lines = lines_before + 1
            set_aside = [l for l in done.stderr.decode().splitlines() if "set aside" in l]
            new_start = values.get("vistalyne_count_start_timestamp_seconds", 0)
            what += f" (one line on standard error: {len(set_aside)}, count start moved: {new_start > count_start})"
            ok_more = len(set_aside) == 1 and new_start > count_start
        else:
            ok_more = True
        count_start = values.get("vistalyne_count_start_timestamp_seconds")
        check(what, done.returncode == 0 and got == counters and ok_more and
              (opened is None or (files and int(files.group(1)) == opened)) and
              len(objects) == lines and whole)
        if done.returncode != 0 or got != counters or len(objects) != lines:
            print(f"   exit {done.returncode}, counters {got}, opened {files and files.group(1)}, "
                  f"lines {len(objects)}: {done.stderr.decode()}")
        lines_before = len(objects)
    pages = [(o["start_utc"], o["outcome"]) for o in jsonl_lines()[0][:11]]
    check("before the first damage, JSON Lines held each session once",
          len(pages) == len(set(pages)))


    # Runs killed at random moments leave the old state or the new: then one run to its end
    # counts each session once, and the JSON Lines hold each once, no line torn.
    shutil.rmtree(root)
    for path in (state, prom, jsonl):
        os.remove(path)
    os.makedirs(root)
    run()  # the count begins over a fleet with no kiosk yet
    for k in range(400):
        folder = os.path.join(root, f"kiosk-{k:03}")
        os.makedirs(folder)
        for minute in range(3):
            write(folder, minute, session(minute, NOT_FOUND if (k + minute) % 4 == 0 else ENDED))
    kept = {path: open(path, "rb").read() for path in (state, prom, jsonl)}
    started = time.monotonic()
    run()
    took = time.monotonic() - started
    for path, text in kept.items():  # as it was before that run
        with open(path, "wb") as f:
            f.write(text)
    random.seed(21)
    torn = []
    for attempt in range(15):
        killed = subprocess.Popen(COMMAND, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(random.uniform(0, took * 1.2))
        killed.kill()
        killed.wait(timeout=60)
        with open(prom, "rb") as f:
            metrics_now = f.read()
        if metrics_now != kept[prom] and not metrics_now.endswith(
                b"vistalyne_log_lines_unreadable_total{folder=\"" +
                os.path.join(root, "kiosk-399").encode() + b"\"} 0\n"):
            torn.append(attempt)
    done = run()
    objects, whole = jsonl_lines()
    starts = {(o["folder"], o["start_utc"]) for o in objects}
    total = counted()
    check(f"15 runs killed within {took * 1.2:.2f} s, then one to its end: 1200 sessions counted "
          f"({total}), 1200 JSON Lines ({len(objects)}, {len(starts)} different), none torn, "
          f"the metrics old or new whole after every kill (torn after kills: {torn})",
          done.returncode == 0 and b"set aside" not in done.stderr and total == 1200 and
          len(objects) == len(starts) == 1200 and whole and not torn)

    # Two runs at once: the second waits for the first and finds nothing new; one that cannot
    # get the state in time says it is busy, and leaves it as it was.
    for k in range(100):
        write(os.path.join(root, f"kiosk-{k:03}"), 5, session(5))
    both = [subprocess.Popen(COMMAND, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(2)]
    codes = [p.wait(timeout=120) for p in both]
    objects, whole = jsonl_lines()
    total = counted()
    check(f"two runs at once both succeed ({codes}) and count 100 new sessions once ({total - 1200}, "
          f"{len(objects) - 1200} lines)",
          codes == [0, 0] and total == 1300 and len(objects) == 1300 and whole)
    before = open(state, "rb").read()
    with open(state + ".lock", "w") as held:
        fcntl.flock(held, fcntl.LOCK_EX)
        started = time.monotonic()
        busy = run()
        waited = time.monotonic() - started
    check(f"a run that finds the state held for {waited:.1f} s says it is busy, exit code 1, the "
          "state as it was",
          busy.returncode == 1 and b"busy" in busy.stderr and open(state, "rb").read() == before)

    # A folder reached twice in one run (under its root, named again, spelt another way) is
    # one kiosk, read once: an exporter rejects a file with a series twice.
    again = os.path.join(root, "kiosk-007")
    twice = subprocess.run([report, "--state", os.path.join(work, "twice.state"), "--prom",
                            os.path.join(work, "twice.prom"), root, again, again + "/",
                            os.path.join(root, "kiosk-008", "..", "kiosk-007")],
                           capture_output=True, timeout=60)
    with open(os.path.join(work, "twice.prom")) as f:
        series = [line for line in f if line.startswith("vistalyne_sessions_open{")]
    check(f"a folder reached four ways is one kiosk ({len(series)} open gauges for 400 kiosks)",
          twice.returncode == 0 and len(series) == len(set(series)) == 400)
finally:
    shutil.rmtree(work, ignore_errors=True)
print(f"{failures} of the checks failed" if failures else "the state holds through a kiosk's life")
sys.exit(1 if failures else 0)
