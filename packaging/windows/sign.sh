#!/usr/bin/env bash
# Signs the Windows program with Authenticode (SHA-256): Smart App Control blocks an unsigned
# program that Microsoft's cloud service does not know, and with a signature SmartScreen also
# weighs the reputation of the publisher's certificate, kept from release to release, not only
# that of each release's new bytes.
#
#   QUORLEX_SIGN_PKCS12=cert.p12 QUORLEX_SIGN_PASSWORD=... [QUORLEX_SIGN_TIMESTAMP=URL] \
#       sign.sh IN.exe OUT.exe
#
# IN.exe stays as it is, so the unsigned build can still be compared byte for byte. The password
# reaches osslsigncode through a pipe, never as an argument, which any user's ps would show. The
# RFC 3161 time stamp keeps the signature valid once the certificate expires; it is asked for
# only when a URL is given, so that signing needs no network otherwise.
set -euo pipefail
fail() {
    echo "sign.sh: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: sign.sh IN.exe OUT.exe"
in="$1" out="$2"
p12="${QUORLEX_SIGN_PKCS12:-}"
[ -n "$p12" ] || fail "QUORLEX_SIGN_PKCS12 names no certificate"
[ -f "$p12" ] || fail "no PKCS#12 file at $p12"
[ -n "${QUORLEX_SIGN_PASSWORD+set}" ] || fail "QUORLEX_SIGN_PASSWORD is not set"
[ -f "$in" ] || fail "no program to sign at $in"
[ "$(realpath -m "$in")" != "$(realpath -m "$out")" ] || fail "OUT.exe must not be IN.exe"
timestamp=()
[ -z "${QUORLEX_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$QUORLEX_SIGN_TIMESTAMP")
rm -f "$out" # osslsigncode writes no file that exists
osslsigncode sign -pkcs12 "$p12" -readpass <(printf '%s' "$QUORLEX_SIGN_PASSWORD") -h sha256 \
    -n "QUORLEX Config" "${timestamp[@]}" -in "$in" -out "$out" >/dev/null ||
    { rm -f "$out"; fail "$(basename "$in") not signed: osslsigncode's reason is above"; }
echo "Signed $(basename "$in") with $(basename "$p12")"
