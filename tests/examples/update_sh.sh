#!/usr/bin/env bash
# Runs examples/update.sh as a service team would, against the built tool
# and the simulator: once for each exit status, from PATH and from beside
# the script, and compares what it printed and logged with what it should.
# Progress backspaces show as ^H, and each log line's time and host as
# TIME HOST.
set -eu
script=$(realpath "$1") bin=$(realpath "$2") expected=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 4096 /dev/zero >fw.bin
export VEMTU_SIM_RATE=0 VEMTU_SIM_STATE_DIR="$work/state"

run() {
    echo "\$ update.sh $*"
    status=0
    "$copy" "$@" 2>&1 || status=$?
    echo "[script exited with $status]"
}

{
    # The script where the sources keep it, ZelkSvc on PATH.
    copy=$script
    export ZELKSVC_LOG="$work/update.log"
    PATH="$bin:$PATH" run u bios fw.bin
    PATH="$bin:$PATH" run u nonsense fw.bin
    PATH="$bin:$PATH" run u bios "no such.bin"
    VEMTU_SIM_PC_TYPE_ERROR=5 PATH="$bin:$PATH" run u zelk -b

    # A copy beside a ZelkSvc of its own, which wins over PATH, logging
    # beside itself.
    unset ZELKSVC_LOG
    mkdir stick
    cp "$script" stick/
    printf '#!/bin/sh\necho "stand-in ZelkSvc called with $*"\nexit 7\n' >stick/ZelkSvc
    chmod +x stick/ZelkSvc
    copy=$work/stick/update.sh
    PATH="$bin:$PATH" run u bios fw.bin

    # No ZelkSvc anywhere; and a log that cannot be written.
    mkdir alone
    cp "$script" alone/
    copy=$work/alone/update.sh
    ZELKSVC_LOG="$work/no/such/folder/update.log" run u bios fw.bin

    echo "--- update.log"
    cat update.log
    echo "--- stick/update.log"
    cat stick/update.log
} | cat -v | sed -E -e "s|$work|WORK|g" \
    -e 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [^ ]+ /TIME HOST /' >printed.txt

test -d state  # the runs did reach the simulator
diff -u "$expected" printed.txt
