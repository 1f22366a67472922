#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix (the CTest emulator of the win32 preset).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$dynlog_root/scripts/wine-prefix.sh" >&2
fi
dynlog_wineserver
exec wine "$@"
