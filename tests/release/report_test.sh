#!/usr/bin/env bash
# The Windows build of the log report, run under Wine, reads the corpus of real logs exactly
# as the native build does: the same console summary, CSV and metrics, byte for byte (but for
# the time each count began); and a second run, going on from the state the first kept, opens
# no log file and replaces the metrics file that the first left, as a textfile collector needs.
#   report_test.sh BUILD_DIR     (build/win32 or build/win64; build/native must be built)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sources=()
for folder in report/tests/corpus/*/; do sources+=("${folder%/}"); done

build/native/VistalyneLogReport --csv "$work/native.csv" --prom "$work/native.prom" \
    "${sources[@]}" >"$work/native.txt"
# Where the 32-bit side runs under qemu-user, scripts/test has the 32-bit build read on one
# thread (VSH_REPORT_WIN32_JOBS=1); everywhere else it uses every core.
jobs=()
if [ "$(basename "$1")" = win32 ] && [ -n "${VSH_REPORT_WIN32_JOBS:-}" ]; then
    jobs=(--jobs "$VSH_REPORT_WIN32_JOBS")
    echo "the 32-bit build reads with --jobs $VSH_REPORT_WIN32_JOBS"
fi
scripts/wine-run "$1/VistalyneLogReport.exe" "${jobs[@]}" --csv "Z:$work/windows.csv" \
    --prom "Z:$work/windows.prom" "${sources[@]}" >"$work/windows.txt"
count_start='^vistalyne_count_start_timestamp_seconds{'
cmp <(grep -v "$count_start" "$work/native.prom") <(grep -v "$count_start" "$work/windows.prom")
tr -d '\r' <"$work/windows.txt" >"$work/windows-lf.txt"
cmp "$work/native.csv" "$work/windows.csv"
cmp "$work/native.txt" "$work/windows-lf.txt"
cp "$work/windows.prom" "$work/first.prom"
scripts/wine-run "$1/VistalyneLogReport.exe" "${jobs[@]}" --prom "Z:$work/windows.prom" \
    "${sources[@]}" >"$work/second.txt"
grep -q '^  Log files opened:  0 ' "$work/second.txt" || { cat "$work/second.txt"; exit 1; }
cmp "$work/first.prom" "$work/windows.prom"
[ ! -e "$work/windows.prom.tmp" ] && [ ! -e "$work/windows.prom.state.tmp" ]
echo "$(($(wc -l <"$work/native.csv") - 1)) sessions read alike by the native and the Windows build"
