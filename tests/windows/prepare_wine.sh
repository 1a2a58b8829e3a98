#!/usr/bin/env bash
# Makes the wine prefix the Windows tests share, and waits until wine has
# settled, so that no test pays for the first start.
set -eu
wine64=$1 wineserver=$2 prefix=$3
export WINEPREFIX=$prefix WINEDEBUG=-all
"$wine64" wineboot -i </dev/null >/dev/null 2>&1
# A relay log (WINEDEBUG=+relay) names only the calls the write count reads.
"$wine64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
  /d 'KERNEL32.GetStdHandle;KERNEL32.WriteFile;KERNEL32.WriteConsoleA;KERNEL32.WriteConsoleW' </dev/null >/dev/null 2>&1
"$wineserver" -w
test -d "$prefix/drive_c/windows"
