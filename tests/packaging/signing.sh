#!/usr/bin/env bash
# Signs the shipped exe with a throwaway self-signed certificate: the
# signature verifies against that certificate and no other, signing twice
# gives the same bytes, and scripts/package ships the signed exe with its
# checksum.
set -u
sign=$1 exe=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

certificate() { # name
  openssl req -x509 -newkey rsa:2048 -sha256 -days 30 -nodes -subj "/CN=ZelkSvc test $1" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
    -keyout "$1.key" -out "$1.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -passout pass:"pass phrase $1" -out "$1.p12"
}
certificate signer && certificate stranger || { echo "FAIL: openssl"; exit 1; }
export ZELK_SIGN_PKCS12=signer.p12 ZELK_SIGN_PASSWORD="pass phrase signer" ZELK_SIGN_CAFILE=signer.pem

"$sign" "$exe" one.exe || fail "signing failed"
"$sign" "$exe" two.exe || fail "signing again failed"
cmp one.exe two.exe || fail "two signatures differ"
cmp -s one.exe "$exe" && fail "the signed exe is the unsigned one"
osslsigncode verify -in one.exe -CAfile signer.pem >verify.txt 2>&1 || { cat verify.txt; fail "does not verify"; }
grep -q 'Message digest algorithm  : SHA256' verify.txt || fail "not signed with SHA-256"
osslsigncode verify -in one.exe -CAfile stranger.pem >/dev/null 2>&1 && fail "verifies against another certificate"
ZELK_SIGN_PASSWORD=wrong "$sign" "$exe" wrong.exe 2>/dev/null && fail "signed with a wrong password"
[ -e wrong.exe ] && fail "a failed signing left wrong.exe"

# The release: the ZIP's exe is the signed one, and its checksum matches.
"$@" --out dist >/dev/null || fail "scripts/package with signing failed"
mkdir zip && unzip -q dist/*-win32.zip -d zip || fail "no ZIP"
cmp zip/ZelkSvc.exe one.exe || fail "the ZIP does not hold the signed exe"
(cd zip && sha256sum --quiet -c SHA256SUMS) || fail "the ZIP's checksums do not match"

[ $failed = 0 ] && echo "signed twice, identical, verified against the signer's certificate only"
exit $failed
