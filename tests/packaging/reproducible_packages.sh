#!/usr/bin/env bash
# Packs the same builds again, into another folder, with another umask,
# time zone and locale, and checks that every package and checksum file
# comes out byte for byte as before.
set -u
first=$1
shift
second=$(mktemp -d)/other-dist
trap 'rm -rf "$(dirname "$second")"' EXIT
(umask 077 && TZ=America/New_York LC_ALL=C.UTF-8 "$@" --out "$second" >/dev/null) || {
  echo "FAIL: packing again failed"
  exit 1
}
failed=0
names=$(cd "$first" && ls)
[ "$names" = "$(cd "$second" && ls)" ] || { echo "FAIL: other files: $(cd "$second" && ls)"; failed=1; }
for name in $names; do
  cmp "$first/$name" "$second/$name" || failed=1
done
[ $failed = 0 ] && echo "packed twice, identical: $(echo $names)"
exit $failed
