#!/usr/bin/env bash
# scripts/wine-env makes a prefix once and reuses it: one whose making failed half-way must
# not be marked ready, or every later run would reuse it. Wine is played by stand-ins.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VSH_WINEPREFIX=$work/prefix
source "$repo/scripts/wine-env"
WINE_SERVER=true
failures=0

# WINE_LOADER fails at its Nth call (0: never).
printf '#!/bin/sh\nn=$(($(cat "%s/calls" 2>/dev/null || echo 0) + 1))\necho $n >"%s/calls"\n[ "$n" != "$FAIL_AT" ]\n' \
    "$work" "$work" >"$work/wine"
chmod +x "$work/wine"
WINE_LOADER=$work/wine
for fail_at in 1 2 3 0; do
    rm -f "$work/calls"
    status=0
    FAIL_AT=$fail_at ensure_wine_prefix 2>/dev/null || status=$?
    if [ "$fail_at" -ne 0 ] && { [ "$status" -eq 0 ] || [ -e "$WINEPREFIX/.vsh-ready" ]; }; then
        echo "FAILED: step $fail_at of making the prefix failed, yet it is marked ready"
        failures=$((failures + 1))
    elif [ "$fail_at" -eq 0 ] && { [ "$status" -ne 0 ] || [ ! -e "$WINEPREFIX/.vsh-ready" ]; }; then
        echo "FAILED: a prefix whose every step worked is not marked ready"
        failures=$((failures + 1))
    else
        echo "ok: step ${fail_at/#0/none} failing: exit code $status, ready: $([ -e "$WINEPREFIX/.vsh-ready" ] && echo yes || echo no)"
    fi
done
rm -f "$work/calls"
FAIL_AT=1 ensure_wine_prefix && [ ! -e "$work/calls" ] && echo "ok: a ready prefix is reused as it is" ||
    { echo "FAILED: a ready prefix was made again"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "a prefix is marked ready only when it was made whole" || exit 1
