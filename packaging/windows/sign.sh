#!/usr/bin/env bash
# Signs the Windows program with Authenticode (SHA-256): Smart App Control blocks an unsigned
# program that Microsoft's cloud service does not know, and with a signature SmartScreen also
# weighs the reputation of the publisher's certificate, kept from release to release, not only
# that of each release's new bytes.
#
#   QUORLEX_SIGN_PKCS12=cert.p12 QUORLEX_SIGN_PASSWORD=... QUORLEX_SIGN_TIMESTAMP=URL \
#       sign.sh IN.exe OUT.exe
#
# IN.exe stays as it is, so the unsigned build can still be compared byte for byte. The password
# reaches osslsigncode through a pipe, never as an argument, which any user's ps would show. The
# RFC 3161 time stamp keeps the signature valid once the certificate expires; without one, the
# release would meet Smart App Control as unsigned on the day the certificate runs out. So a
# signature without a time stamp is made only when QUORLEX_SIGN_NO_TIMESTAMP=1 asks for it (a
# test's throw-away certificate), and then said.
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
if [ -n "${QUORLEX_SIGN_TIMESTAMP:-}" ]; then
    timestamp=(-ts "$QUORLEX_SIGN_TIMESTAMP")
elif [ "${QUORLEX_SIGN_NO_TIMESTAMP:-}" = 1 ]; then
    echo "sign.sh: signing WITHOUT a time stamp: the signature stops validating when the" \
        "certificate expires (QUORLEX_SIGN_NO_TIMESTAMP=1)" >&2
else
    fail "QUORLEX_SIGN_TIMESTAMP names no time stamp server; a signature without one stops" \
        "validating when the certificate expires (QUORLEX_SIGN_NO_TIMESTAMP=1 to sign so anyway)"
fi
rm -f "$out" # osslsigncode writes no file that exists
osslsigncode sign -pkcs12 "$p12" -readpass <(printf '%s' "$QUORLEX_SIGN_PASSWORD") -h sha256 \
    -n "QUORLEX Config" "${timestamp[@]}" -in "$in" -out "$out" >/dev/null ||
    { rm -f "$out"; fail "$(basename "$in") not signed: osslsigncode's reason is above"; }
echo "Signed $(basename "$in") with $(basename "$p12")"
