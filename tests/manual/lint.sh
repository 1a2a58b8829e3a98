#!/usr/bin/env bash
# The manual page must give mandoc's lint nothing to say.
set -u
page=$1
if ! command -v mandoc >/dev/null 2>&1; then
  echo "SKIPPED: mandoc is not installed; scripts/install-deps installs it"
  exit 77
fi
findings=$(mandoc -T lint "$page" 2>&1)
status=$?
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
  printf '%s\n' "$findings"
  echo "mandoc -T lint exited with $status"
  exit 1
fi
