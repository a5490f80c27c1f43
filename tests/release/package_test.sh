#!/usr/bin/env bash
# The release script's promises: the zip holds the tested program byte for byte with sums
# that match, and its comparison fails when two packages differ by one byte.
#   package_test.sh holds-the-tested-bytes | compare-fails-on-a-difference
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(head -n1 "$repo/VERSION")
name="VistalyneSessionHandler-$version-win32"

VSH_DIST_DIR="$work/a" "$repo/scripts/package" --no-tests >/dev/null
case "$1" in
holds-the-tested-bytes)
    python3 - "$work/a/$name.zip" "$repo/build/win32" "$name" "$version" <<'PY'
import hashlib, sys, zipfile
archive, tested, name, version = sys.argv[1:5]
with zipfile.ZipFile(archive) as z:
    names = z.namelist()
    programs = ["VistalyneLogReport.exe", "VistalyneSessionHandler.exe"]
    assert names == [f"{name}/README.txt", f"{name}/SHA256SUMS"] + [
        f"{name}/{p}" for p in programs], names  # in name order
    for program in programs:
        with open(f"{tested}/{program}", "rb") as f:
            assert z.read(f"{name}/{program}") == f.read(), f"the zipped {program} is not the tested one"
    readme = z.read(f"{name}/README.txt").decode("ascii")
    assert f"Vistalyne Session Handler {version}" in readme and "\r\n" in readme
    for line in z.read(f"{name}/SHA256SUMS").decode().splitlines():
        digest, file = line.split("  ")
        assert hashlib.sha256(z.read(f"{name}/{file}")).hexdigest() == digest, file
print("the package holds the tested program, and its sums match")
PY
    ;;
compare-fails-on-a-difference)
    mkdir -p "$work/b"
    cp "$work/a/$name.zip" "$work/b/"
    "$repo/scripts/package" --compare "$work/a" "$work/b" >/dev/null
    printf '\x00' | dd of="$work/b/$name.zip" bs=1 seek=100 conv=notrunc status=none
    if "$repo/scripts/package" --compare "$work/a" "$work/b" >/dev/null; then
        echo "the comparison passed two different packages"
        exit 1
    fi
    echo "the comparison fails on a one-byte difference"
    ;;
*)
    echo "unknown case: $1"
    exit 2
    ;;
esac
