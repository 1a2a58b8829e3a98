#!/usr/bin/env bash
# Runs a cmd batch file under wine beside ZelkSvc.exe and Vemtu.dll, the way
# a roll-out script does, and compares what it printed with what it should.
set -eu
wine64=$1 prefix=$2 bin=$3 script=$4 expected=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/ZelkSvc.exe" "$bin/Vemtu.dll" "$bin/00042_0.fw" "$script" "$work/"
cp "$bin/00042_0.fw" "$work/fw.bin"
cd "$work"
export WINEPREFIX=$prefix WINEDEBUG=-all VEMTU_SIM_RATE=0 VEMTU_SIM_STATE_DIR=state
"$wine64" cmd /c "$(basename "$script")" </dev/null | tr -d '\r' >printed.txt
diff -u "$expected" printed.txt
