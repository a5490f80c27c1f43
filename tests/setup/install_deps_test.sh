#!/usr/bin/env bash
# scripts/install-deps against a half-synced mirror, played by a stand-in apt-get (and the
# dpkg queries beside it) first on PATH; nothing reaches the network. Two mirrors: one whose
# resolver refuses until the release suite is named, and one that cannot give wine32 at all.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >>"$STANDIN_STATE/calls"
# What holds services back while packages install: the test's own file, never the machine's.
[ -x "$VSH_POLICY_RC_D" ] && echo "held by the test's file" >>"$STANDIN_STATE/held"
[ "$(stat -c %i.%Y /usr/sbin/policy-rc.d 2>/dev/null || echo absent)" = "$MACHINE_POLICY" ] ||
    echo "the machine's policy-rc.d changed" >>"$STANDIN_STATE/held"
case " $* " in
*" update "*)
    echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (2170 != 2168). Mirror sync in progress? [IP: 127.0.0.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
*" -t "*)
    if [ -n "${STANDIN_NO_WINE32:-}" ] && [[ " $* " == *" wine32:i386 "* ]]; then
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi
    for word in "$@"; do [[ "$word" == -* || "$word" == install ]] || echo "$word"; done \
        >>"$STANDIN_STATE/installed"
    exit 0 ;;
*)
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
package=${!#}
grep -qx -- "$package" "$STANDIN_STATE/installed" 2>/dev/null || exit 1
echo "install ok installed"
STANDIN
cat >"$work/bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
[ "$1" = --print-foreign-architectures ] && { echo i386; exit 0; }
echo "dpkg $*" >>"$STANDIN_STATE/calls"
STANDIN
# The locale is there; were it not, the machine's locales must not be changed by a test.
printf '#!/bin/sh\necho C.utf8; echo ja_JP.utf8\n' >"$work/bin/locale"
printf '#!/bin/sh\necho "localedef $*" >>"$STANDIN_STATE/calls"; exit 1\n' >"$work/bin/localedef"
chmod +x "$work/bin"/*
export MACHINE_POLICY
MACHINE_POLICY=$(stat -c %i.%Y /usr/sbin/policy-rc.d 2>/dev/null || echo absent)

failures=0
check() {  # check WHAT FILE PATTERN: the file holds a line matching the pattern
    if grep -qE -- "$3" "$2"; then
        echo "ok: $1"
    else
        echo "FAILED: $1 (no line matching '$3' in $(basename "$2"))"
        failures=$((failures + 1))
    fi
}

# run NAME [VAR=VALUE...]: install-deps on a fresh stand-in state; its output in NAME.out.
run() {
    local name=$1
    shift
    export STANDIN_STATE="$work/$name"
    mkdir -p "$STANDIN_STATE"
    local status=0
    env VSH_POLICY_RC_D="$STANDIN_STATE/policy-rc.d" "$@" PATH="$work/bin:$PATH" \
        VSH_APT_RETRY_PAUSE_S=0 \
        VSH_WINE32_NOTE="$STANDIN_STATE/wine32-note" \
        bash "$repo/scripts/install-deps" >"$STANDIN_STATE/out" 2>&1 || status=$?
    sed "s/^/  [$name] /" "$STANDIN_STATE/out"
    [ "$status" -eq 0 ] && echo "ok: $name: went on to the end" ||
        { echo "FAILED: $name: exit code $status"; failures=$((failures + 1)); }
}

run refusing
state=$work/refusing
[ "$(grep -c '^update' "$state/calls")" -eq 3 ] && echo "ok: the update was tried 3 times" ||
    { echo "FAILED: the update was tried $(grep -c '^update' "$state/calls") times"; failures=$((failures + 1)); }
check "the failed index is named" "$state/out" 'Packages.xz.*Mirror sync in progress'
check "the release suite is tried after a refusal" "$state/calls" "^install .*-t $(. /etc/os-release && echo "$VERSION_CODENAME") .*wine32:i386"
check "it says so" "$state/out" 'trying again with the release suite'
check "wine32 was installed" "$state/installed" '^wine32:i386$'
[ ! -e "$state/wine32-note" ] && echo "ok: no reason to skip 32-bit is left" ||
    { echo "FAILED: a wine32 note was left"; failures=$((failures + 1)); }

run without-wine32 STANDIN_NO_WINE32=1
state=$work/without-wine32
check "the rest is installed without wine32" "$state/installed" '^g\+\+-mingw-w64-i686$'
check "it says wine32 is left out" "$state/out" 'Installing without wine32:i386'
check "it says the 32-bit tests are skipped, not passed" "$state/out" 'skipped, not passed'
check "the reason is kept for the summary" "$state/wine32-note" 'wine32:i386 could not be installed'
if grep -qx 'wine32:i386' "$state/installed"; then
    echo "FAILED: wine32 counted as installed"
    failures=$((failures + 1))
fi

check "services were held back by the test's own file" "$state/held" "^held by the test's file$"
if grep -q "machine's" "$state/held" || [ -e "$state/policy-rc.d" ]; then
    echo "FAILED: $(grep "machine's" "$state/held"; [ ! -e "$state/policy-rc.d" ] || echo "the file was left")"
    failures=$((failures + 1))
fi

# A policy-rc.d left by a run that was killed goes; anybody else's stays as it was.
# NAME, the file found, and what is left after the run ('' for nothing).
while IFS='|' read -r name found left; do
    mkdir -p "$work/$name"
    printf '%b' "$found" >"$work/$name/policy-rc.d"
    run "$name"
    [ "$(cat "$work/$name/policy-rc.d" 2>/dev/null)" = "$(printf '%b' "$left")" ] &&
        echo "ok: $name: the policy-rc.d found is handled" ||
        { echo "FAILED: $name: the policy-rc.d left is not '$left'"; failures=$((failures + 1)); }
done <<'CASES'
killed|#!/bin/sh\n# held by scripts/install-deps, process 999999999\nexit 101\n|
admin|#!/bin/sh\nexit 0\n|#!/bin/sh\nexit 0\n
CASES
check "it says it removes a killed run's file" "$work/killed/out" "Removing .*policy-rc.d, left by a run"

[ "$failures" -eq 0 ] && echo "install-deps went through both half-synced mirrors" || exit 1
