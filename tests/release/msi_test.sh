#!/usr/bin/env bash
# The Windows Installer package as a fleet's tools use it, in the test prefix: installed
# silently, a whole session run by the installed program against the kiosk stand-in, a package
# of a higher version installed over it (one product left, with the new file version), the
# older package then refused, and the product removed (its files gone, the logs kept). Each
# step checks msiexec's exit code.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
source scripts/wine-env
work=$(mktemp -d)
installed="$WINEPREFIX/drive_c/Program Files (x86)/Vistalyne Session Handler"
kiosk_key='HKLM\Software\Ferrowick\Korvane'
# Every step of the clean-up runs, whatever the one before it did: a package that is not
# installed fails its removal, and must not keep the next one installed in the shared prefix.
cleanup() {
    set +e
    for msi in "$work"/next/*.msi "$work"/first/*.msi; do
        [ -f "$msi" ] && "$WINE_LOADER" msiexec /x "$(windows_path "$msi")" /qn </dev/null >/dev/null 2>&1
    done
    "$WINE_LOADER" reg delete "$kiosk_key" /f /reg:32 </dev/null >/dev/null 2>&1 || true
    [ -z "${stand_in:-}" ] || kill "$stand_in" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# msiexec ACTION PACKAGE EXPECTED_EXIT: runs it silently with a verbose log. A Windows exit
# code reaches Unix as its low byte: 1603 (ERROR_INSTALL_FAILURE) arrives as 67.
msiexec() {
    local status=0
    "$WINE_LOADER" msiexec "$1" "$(windows_path "$2")" /qn /l*v "$(windows_path "$work/msiexec.log")" \
        </dev/null >/dev/null 2>&1 || status=$?
    if [ "$status" -ne "$3" ]; then
        echo "FAILED: msiexec $1 $(basename "$2") exited with $status, not $3"
        tail -20 "$work/msiexec.log" | tr -d '\r'
        exit 1
    fi
    echo "ok: msiexec $1 $(basename "$2") exits with $status"
}

# The product codes and versions Programs and Features lists for the product.
products() {
    "$WINE_LOADER" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s \
        /reg:32 </dev/null 2>/dev/null | tr -d '\r' | python3 -c '
import sys
key, values, found = None, {}, []
for line in sys.stdin.read().splitlines() + [""]:
    if line.startswith("HKEY_"):
        key, values = line.rsplit("\\", 1)[1], {}
    elif line.strip():
        parts = line.split(None, 2)
        values[parts[0]] = parts[2] if len(parts) > 2 else ""
        if values.get("DisplayName") == "Vistalyne Session Handler" and "DisplayVersion" in values:
            found.append(key + " " + values["DisplayVersion"])
            values = {}
print(" ".join(sorted(set(found))))'
}

# The file version in a program's version resource.
file_version() {
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
PY
}

version=$(head -n1 VERSION)
IFS=. read -r major minor patch build <<<"$version"
next="$major.$minor.$patch.$((build + 1))"
VSH_DIST_DIR="$work/first" scripts/package --no-tests >/dev/null
first=$(ls "$work"/first/*.msi)
# The next version's programs: the tested ones with their version resource raised, as a
# rebuild would give (the installer compares nothing else of them).
mkdir "$work/programs"
for program in VistalyneSessionHandler.exe VistalyneLogReport.exe; do
    python3 - "build/win32/$program" "$work/programs/$program" "$version" "$next" <<'PY'
import struct, sys
source, target, old, new = sys.argv[1:5]
data = bytearray(open(source, "rb").read())
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at >= 0:
    fields = [int(f) for f in new.split(".")]
    for offset in (8, 16):  # the file version, then the product version
        struct.pack_into("<II", data, at + offset, fields[0] << 16 | fields[1],
                         fields[2] << 16 | fields[3])
    data = data.replace(old.encode("utf-16-le"), new.encode("utf-16-le"))
open(target, "wb").write(data)
PY
done
VSH_PACKAGE_FROM="$work/programs" VSH_PACKAGE_VERSION=$next VSH_DIST_DIR="$work/next" \
    scripts/package --no-tests >/dev/null
second=$(ls "$work"/next/*.msi)

msiexec /i "$first" 0
for program in VistalyneSessionHandler.exe VistalyneLogReport.exe; do
    cmp "build/win32/$program" "$installed/$program"
done
echo "ok: the installed programs are the tested ones, in Program Files (x86)"
[ "$(products | wc -w)" -eq 2 ] || { echo "FAILED: Programs and Features lists: $(products)"; exit 1; }
echo "ok: Programs and Features lists $(products)"
first_code=$(products | cut -d' ' -f1)

# A whole session of the installed program, its log beside a kiosk application of its own.
mkdir -p "$work/kiosk"
"$WINE_LOADER" reg add "$kiosk_key" /v mainexe /d "$(windows_path "$work/kiosk/Korvane.exe")" /f \
    /reg:32 </dev/null >/dev/null 2>&1
# The stand-in lives until the session is over: a 32-bit start under qemu-user and a loaded
# machine can take longer than any lifetime short enough to wait for.
"$WINE_LOADER" build/win64/KioskStandIn.exe --lifetime=60000 </dev/null >"$work/stand-in.txt" 2>&1 &
stand_in=$!
sleep 1
status=0
timeout 30 "$WINE_LOADER" 'C:\Program Files (x86)\Vistalyne Session Handler\VistalyneSessionHandler.exe' \
    PageName=Home </dev/null || status=$?
kill "$stand_in" 2>/dev/null || true
wait "$stand_in" || true
[ "$status" -eq 0 ] || { echo "FAILED: the installed program exited with $status"; exit 1; }
build/native/VistalyneLogReport --csv "$work/session.csv" "$work/kiosk/logs" >/dev/null
grep -q ',Home,ended,0,yes,1,0' "$work/session.csv" ||
    { echo "FAILED: the session's log reads:"; cat "$work/session.csv"; exit 1; }
echo "ok: the installed program ran a whole session: ended, exit code 0, log closed cleanly"

msiexec /i "$second" 0
listed=$(products)
[ "$(wc -w <<<"$listed")" -eq 2 ] && [ "${listed#* }" = "$major.$minor.$((patch * 1000 + build + 1))" ] &&
    [ "${listed%% *}" != "$first_code" ] ||
    { echo "FAILED: after the upgrade Programs and Features lists: $listed"; exit 1; }
[ "$(file_version "$installed/VistalyneSessionHandler.exe")" = "$next" ] ||
    { echo "FAILED: the installed program is version $(file_version "$installed/VistalyneSessionHandler.exe")"; exit 1; }
echo "ok: $next replaced $version: one product ($listed), the program of version $next"

msiexec /i "$first" $((1603 % 256))
grep -q "WIX_DOWNGRADE_DETECTED = ${listed%% *}" "$work/msiexec.log" ||
    { echo "FAILED: the log does not show the newer product found as the reason"; exit 1; }
[ "$(products)" = "$listed" ] || { echo "FAILED: the refused package changed what is installed"; exit 1; }
echo "ok: the older package is refused and changes nothing"

msiexec /x "$second" 0
[ -z "$(products)" ] || { echo "FAILED: still listed after removal: $(products)"; exit 1; }
[ ! -e "$installed" ] || { echo "FAILED: left after removal: $(ls "$installed")"; exit 1; }
ls "$work"/kiosk/logs/*.log >/dev/null
echo "ok: removed: its files and folder are gone, the session's log is kept"
