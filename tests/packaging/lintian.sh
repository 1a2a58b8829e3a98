#!/usr/bin/env bash
# Debian's checker finds no error in the .deb. The warnings it still gives,
# and why they stay: maintscript-calls-ldconfig (postinst, postrm): CPack
# runs ldconfig for any library below /usr/lib, ours included, though the
# tool reaches its private one through RUNPATH; the call does no harm.
set -u
dist=$1
debs=("$dist"/*.deb)
if [ ${#debs[@]} != 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "FAIL: no single .deb in $dist"
  exit 1
fi
report=$(lintian --fail-on error "${debs[0]}" 2>&1)
status=$?
grep -v '^running with root privileges is not recommended!$' <<<"$report"
if [ $status != 0 ]; then
  echo "FAIL: lintian found errors in ${debs[0]##*/}"
  exit 1
fi
echo "lintian: no errors in ${debs[0]##*/}"
