#!/usr/bin/env bash
# Makes the wine prefix the Windows tests share, and waits until wine has
# settled, so that no test pays for the first start.
set -eu
wine64=$1 wineserver=$2 prefix=$3
export WINEPREFIX=$prefix WINEDEBUG=-all
"$wine64" wineboot -i </dev/null >/dev/null 2>&1
"$wineserver" -w
test -d "$prefix/drive_c/windows"
