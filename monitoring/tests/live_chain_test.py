#!/usr/bin/env python3
"""The fleet's monitoring, live, end to end: the session handler (the 64-bit twin under Wine)
runs sessions against the kiosk stand-in, some open across several runs of the report, a few
that fail; the report runs every second with --jobs 1 and its state into node exporter's
textfile folder; Prometheus scrapes it and evaluates the alerting rules (a copy with the
windows scaled from minutes to seconds); Debian's Alertmanager delivers the alerts to a
webhook receiver here. Meanwhile old logs are removed, one run of the report is killed, and
the state is deleted once. Every server listens on a free loopback port, every wait is
bounded, and everything started is stopped on any exit.
    live_chain_test.py WIN64_BUILD_DIR REPORT_PROGRAM"""
import http.server
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

build, report = sys.argv[1], sys.argv[2]
repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
wine_run = os.path.join(repo, "scripts", "wine-run")
EXPECTED_ALERTS = {"VistalyneKioskApplicationNotFound"}
failures = 0


def check(what, ok):
    global failures
    print(("ok: " if ok else "FAILED: ") + what, flush=True)
    failures += 0 if ok else 1


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.25)
    raise TimeoutError(f"{what}: not within {seconds} s")


def scaled_rules(text):
    """The rules with every minute of their windows a second long, and their staleness at
    three of this test's periods of the report (a second, or two under load)."""
    seconds = lambda n, unit: f"{int(n) * (60 if unit == 'h' else 1)}s"
    text, windows = re.subn(r"\[(\d+)([mh])\]", lambda m: f"[{seconds(*m.groups())}]", text)
    text, fors = re.subn(r"for: (\d+)m", lambda m: f"for: {m.group(1)}s", text)
    text, hours = re.subn(r"\* 3600\b", "* 60", text)
    text, periods = re.subn(r"> 3 \* 60\b", "> 3 * 2", text)
    assert windows and fors and hours and periods, "the rules no longer read as this test expects"
    return text


alerts_received = []


class Webhook(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        alerts_received.append(json.loads(body))
        self.send_response(200)
        self.end_headers()

    def log_message(self, *args):
        pass


work = tempfile.mkdtemp()
servers = []
webhook = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Webhook)
threading.Thread(target=webhook.serve_forever, daemon=True).start()


def start(name, *command):
    log = open(os.path.join(work, name + ".log"), "wb")
    servers.append(subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL))
    return servers[-1]


def value(query, at=None):
    """Prometheus' answer to a query, now or at a time: each series' labels and value."""
    query = {"query": query, **({"time": f"{at:.3f}"} if at else {})}
    url = f"http://127.0.0.1:{prometheus_port}/api/v1/query?" + urllib.parse.urlencode(query)
    try:
        with urllib.request.urlopen(url, timeout=5) as r:
            result = json.loads(r.read())["data"]["result"]
    except OSError:  # not up yet
        return {}
    return {json.dumps(r["metric"], sort_keys=True): float(r["value"][1]) for r in result}


kiosk = os.path.join(work, "Korvane")
logs = os.path.join(kiosk, "logs")
textfile = os.path.join(work, "textfile")
state = os.path.join(textfile, "vistalyne.prom.state")
scheduled = [report, "--jobs", "1", "--prom", os.path.join(textfile, "vistalyne.prom"), logs]
os.makedirs(logs)
os.makedirs(textfile)
kiosk_key = r"HKLM\Software\Ferrowick\Korvane"
report_runs = []  # exit codes of the scheduled runs
delete_state = threading.Event()
state_deleted = threading.Event()
stop_reports = threading.Event()


def scheduled_reports():
    """The report as the kiosk's scheduled task runs it, every second instead of every minute."""
    while not stop_reports.is_set():
        if delete_state.is_set():
            os.remove(state)
            delete_state.clear()
            state_deleted.set()
        done = subprocess.run(scheduled, capture_output=True, timeout=60)
        report_runs.append(done.returncode)
        stop_reports.wait(1)


sessions = []  # (outcome expected, exit code)


