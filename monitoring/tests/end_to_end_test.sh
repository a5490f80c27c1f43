#!/usr/bin/env bash
# The metrics as a fleet gathers them: Debian's node exporter serves the textfile folder on a
# loopback port, a Prometheus server with the alerting rules scrapes it every second, and the
# report writes into that folder its metrics of the corpus of real logs, come into a fleet's
# root. Passes once Prometheus' sum(vistalyne_sessions_total) equals the sessions the report
# counted. Both servers are stopped whatever happens; every wait is bounded.
#   end_to_end_test.sh REPORT_PROGRAM
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
report=$1
work=$(mktemp -d)
pids=()
stop_servers() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop_servers EXIT
deadline_s=60

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# get URL: the body, or nothing while the server is not up yet.
get() {
    python3 - "$1" <<'PY'
import sys, urllib.request
try:
    with urllib.request.urlopen(sys.argv[1], timeout=2) as r:
        print(r.read().decode())
except OSError:
    pass
PY
}

exporter_port=$(free_port)
mkdir "$work/textfile"
prometheus-node-exporter --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$work/textfile" \
    --web.listen-address="127.0.0.1:$exporter_port" >"$work/exporter.log" 2>&1 &
pids+=($!)
prometheus_port=$(free_port)
cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $repo/monitoring/vistalyne.rules.yml
scrape_configs:
  - job_name: kiosks
    static_configs:
      - targets: ['127.0.0.1:$exporter_port']
YAML
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
    --web.listen-address="127.0.0.1:$prometheus_port" >"$work/prometheus.log" 2>&1 &
pids+=($!)

# The first run begins the count, over a fleet root with no kiosk yet; the kiosks that come
# later count their sessions from their first series on.
mkdir "$work/fleet"
"$report" --prom "$work/textfile/vistalyne.prom" "$work/fleet" >/dev/null
cp -r "$repo/report/tests/corpus/." "$work/fleet"
"$report" --prom "$work/textfile/vistalyne.prom" "$work/fleet" >"$work/summary.txt"
expected=$(sed -n 's/^  Sessions settled since the last run: *\([0-9]*\)$/\1/p' "$work/summary.txt")
# The corpus holds sessions: a count that is empty or 0 means the summary was misread, and
# would match Prometheus' empty answer before its first scrape.
if ! [[ "$expected" =~ ^[1-9][0-9]*$ ]]; then
    echo "the report's summary has no count of sessions:"
    cat "$work/summary.txt"
    exit 1
fi
echo "the report counted $expected sessions"
query="http://127.0.0.1:$prometheus_port/api/v1/query?query=sum(vistalyne_sessions_total)"
start=$SECONDS
while :; do
    got=$(get "$query" | python3 -c '
import json, sys
text = sys.stdin.read()
result = json.loads(text)["data"]["result"] if text else []
print(result[0]["value"][1] if result else "")')
    [ "$got" = "$expected" ] && break
    if ((SECONDS - start > deadline_s)); then
        echo "Prometheus had sum(vistalyne_sessions_total) = '${got}' after ${deadline_s} s, not $expected"
        tail -5 "$work/exporter.log" "$work/prometheus.log"
        exit 1
    fi
    sleep 0.5
done
echo "Prometheus scraped sum(vistalyne_sessions_total) = $got after $((SECONDS - start)) s"
rules=$(get "http://127.0.0.1:$prometheus_port/api/v1/rules")
grep -q '"name":"vistalyne-session-handler"' <<<"$rules" || { echo "the alerting rules were not loaded"; exit 1; }
echo "the alerting rules are loaded"
