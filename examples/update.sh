#!/bin/sh
# update.sh - run one ZelkSvc update, log its result, and pass its exit
# status on to the caller.
#
# Usage:  update.sh <action> <datatype> [<file>] [-b]
#         e.g.  update.sh u bios bios_v2.bin
#               update.sh u zelk
# The arguments go to ZelkSvc unchanged; see ZelkSvc(1).
#
# Which ZelkSvc: the one in this script's own folder when there is one
# (copy the script next to the tool, e.g. on a service stick), otherwise the
# first ZelkSvc on PATH.
#
# The log: one line is appended per run, with the time, this host, the
# command and its result, to update.log in this script's folder, or to the
# file named by ZELKSVC_LOG. A log that cannot be written is reported, but
# the update's result still stands.
#
# Exit status: ZelkSvc's own, so callers can branch on it as well:
#   0  updated
#   1  command line rejected, or ZELK file name not known for this PC type:
#      fix the command or the target list, do not retry
#   2  the download failed: the component may or may not still hold its
#      previous firmware; check it before retrying
#   3  the PC type or device ID could not be read
#   anything else is unexpected (127: ZelkSvc not found; 128+n: ended by
#   signal n before the transfer started)

here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
if [ -x "$here/ZelkSvc" ]; then
    tool=$here/ZelkSvc
else
    tool=ZelkSvc
fi
log=${ZELKSVC_LOG:-$here/update.log}

# The command as it would be typed, with arguments that hold blanks quoted.
command_line=ZelkSvc
for argument in "$@"; do
    case $argument in
        '' | *[[:space:]]*) command_line="$command_line \"$argument\"" ;;
        *) command_line="$command_line $argument" ;;
    esac
done

if command -v "$tool" >/dev/null 2>&1; then
    "$tool" "$@"
    status=$?
else
    echo "update.sh: ZelkSvc is neither beside this script nor on PATH" >&2
    status=127
fi

case $status in
    0) result="updated" ;;
    1) result="command line rejected or PC type not supported" ;;
    2) result="download failed" ;;
    3) result="device could not be read" ;;
    127) result="unexpected: ZelkSvc not found" ;;
    *) result="unexpected exit status" ;;
esac

echo "$command_line: exit $status, $result"
if ! printf '%s %s %s: exit %s, %s\n' "$(date '+%Y-%m-%d %H:%M:%S')" "$(uname -n)" \
        "$command_line" "$status" "$result" 2>/dev/null >>"$log"; then
    echo "update.sh: cannot append to the log $log" >&2
fi
exit "$status"