def session(outcome, page):
    # No pipe to wait on: Wine's own services may keep one open after the program ends.
    done = subprocess.run([wine_run, os.path.join(build, "VistalyneSessionHandler.exe"),
                           f"PageName={page}"], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    sessions.append((outcome, done.returncode))


def stand_in(*options):
    """The kiosk application, until stopped (the session handler looks for its window for
    5 s, long enough for it to appear)."""
    servers.append(subprocess.Popen([wine_run, os.path.join(build, "KioskStandIn.exe"),
                                     "--lifetime=60000", *options], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL))
    return servers[-1]


def stop(program):
    program.terminate()
    program.wait(timeout=30)


reports = threading.Thread(target=scheduled_reports)
try:
    subprocess.run([wine_run, "reg", "add", kiosk_key, "/v", "mainexe", "/d",
                    "Z:" + os.path.join(kiosk, "Korvane.exe").replace("/", "\\"), "/f",
                    "/reg:32"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60, check=True)
    exporter_port, prometheus_port, alertmanager_port = free_port(), free_port(), free_port()
    with open(os.path.join(work, "alertmanager.yml"), "w") as f:
        f.write(f"""route:
  receiver: webhook
  group_by: [alertname, folder]
  group_wait: 1s
  group_interval: 1s
  repeat_interval: 1h
receivers:
  - name: webhook
    webhook_configs:
      - url: http://127.0.0.1:{webhook.server_port}/alerts
        send_resolved: true
""")
    with open(os.path.join(repo, "monitoring", "vistalyne.rules.yml")) as f:
        rules = scaled_rules(f.read())
    with open(os.path.join(work, "rules.yml"), "w") as f:
        f.write(rules)
    with open(os.path.join(work, "prometheus.yml"), "w") as f:
        f.write(f"""global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - {work}/rules.yml
alerting:
  alertmanagers:
    - static_configs:
        - targets: ['127.0.0.1:{alertmanager_port}']
scrape_configs:
  - job_name: kiosks
    static_configs:
      - targets: ['127.0.0.1:{exporter_port}']
""")
    start("alertmanager", "prometheus-alertmanager", f"--config.file={work}/alertmanager.yml",
          f"--storage.path={work}/alertmanager", f"--web.listen-address=127.0.0.1:{alertmanager_port}",
          "--cluster.listen-address=")
    start("exporter", "prometheus-node-exporter", "--collector.disable-defaults",
          "--collector.textfile", f"--collector.textfile.directory={textfile}",
          f"--web.listen-address=127.0.0.1:{exporter_port}")
    start("prometheus", "prometheus", f"--config.file={work}/prometheus.yml",
          f"--storage.tsdb.path={work}/data", f"--web.listen-address=127.0.0.1:{prometheus_port}",
          "--rules.alert.resend-delay=1s")
    reports.start()
    wait_for("Prometheus scraping the report's metrics",
             lambda: value('node_textfile_mtime_seconds{file=~".*vistalyne.prom"}'), 30)
    began = time.time()

    # A session open across several runs of the report, then ended; a kiosk application that
    # is not there; one that never replies.
    kiosk_app = stand_in("--end-after=3000")
    session("ended", "Home")
    stop(kiosk_app)
    session("not-found", "Home")
    silent = stand_in("--no-reply")
    session("no-reply", "Menu")
    stop(silent)

    # Old logs removed, a run killed mid-way, the state lost.
    for name in sorted(os.listdir(logs))[:2]:
        os.remove(os.path.join(logs, name))
    killed = subprocess.Popen(scheduled, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.005)
    killed.kill()
    killed.wait(timeout=10)
    first_count = value("vistalyne_count_start_timestamp_seconds")
    before_new_count = time.time()
    delete_state.set()
    wait_for("the state deleted", state_deleted.is_set, 10)
    wait_for("a new count in Prometheus",
             lambda: value("vistalyne_count_start_timestamp_seconds") not in ({}, None,
                                                                             first_count), 20)
    after_new_count = time.time()

    # A session since the new count: what the counters hold at the end.
    kiosk_app = stand_in("--end-after=1000")
    session("ended", "Home")
    stop(kiosk_app)
    since = sessions[-1:]
    final = lambda: value("vistalyne_sessions_total")
    expected = {o: sum(1 for e, _ in since if e == o) for o in
                ("ended", "no-reply", "kiosk-gone", "closed", "not-found", "send-failed", "unknown")}
    wait_for("the last sessions in Prometheus",
             lambda: {json.loads(k)["outcome"]: int(v) for k, v in final().items()} == expected,
             30)
    wait_for("the webhook given the alert of the not-found sessions", lambda: any(
        a["status"] == "firing" and a["labels"]["alertname"] == "VistalyneKioskApplicationNotFound"
        for group in alerts_received for a in group["alerts"]), 30)
    ended = time.time()

    check(f"the sessions ended as they were run (outcome, exit code: {sessions})",
          all(code == (1 if outcome == "not-found" else 0) for outcome, code in sessions
              if outcome != "no-reply"))
    check(f"every scheduled run of the report succeeded ({len(report_runs)} runs)",
          report_runs and not any(report_runs))
    counters = ("vistalyne_sessions_total", "vistalyne_unclean_shutdowns_total",
                "vistalyne_session_duration_seconds_count", "vistalyne_session_duration_seconds_sum",
                "vistalyne_session_duration_seconds_bucket", "vistalyne_log_files_read_total",
                "vistalyne_log_files_unreadable_total", "vistalyne_log_lines_unreadable_total")
    span = lambda start, end: f"[{max(1, int(end - start))}s]"
    # The most resets any one counter series had between start and end.
    resets = lambda start, end: max(v for name in counters for v in value(
        f"max(resets({name}{span(start, end)}))", at=end).values())
    resets_before = resets(began, before_new_count)
    resets_after = resets(after_new_count + 2, ended)
    resets_all = resets(began, ended)
    check(f"no counter reset before the new count ({resets_before}) nor after it "
          f"({resets_after}): one over the whole run, the new count's ({resets_all})",
          resets_before == 0 and resets_after == 0 and resets_all == 1)
    check(f"the counters at the end are the sessions run since the new count ({expected})",
          {json.loads(k)["outcome"]: int(v) for k, v in final().items()} == expected and
          list(value("sum(vistalyne_unclean_shutdowns_total)").values()) == [0] and
          list(value("sum(vistalyne_sessions_open)").values()) == [0])
    open_seconds = value(f"sum_over_time(vistalyne_sessions_open{span(began, ended)})", at=ended)
    check(f"sessions were open across several runs of the report "
          f"({sum(open_seconds.values()):.0f} s of open sessions in all)",
          sum(open_seconds.values()) >= 5)
    ever = value(f'count by (alertname) (max_over_time(ALERTS{span(began, ended)}))', at=ended)
    ever = {json.loads(k)["alertname"] for k in ever}
    delivered = {a["labels"]["alertname"] for group in alerts_received for a in group["alerts"]
                 if a["status"] == "firing"}
    check(f"the alerts that fired ({sorted(ever)}) are the expected ones "
          f"({sorted(EXPECTED_ALERTS)}), none ever pending or firing on a healthy kiosk",
          ever == EXPECTED_ALERTS)
    check(f"Alertmanager delivered them to the webhook ({sorted(delivered)}, "
          f"{len(alerts_received)} notifications)", delivered == EXPECTED_ALERTS)
except (TimeoutError, subprocess.SubprocessError, OSError) as error:
    check(f"the live chain ran to its end ({error})", False)
    for name in ("prometheus", "alertmanager", "exporter"):
        path = os.path.join(work, name + ".log")
        if os.path.exists(path):
            print(f"--- {name}:", open(path, errors="replace").read()[-1500:])
finally:
    stop_reports.set()
    if reports.is_alive():
        reports.join(timeout=70)
    for server in servers:
        server.terminate()
    for server in servers:
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
    webhook.shutdown()
    subprocess.run([wine_run, "reg", "delete", kiosk_key, "/f", "/reg:32"],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)
    shutil.rmtree(work, ignore_errors=True)
print(f"{failures} of the checks failed" if failures else "the live chain holds")
sys.exit(1 if failures else 0)
