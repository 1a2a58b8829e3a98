#!/usr/bin/env bash
# Every data-type keyword the manual page lists reaches the device with the
# code the page gives for it, and the page lists every keyword the usage
# text names. Runs the built tool against the simulator and reads the
# simulator's journal.
set -euo pipefail
page=$(realpath "$1") tool=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 4096 /dev/zero >fw.bin
export VEMTU_SIM_RATE=0 VEMTU_SIM_STATE_DIR="$work/state" VEMTU_SIM_JOURNAL="$work/journal.log"

# Under DATA TYPES each entry is ".TP", a line of keywords, then text with
# "code N".
entries=$(awk '
  /^\.SH / { inside = ($2 == "DATA") }
  !inside { next }
  /^\.TP/ { want = 1; next }
  want { keywords = $0; gsub(/^\.BR? |", "|,/, " ", keywords); want = 0; next }
  keywords != "" && match($0, /code [0-9]+/) {
    print substr($0, RSTART + 5, RLENGTH - 5), keywords; keywords = ""
  }' "$page")
[ -n "$entries" ] || { echo "no data types found in $page"; exit 1; }

failed=0 listed=""
while read -r code keywords; do
  for keyword in $keywords; do
    listed="$listed $keyword"
    for spelling in "$keyword" "$(printf '%s' "$keyword" | tr '[:upper:]' '[:lower:]')"; do
      : >journal.log
      "$tool" u "$spelling" fw.bin >/dev/null 2>&1 || true
      expected="DownloadFile(\"fw.bin\", $code, 0) -> 1, 4096 bytes"
      if [ "$(cat journal.log)" != "$expected" ]; then
        echo "$spelling: page says code $code; the device got: $(cat journal.log)"
        failed=1
      fi
    done
  done
done <<<"$entries"

# Each keyword the usage text shows, with its optional part in brackets
# taken and left out, must be on the page.
usage_keywords=$("$tool" -h | sed -n '/^ *datatype /,/^ *file /p' | sed '$d' |
  sed -E 's/^ *(datatype)? *//; s/ .*//' |
  sed -E 's/^\[([A-Z]+)\]([A-Z]+)$/\1\2 \2/; s/^([A-Z]+)\[([A-Z]+)\]$/\1 \1\2/')
for keyword in $usage_keywords; do
  case " $listed " in
    *" $keyword "*) ;;
    *) echo "$keyword: in the usage text but not on the manual page"; failed=1 ;;
  esac
done
echo "checked:$listed"
exit "$failed"
