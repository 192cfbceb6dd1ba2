#!/usr/bin/env bash
# Signs zr.exe (or any PE file) with an Authenticode code-signing certificate through
# osslsigncode, then checks the signature it wrote.
#
#   scripts/sign_exe.sh --pkcs12 CERT.p12 [--pass-file FILE] [options] EXE
#   scripts/sign_exe.sh --cert CERT.pem --key KEY.pem [--pass-file FILE] [options] EXE
#
# Options:
#   --out FILE        write the signed file there (default: replace EXE)
#   --timestamp URL   have the signature timestamped by this RFC 3161 server, so that
#                     it stays valid after the certificate expires
#   --ca FILE         verify the signature's chain against these CA certificates
#                     (default: the system's CA certificates)
#
# The password is read from a file (or standard input with "-"), never from the
# command line where other users could see it. The signed file is written beside the
# target and renamed over it only once signed and checked: EXE is never left half
# written. A file that already holds a signature is refused.
set -euo pipefail

usage() { sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
die() { echo "sign_exe: $*" >&2; exit 1; }

pkcs12= cert= key= pass_file= out= timestamp= ca=
while [ $# -gt 0 ]; do
  case "$1" in
    --pkcs12) pkcs12=${2:?}; shift 2 ;;
    --cert) cert=${2:?}; shift 2 ;;
    --key) key=${2:?}; shift 2 ;;
    --pass-file) pass_file=${2:?}; shift 2 ;;
    --out) out=${2:?}; shift 2 ;;
    --timestamp) timestamp=${2:?}; shift 2 ;;
    --ca) ca=${2:?}; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "sign_exe: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# = 1 ] || usage
exe=$1
out=${out:-$exe}
command -v osslsigncode >/dev/null || die "osslsigncode is not installed (apt-get install osslsigncode)"
[ -f "$exe" ] || die "$exe: no such file"
if [ -n "$pkcs12" ]; then
  [ -z "$cert$key" ] || die "give either --pkcs12 or --cert and --key"
  [ -f "$pkcs12" ] || die "$pkcs12: no such file"
  credentials=(-pkcs12 "$pkcs12")
else
  [ -n "$cert" ] && [ -n "$key" ] || die "give either --pkcs12 or --cert and --key"
  [ -f "$cert" ] && [ -f "$key" ] || die "certificate or key file missing"
  credentials=(-certs "$cert" -key "$key")
fi
[ -z "$pass_file" ] || credentials+=(-readpass "$pass_file")
[ -z "$timestamp" ] || credentials+=(-ts "$timestamp")

existing=$(osslsigncode verify -in "$exe" 2>&1 || true)
if grep -q 'Signature Index' <<<"$existing"; then
  die "$exe is signed already; sign the file as built"
fi

tmp=$(mktemp "$(dirname "$out")/.sign.XXXXXX")
trap 'rm -f "$tmp"' EXIT
rm -f "$tmp"   # osslsigncode will not write over an existing file
osslsigncode sign "${credentials[@]}" -h sha256 -n "ZR Auto Update" -in "$exe" -out "$tmp" >/dev/null \
  || die "osslsigncode could not sign $exe"

verify=(osslsigncode verify -in "$tmp")
[ -z "$ca" ] || verify+=(-CAfile "$ca")
report=$("${verify[@]}" 2>&1) || { echo "$report" >&2; die "the signature written does not verify"; }
chmod --reference="$exe" "$tmp"
mv -f "$tmp" "$out"
trap - EXIT
echo "sign_exe: signed $out"
