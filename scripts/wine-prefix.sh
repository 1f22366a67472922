#!/usr/bin/env bash
# Prepares the project's private Wine prefix: 32-bit, null graphics driver (windows exist but
# nothing is drawn to a screen), and German number, date and time formats for the tests that
# need the system's separators. Pass --display to keep Wine's normal graphics driver (demo).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

graphics=null
[ "${1:-}" = "--display" ] && graphics=

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX" >&2
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
if [ -n "$graphics" ]; then
  reg 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics"
else
  wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
fi
intl='HKCU\Control Panel\International'
reg "$intl" /v Locale /d 00000407
reg "$intl" /v LocaleName /d de-DE
reg "$intl" /v sDecimal /d ,
reg "$intl" /v sThousand /d .
reg "$intl" /v sShortDate /d dd.MM.yyyy
reg "$intl" /v sTimeFormat /d HH:mm:ss
reg "$intl" /v sDate /d .
reg "$intl" /v sTime /d :
# COM1 to COM4 lead to $WINEPREFIX/ports/com1..com4: whatever is linked there (the simulated
# unit's pty, a real adapter such as /dev/ttyUSB0) is the port; nothing linked there, no port.
# Wine then maps the machine's own serial ports to COM5 and up, and keeps these links whenever it
# starts, which it does not do for links made straight in dosdevices.
mkdir -p "$WINEPREFIX/ports"
for n in 1 2 3 4; do
  reg 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$WINEPREFIX/ports/com$n"
done
# No crash dialog: a crashing test must end, not wait for a click.
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
wineserver -w
