#!/usr/bin/env bash
# Runs examples/update.cmd under wine's cmd the way a service team does
# (tests/windows/update_cmd_runs.cmd says how) and compares what it printed
# and logged with what it should. Progress backspaces show as ^H, each log
# line's date, time and computer name as TIME HOST.
set -eu
wine64=$1 prefix=$2 bin=$3 example=$4 runs=$5 expected=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/ZelkSvc.exe" "$bin/Vemtu.dll" "$example" "$runs" "$work/"
mkdir "$work/alone"
cp "$example" "$work/alone/"
head -c 4096 /dev/zero >"$work/fw.bin"
cd "$work"
export WINEPREFIX=$prefix WINEDEBUG=-all VEMTU_SIM_RATE=0 VEMTU_SIM_STATE_DIR=state
"$wine64" cmd /c "$(basename "$runs")" </dev/null 2>&1 | tr -d '\r' | cat -v |
  sed -E '/^--- /,$ s/^.* ZelkSvc /TIME HOST ZelkSvc /' >printed.txt
test -d state  # the runs did reach the simulator
diff -u "$expected" printed.txt
