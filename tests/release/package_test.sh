#!/usr/bin/env bash
# The release script's promises: the zip and the MSI hold the tested programs byte for byte,
# the zip with sums that match; its comparison fails when two packages differ by one byte; and
# signed, every program and the MSI pass osslsigncode verify, and a byte changed fails it.
#   package_test.sh holds-the-tested-bytes | compare-fails-on-a-difference | signs-what-it-ships
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(head -n1 "$repo/VERSION")
name="VistalyneSessionHandler-$version-win32"

[ "$1" = signs-what-it-ships ] || VSH_DIST_DIR="$work/a" "$repo/scripts/package" --no-tests >/dev/null
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
print("the zip holds the tested programs, and its sums match")
PY
    msiextract -C "$work/msi" "$work/a/$name.msi" >/dev/null
    installed="$work/msi/Program Files/Vistalyne Session Handler"
    for program in VistalyneSessionHandler.exe VistalyneLogReport.exe; do
        cmp "$repo/build/win32/$program" "$installed/$program"
    done
    unzip -p "$work/a/$name.zip" "$name/README.txt" | cmp - "$installed/README.txt"
    [ "$(ls "$installed" | wc -l)" -eq 3 ]
    msiinfo suminfo "$work/a/$name.msi" | grep -qx "Subject: Vistalyne Session Handler $version"
    echo "the MSI holds the tested programs and the README, nothing else"
    ;;
signs-what-it-ships)
    # A throwaway code-signing certificate, made here; its password only in the environment.
    export VSH_SIGN_PASSWORD="throwaway $RANDOM"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vistalyne test signing" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" \
        2>/dev/null
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
        -passout env:VSH_SIGN_PASSWORD
    VSH_DIST_DIR="$work/a" "$repo/scripts/package" --no-tests --sign "$work/cert.pfx" >/dev/null
    (cd "$work" && unzip -q "a/$name.zip")
    msiextract -C "$work/msi" "$work/a/$name.msi" >/dev/null
    for signed in "$work/$name/VistalyneSessionHandler.exe" "$work/$name/VistalyneLogReport.exe" \
        "$work/a/$name.msi"; do
        osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" >"$work/verify.txt" 2>&1 ||
            { cat "$work/verify.txt"; echo "not verified: $(basename "$signed")"; exit 1; }
        grep -qE "Message digest algorithm *: SHA256" "$work/verify.txt"
        cp "$signed" "$work/changed"
        size=$(stat -c %s "$signed")
        printf '\x5a' | dd of="$work/changed" bs=1 seek=$((size / 3)) conv=notrunc status=none
        if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed" >/dev/null 2>&1; then
            echo "a copy of $(basename "$signed") with one byte changed still verified"
            exit 1
        fi
    done
    for program in VistalyneSessionHandler.exe VistalyneLogReport.exe; do
        cmp "$work/$name/$program" "$work/msi/Program Files/Vistalyne Session Handler/$program"
        ! cmp -s "$work/$name/$program" "$repo/build/win32/$program"  # signed, so not the same bytes
    done
    (cd "$work/$name" && sha256sum --quiet -c SHA256SUMS)
    echo "signed: both programs and the MSI verify, a changed byte fails, the sums are the signed bytes'"
    ;;
compare-fails-on-a-difference)
    for package in "$name.zip" "$name.msi"; do
        rm -rf "$work/b"
        mkdir -p "$work/b"
        cp "$work/a/$name.zip" "$work/a/$name.msi" "$work/b/"
        "$repo/scripts/package" --compare "$work/a" "$work/b" >/dev/null
        printf '\x00' | dd of="$work/b/$package" bs=1 seek=100 conv=notrunc status=none
        if "$repo/scripts/package" --compare "$work/a" "$work/b" >/dev/null; then
            echo "the comparison passed two different packages: $package"
            exit 1
        fi
    done
    echo "the comparison fails on a one-byte difference"
    ;;
*)
    echo "unknown case: $1"
    exit 2
    ;;
esac
