#!/usr/bin/env bash
# Prepares the project's private Wine prefix: 32-bit, null graphics driver (windows exist but
# nothing is drawn to a screen), and German number, date and time formats for the tests that
# need the system's separators. Pass --display to keep Wine's normal graphics driver (demo).
#   scripts/wine-prefix.sh [--display]
#   scripts/wine-prefix.sh --copy-to DIR   DIR becomes a prefix of its own, a copy of the prepared
#                                          one, for a test suite that links its own COM ports
# The settings go in with one registry import, and none at all when the prefix has them already.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

graphics=null
copy_to=
case "${1:-}" in
--display) graphics= ;;
--copy-to) copy_to=${2:?--copy-to needs a folder} ;;
esac

# The settings of a prefix, as a registry file.
settings_of() {
  echo 'Windows Registry Editor Version 5.00'
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
  if [ -n "$graphics" ]; then echo "\"Graphics\"=\"$graphics\""; else echo '"Graphics"=-'; fi
  echo
  echo '[HKEY_CURRENT_USER\Control Panel\International]'
  echo '"Locale"="00000407"'
  echo '"LocaleName"="de-DE"'
  echo '"sDecimal"=","'
  echo '"sThousand"="."'
  echo '"sShortDate"="dd.MM.yyyy"'
  echo '"sTimeFormat"="HH:mm:ss"'
  echo '"sDate"="."'
  echo '"sTime"=":"'
  echo
  # COM1 to COM4 lead to PREFIX/ports/com1..com4: whatever is linked there (the simulated unit's
  # pty, a real adapter such as /dev/ttyUSB0) is the port; nothing linked there, no port. Wine
  # then maps the machine's own serial ports to COM5 and up, and keeps these links whenever it
  # starts, which it does not do for links made straight in dosdevices.
  echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
  for n in 1 2 3 4; do echo "\"COM$n\"=\"$1/ports/com$n\""; done
  echo
  # No crash dialog: a crashing test must end, not wait for a click.
  echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
  echo '"ShowCrashDialog"=dword:00000000'
}

# Whether the prefix's registry holds every value of the settings. Wine itself may have changed
# them since (it rewrites the formats when it runs under another locale), so the registry is asked.
has_settings() {
  local line
  [ -f "$1/system.reg" ] || return 1
  while IFS= read -r line; do
    case $line in
    \"*=-) ! grep -q "^${line%-}" "$1/user.reg" "$1/system.reg" || return 1 ;;
    \"*) grep -qxF -- "$line" "$1/user.reg" "$1/system.reg" || return 1 ;;
    esac
  done < <(settings_of "$1")
}

if [ -n "$copy_to" ]; then
  # Prepared once, under a lock: the suites ask for their copies side by side. The copies are
  # then made side by side too, each only reading the prepared prefix, which nobody changes while
  # any holds the lock shared.
  mkdir -p "$(dirname "$WINEPREFIX")" "$(dirname "$copy_to")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  "$here/wine-prefix.sh"
  flock -s 9
  if ! has_settings "$copy_to" || [ "$copy_to/.update-timestamp" -ot "$WINEPREFIX/.update-timestamp" ]; then
    rm -rf "$copy_to" "$copy_to.part"
    # The system's files are shared as hard links (Wine only reads them); the registry and the
    # .ini files, which Wine rewrites, are copies.
    cp -al "$WINEPREFIX" "$copy_to.part"
    find "$copy_to.part" -maxdepth 3 -type f \( -name '*.reg' -o -name '*.ini' -o -name '.*' \) \
      -exec sh -c 'for f; do cp "$f" "$f.c" && mv -f "$f.c" "$f"; done' sh {} +
    rm -rf "$copy_to.part/ports"
    mkdir "$copy_to.part/ports"
    # The COM ports lead into the copy's own ports folder.
    from=$(printf '%s' "$WINEPREFIX/ports/" | sed 's/[#.[\*^$]/\\&/g')
    sed -i "s#\"$from#\"$copy_to/ports/#" "$copy_to.part/system.reg"
    mv -T "$copy_to.part" "$copy_to"
  fi
  exit 0
fi

mkdir -p "$(dirname "$WINEPREFIX")" "$WINEPREFIX/ports"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX" >&2
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
has_settings "$WINEPREFIX" && exit 0
reg=$WINEPREFIX/drive_c/dynlog-settings.reg
# Version 5 files are UTF-16: a path with an umlaut arrives as it is.
settings_of "$WINEPREFIX" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16 >"$reg"
wine regedit /S 'C:\dynlog-settings.reg' >/dev/null 2>&1
rm -f "$reg"
wineserver -w
