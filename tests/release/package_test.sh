#!/usr/bin/env bash
# The release script's promises: the zip and the MSI hold the tested programs byte for byte,
# the zip with sums that match; its comparison fails when two packages differ by one byte; and
# signed, every program and the MSI pass osslsigncode verify, and a byte changed fails it;
# signed with time stamps from an authority (a throwaway one on loopback), each verifies with
# its time stamp, dated within the run, and an authority that is down or answers garbage
# fails the package with a message that names it.
#   package_test.sh holds-the-tested-bytes | compare-fails-on-a-difference | signs-what-it-ships
#                   | signs-with-a-time-stamp
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
servers=()
finish() {
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${servers[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
version=$(head -n1 "$repo/VERSION")
name="VistalyneSessionHandler-$version-win32"

# A throwaway code-signing certificate, made here; its password only in the environment.
make_signing_certificate() {
    export VSH_SIGN_PASSWORD="throwaway $RANDOM"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vistalyne test signing" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" \
        2>/dev/null
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
        -passout env:VSH_SIGN_PASSWORD
}

# start_authority NAME [--garbage]: a time-stamp authority on a free loopback port; its URL in
# $authority_url. Waits at most 10 s for it to listen.
start_authority() {
    local folder=$work/$1
    mkdir -p "$folder"
    python3 "$repo/tests/release/time_stamp_authority.py" "$work/tsa.cnf" "$folder/port" \
        "${@:2}" 2>"$folder/log" &
    servers+=($!)
    for _ in $(seq 100); do [ -s "$folder/port" ] && break; sleep 0.1; done
    [ -s "$folder/port" ] || { cat "$folder/log"; echo "the time-stamp authority did not start"; exit 1; }
    authority_url="http://127.0.0.1:$(cat "$folder/port")/"
}

[[ "$1" == signs-* ]] || VSH_DIST_DIR="$work/a" "$repo/scripts/package" --no-tests >/dev/null
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
    make_signing_certificate
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
signs-with-a-time-stamp)
    make_signing_certificate
    # The authority's own certificate: extended key usage timeStamping, critical, as RFC 3161
    # asks of a time-stamping certificate.
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vistalyne test time stamps" \
        -addext "extendedKeyUsage=critical,timeStamping" \
        -addext "keyUsage=critical,digitalSignature" \
        -keyout "$work/tsa.key" -out "$work/tsa.pem" 2>/dev/null
    echo 01 >"$work/tsa.serial"
    cat >"$work/tsa.cnf" <<CNF
[ tsa ]
default_tsa = test
[ test ]
serial = $work/tsa.serial
crypto_device = builtin
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
other_policies = 1.3.6.1.4.1.99999.2
certs = $work/tsa.pem
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
    start_authority good
    started=$(date -u +%s)
    VSH_DIST_DIR="$work/a" "$repo/scripts/package" --no-tests --sign "$work/cert.pfx" \
        --timestamp "$authority_url" >/dev/null
    ended=$(date -u +%s)
    (cd "$work" && unzip -q "a/$name.zip")
    for signed in "$work/$name/VistalyneSessionHandler.exe" "$work/$name/VistalyneLogReport.exe" \
        "$work/a/$name.msi"; do
        osslsigncode verify -CAfile "$work/cert.pem" -TSA-CAfile "$work/tsa.pem" -in "$signed" \
            >"$work/verify.txt" 2>&1 ||
            { cat "$work/verify.txt"; echo "not verified: $(basename "$signed")"; exit 1; }
        grep -q "Timestamp Server Signature verification: ok" "$work/verify.txt" ||
            { cat "$work/verify.txt"; echo "no verified time stamp: $(basename "$signed")"; exit 1; }
        stamped=$(sed -n 's/^[[:space:]]*Timestamp time:[[:space:]]*//p' "$work/verify.txt" | head -n1)
        at=$(date -u -d "$stamped" +%s)
        if [ "$at" -lt $((started - 1)) ] || [ "$at" -gt $((ended + 1)) ]; then
            echo "$(basename "$signed") is stamped $stamped, not within the run"
            exit 1
        fi
        echo "ok: $(basename "$signed") verifies with its time stamp of $stamped"
    done

    # An authority that is down, and one that answers garbage, fail the package and are named.
    dead_url="http://127.0.0.1:$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')/"
    start_authority garbage --garbage
    for url in "$dead_url" "$authority_url"; do
        status=0
        VSH_DIST_DIR="$work/failed" timeout 120 "$repo/scripts/package" --no-tests \
            --sign "$work/cert.pfx" --timestamp "$url" >"$work/failed.txt" 2>&1 || status=$?
        if [ "$status" -eq 0 ] || ! grep -qF "$url" "$work/failed.txt"; then
            cat "$work/failed.txt"
            echo "with the time-stamp authority $url the package exited with $status"
            exit 1
        fi
        echo "ok: the authority $url fails the package, named: $(grep -F "$url" "$work/failed.txt" | head -n1)"
    done
    echo "signed with time stamps: both programs and the MSI verify, dated within the run"
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
