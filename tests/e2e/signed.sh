#!/usr/bin/env bash
# The release's program signed by packaging/windows/sign.sh with a certificate made for this run
# alone, its signature verified against that certificate, packed again by zip-release.py and
# started from that zip under wine, as scripts/windows.sh does with a real certificate.
#
#   signed.sh RELEASE.zip BUILD_DIR limited.exe planted.dll NAME,...
set -euo pipefail
zip="$1" build="$2" name="$(basename "$1" .zip)" exe="$name/quorlex-config.exe"
source="$(cd "$(dirname "$0")/../.." && pwd)"
tmp="$(mktemp -d "${TMPDIR:-/tmp}/quorlex signed ü.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
# Not the maintainer's certificate, nor a time stamp server: nothing leaves the machine.
unset QUORLEX_SIGN_TIMESTAMP
export QUORLEX_SIGN_PKCS12="$tmp/cert.p12" QUORLEX_SIGN_PASSWORD="throw away"
openssl req -x509 -newkey rsa:2048 -noenc -keyout key.pem -out cert.pem -days 1 \
    -subj "/CN=QUORLEX throw-away signer" -addext extendedKeyUsage=codeSigning 2>openssl.log ||
    { cat openssl.log; exit 1; }
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout env:QUORLEX_SIGN_PASSWORD

unzip -q "$zip" -d original
# Without a time stamp server, signing is refused unless asked for by name.
bash "$source/packaging/windows/sign.sh" "original/$exe" signed.exe 2>/dev/null &&
    { echo "signed without a time stamp, unasked" >&2; exit 1; }
QUORLEX_SIGN_NO_TIMESTAMP=1 bash "$source/packaging/windows/sign.sh" "original/$exe" signed.exe
/usr/bin/python3 "$source/packaging/windows/zip-release.py" "$build" out "$name" signed.exe
unzip -q out/"$name".zip -d unpacked
# The zip holds the program as signed, and every other file as it was.
cmp "unpacked/$exe" signed.exe
diff -r -x quorlex-config.exe original unpacked
osslsigncode verify -CAfile cert.pem -in "unpacked/$exe" >verify.log || { cat verify.log; exit 1; }
# A single changed byte is caught, so the check above did look at the signed bytes.
/usr/bin/python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[4096] ^= 1
open(sys.argv[1], "wb").write(b)' signed.exe
osslsigncode verify -CAfile cert.pem -in signed.exe >/dev/null 2>&1 &&
    { echo "a changed byte passed the check" >&2; exit 1; }
/usr/bin/python3 "$source/tests/e2e/drive.py" wine "$tmp/out/$name.zip" plain 1252 96 "${@:3}"
