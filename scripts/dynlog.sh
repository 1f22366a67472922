#!/usr/bin/env bash
# Starts dynlog.exe under Wine with real serial devices as its COM ports.
#   scripts/dynlog.sh [--com N=DEVICE]... [--workdir DIR] [-- program arguments]
# for example: scripts/dynlog.sh --com 1=/dev/ttyUSB0
#
# Each DEVICE becomes COM N (1 to 256) of the Wine prefix, for as long as the program runs; the
# links made are removed when it ends. A port above COM4 is registered in the prefix the first
# time it is given and stays known there, so the program's search lists it (while nothing is
# linked, as not there). The program runs in DIR (default: the current folder), where
# it keeps km470.ini. Nothing is started when a device is missing, is not a character device or
# may not be read and written.
#
# Environment: DYNLOG_EXE (default build/win32/src/app/dynlog.exe, or dynlog.exe of an unpacked
# package), DYNLOG_WINEPREFIX (default build/wine-app, made on first use, with a window when a
# display is there).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

fail() {
  echo "dynlog.sh: $*" >&2
  exit 2
}
usage() {
  echo "Aufruf: scripts/dynlog.sh [--com N=GERÄT]... [--workdir ORDNER] [-- Programmargumente]" >&2
  exit 2
}

declare -A devices=()
workdir=$PWD
while [ $# -gt 0 ]; do
  case $1 in
  --com)
    [ $# -ge 2 ] || usage
    mapping=$2
    shift 2
    ;;
  --com=*)
    mapping=${1#--com=}
    shift
    ;;
  --workdir)
    [ $# -ge 2 ] || usage
    workdir=$2
    shift 2
    continue
    ;;
  --workdir=*)
    workdir=${1#--workdir=}
    shift
    continue
    ;;
  --)
    shift
    break
    ;;
  -h | --help) usage ;;
  *) fail "unbekanntes Argument: $1" ;;
  esac
  n=${mapping%%=*}
  device=${mapping#*=}
  [ "$mapping" != "$n" ] && [ -n "$device" ] || fail "--com braucht N=GERÄT, zum Beispiel 1=/dev/ttyUSB0: $mapping"
  [[ $n =~ ^[1-9][0-9]{0,2}$ ]] && [ "$n" -le 256 ] || fail "COM $n gibt es nicht: N geht von 1 bis 256"
  [ -z "${devices[$n]:-}" ] || fail "COM $n ist zweimal angegeben"
  [ -e "$device" ] || fail "$device gibt es nicht (ist der Adapter eingesteckt?)"
  [ -c "$device" ] || fail "$device ist kein serielles Gerät (kein zeichenorientiertes Gerät)"
  if [ ! -r "$device" ] || [ ! -w "$device" ]; then
    group=$(stat -L -c %G "$device" 2>/dev/null || echo dialout)
    fail "$device darf nicht gelesen und beschrieben werden; der Benutzer $(id -un) muss in die" \
      "Gruppe $group (sudo usermod -aG $group $(id -un), dann neu anmelden)"
  fi
  devices[$n]=$(readlink -f "$device")
done
[ -d "$workdir" ] || fail "den Ordner $workdir gibt es nicht"

exe=${DYNLOG_EXE:-$root/build/win32/src/app/dynlog.exe}
[ -f "$exe" ] || fail "$exe fehlt; zuerst bauen: cmake --preset win32 && cmake --build --preset win32 --target dynlog"
exe=$(readlink -f "$exe")

export DYNLOG_WINEPREFIX=${DYNLOG_WINEPREFIX:-$root/build/wine-app}
source "$here/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if [ -n "${DISPLAY:-}" ]; then "$here/wine-prefix.sh" --display; else "$here/wine-prefix.sh"; fi
fi
mkdir -p "$WINEPREFIX/ports"

# Wine takes its COM ports from the registry when it starts: it then leads COM N to ports/comN and
# lists the port where Windows lists its serial ports. wine-prefix.sh registers COM1 to COM4; a
# port above them is registered here, and Wine is let end so that it starts afresh with it.
registered=0
for n in "${!devices[@]}"; do
  grep -qxF "\"COM$n\"=\"$WINEPREFIX/ports/com$n\"" "$WINEPREFIX/system.reg" && continue
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$WINEPREFIX/ports/com$n" /f >/dev/null 2>&1 ||
    fail "COM$n kann in $WINEPREFIX nicht eingetragen werden"
  registered=1
done
[ "$registered" = 0 ] || wineserver -w

# The links this run made, removed at the end unless something else has replaced them meanwhile.
made=()
cleanup() {
  for n in "${made[@]}"; do
    link=$WINEPREFIX/ports/com$n
    [ "$(readlink "$link" 2>/dev/null)" = "${devices[$n]}" ] && rm -f "$link"
  done
}
trap cleanup EXIT
trap 'exit 130' INT HUP TERM
for n in "${!devices[@]}"; do
  ln -sfn "${devices[$n]}" "$WINEPREFIX/ports/com$n"
  made+=("$n")
  echo "dynlog.sh: COM$n = ${devices[$n]}" >&2
done

dynlog_wineserver
cd "$workdir"
# A closed terminal (SIGHUP) and SIGTERM would kill Wine outright: the unit would not be stopped
# and the last values of a --stream not written. Wine runs with both ignored, and they reach the
# program as Ctrl+C (SIGINT), which ends it cleanly; so does a SIGINT sent to this script alone.
# Once the program has ended so, the script's code is 128 + the signal's number, as a shell's is.
trap '' HUP TERM
# Wine turns a SIGINT into Ctrl+C only for a program with a console, which it gives a program
# started from a terminal; one started in the background of a terminal's shell (`&`) missed it
# too. So the program always gets a pseudo-terminal of its own as its input (script), in the
# foreground there, without a terminal too (a service, nohup, setsid). Its output goes where ours
# goes.
pidfile=$(mktemp "${TMPDIR:-/tmp}/dynlog.XXXXXX")
trap 'cleanup; rm -f "$pidfile"' EXIT
SHELL=/bin/bash script -qefc "echo \$\$ >$(printf %q "$pidfile"); exec wine $(printf '%q ' "$exe" "$@") >&3 2>&4 3>&- 4>&-" \
  /dev/null 3>&1 4>&2 </dev/null >/dev/null &
runner=$!
# A signal while Wine starts is passed on once the program's process is known.
signalled=0 pid=
stop() {
  signalled=$1
  [ -z "$pid" ] || kill -INT "$pid" 2>/dev/null || true
}
trap 'stop 130' INT
trap 'stop 129' HUP
trap 'stop 143' TERM
while [ ! -s "$pidfile" ] && kill -0 "$runner" 2>/dev/null; do sleep 0.05; done
pid=$(cat "$pidfile")
[ "$signalled" = 0 ] || stop "$signalled"
set +e
while :; do
  wait "$runner"
  rc=$?
  kill -0 "$runner" 2>/dev/null || break # not a signal that interrupted the wait
done
set -e
[ "$rc" = 0 ] && [ "$signalled" != 0 ] && rc=$signalled
exit $rc
