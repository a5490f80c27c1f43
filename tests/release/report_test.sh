#!/usr/bin/env bash
# The Windows build of the log report, run under Wine, reads the corpus of real logs exactly
# as the native build does: the same console summary and the same CSV, byte for byte.
#   report_test.sh BUILD_DIR     (build/win32 or build/win64; build/native must be built)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sources=()
for folder in report/tests/corpus/*/; do sources+=("${folder%/}"); done

build/native/VistalyneLogReport --csv "$work/native.csv" "${sources[@]}" >"$work/native.txt"
scripts/wine-run "$1/VistalyneLogReport.exe" --csv "Z:$work/windows.csv" "${sources[@]}" \
    >"$work/windows.txt"
tr -d '\r' <"$work/windows.txt" >"$work/windows-lf.txt"
cmp "$work/native.csv" "$work/windows.csv"
cmp "$work/native.txt" "$work/windows-lf.txt"
echo "$(($(wc -l <"$work/native.csv") - 1)) sessions read alike by the native and the Windows build"
