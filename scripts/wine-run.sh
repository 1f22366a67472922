#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix (the CTest emulator of the win32 preset).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$dynlog_root/scripts/wine-prefix.sh" >&2
fi
dynlog_wineserver
if [ -t 1 ]; then
  exec wine "$@"
fi
# Not on a terminal (CTest, a script): Wine's own helper processes, started by whichever program
# needs them first, would inherit our output pipes and hold them open until the wineserver ends,
# and whoever reads the pipes would wait that long. They get files instead, passed on at the end.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
wine "$@" >"$out" 2>"$err"
rc=$?
set -e
cat "$out"
cat "$err" >&2
exit $rc
