#!/usr/bin/env bash
# Processor time of dynlog.exe while it streams 320 frames per second from km470sim with the chart
# running (dynlog.exe --stream, which has no 10000-value limit and draws as a person sees it;
# its file is flushed twice a second), on Wine's X11 driver (a virtual screen, Xvfb), beside its floor: an empty window that
# only polls the same COM port every 50 ms (tools/windowfloor). Both run in one go against the
# same simulated unit and wineserver; the script prints each one's time alone and with the
# wineserver, the ratios, and dynlog.exe's memory. Prints figures; passes no judgement.
#   scripts/bench-window.sh [SECONDS] [ROUNDS]   (defaults: 30 s for each program, 3 rounds)
# RATE=10 (or another rate) for another number of values per second; DYNLOG_EXE=FILE measures
# another build of the program (it must be named dynlog.exe); MAXIMISED=1 starts it maximised
# (`start /max`, as a shortcut set to "Maximiert") on a 1920x1080 screen; CONDITIONS="..." adds
# a test's conditions to its command line (CONDITIONS="--start-above 5000 --pre 10" keeps it armed
# with the longest pre-trigger all along).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--on-screen" ]; then
  cd "$root"
  seconds=${1:-30}
  rounds=${2:-3}
  jobs=$(nproc 2>/dev/null || echo 2)
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$jobs" --target km470sim >/dev/null
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$jobs" --target dynlog window_floor >/dev/null
  # A prefix of its own with the X11 driver, whose wineserver the script may start and stop.
  export DYNLOG_WINEPREFIX="${DYNLOG_WINEPREFIX:-$root/build/wine-bench-window}"
  scripts/wine-prefix.sh --display
  screen=1024x768x24
  [ "${MAXIMISED:-0}" = 1 ] && screen=1920x1080x24
  exec xvfb-run -a -s "-screen 0 $screen" "$0" --on-screen "$seconds" "$rounds"
fi

seconds=$2
rounds=$3
source "$root/scripts/wine-env.sh"
sim="$root/build/native/tools/km470sim/km470sim"
dynlog="${DYNLOG_EXE:-$root/build/win32/src/app/dynlog.exe}"
floor="$root/build/win32/tools/windowfloor/window_floor.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-window.XXXXXX")
sim_pid=
wm_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true # this prefix's server only
  rm -rf "$work"
}
trap cleanup EXIT

# The prefix's wineserver: it works in a folder named server-DEV-INODE after the prefix.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
dynlog_wineserver
sleep 0.5
server_dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
wineserver_pid=
for p in /proc/[0-9]*; do
  case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
  case "$(readlink "$p/cwd" 2>/dev/null)" in */"$server_dir") wineserver_pid=${p#/proc/} ;; esac
done
[ -n "$wineserver_pid" ] || { echo "bench-window: the prefix's wineserver is not found" >&2; exit 1; }

"$sim" --link "$WINEPREFIX/ports/com2" --baud 19200 >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done

hz=$(getconf CLK_TCK)
ticks_of() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

# measure NAME EXE COMMAND...: runs the command, finds its Linux process by the EXE's name, lets it
# settle for 5 s and then counts its and the wineserver's processor time for $seconds.
# Sets own_pct and all_pct (percent of one core).
measure() {
  local name=$1 pattern=$2 pid="" runner
  shift 2
  (cd "$work" && "$@" >"$work/${name%% *}.log" 2>&1) &
  runner=$!
  for _ in $(seq 100); do
    # Wine names the process after its program file (cut to 15 characters); of those, the one in
    # this prefix.
    for p in $(pgrep -x "${pattern:0:15}" || true); do
      { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && pid=$p
    done
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "bench-window: $name did not start" >&2; exit 1; }
  sleep 5 # the connection and the start of the stream
  case $pattern in dynlog.exe) # the size its window is measured at
    xwininfo -root -tree | awk '/"KM470\/PT615 Signal"/ { for (i = 1; i <= NF; i++)
      if ($i ~ /^[0-9]+x[0-9]+[+-]/ && !shown++) print "  window " $i }' ;;
  esac
  local p0 w0 s0 p1 w1 s1 elapsed r
  p0=$(ticks_of "$pid"); w0=$(ticks_of "$wineserver_pid"); s0=$(date +%s.%N)
  rss_first=$(rss_kib "$pid")
  for ((elapsed = 0; elapsed < seconds; elapsed += 10)); do
    sleep $((seconds - elapsed < 10 ? seconds - elapsed : 10))
    r=$(rss_kib "$pid")
    [ -n "$r" ] && rss_last=$r
  done
  p1=$(ticks_of "$pid"); w1=$(ticks_of "$wineserver_pid"); s1=$(date +%s.%N)
  read -r own_pct all_pct < <(awk -v p=$((p1 - p0)) -v w=$((w1 - w0)) -v hz="$hz" -v a="$s0" -v b="$s1" \
    'BEGIN { t = b - a; printf "%.3f %.3f\n", 100 * p / hz / t, 100 * (p + w) / hz / t }')
  printf '%-36s %6.2f %% of one core, with its wineserver %6.2f %%\n' "$name:" "$own_pct" "$all_pct"
  wait "$runner" || true
}

maximised=
if [ "${MAXIMISED:-0}" = 1 ]; then
  maximised=1
  # Without a window manager Wine keeps a window at its size when it is maximised.
  openbox >/dev/null 2>&1 &
  wm_pid=$!
fi
echo "over $seconds s each, $rounds rounds, 320 frames per second from km470sim, Wine's X11 driver on Xvfb"
run_for=$((seconds + 8))
ratios=()
for round in $(seq "$rounds"); do
  echo "round $round"
  measure "  floor (empty window polling COM2)" window_floor.exe wine "$floor" "$run_for"
  floor_own=$own_pct floor_all=$all_pct
  measure "  dynlog.exe, chart at ${RATE:-320}/s${maximised:+, maximised}${CONDITIONS:+, armed}" dynlog.exe \
    wine ${maximised:+start /wait /max /unix} "$dynlog" --stream "$(winepath -w "$work/m.txt")" --seconds "$run_for" \
      --rate "${RATE:-320}" --overwrite ${CONDITIONS:-}
  ratio=$(awk -v a="$own_pct" -v b="$floor_own" -v c="$all_pct" -v d="$floor_all" \
    'BEGIN { printf "%.2f %.2f", (b > 0 ? a / b : 0), (d > 0 ? c / d : 0) }')
  echo "  ratio dynlog.exe / floor: ${ratio% *} alone, ${ratio#* } with the wineserver"
  ratios+=("$ratio")
done
# The machine's other work moves single rounds a good deal; the median of the rounds moves less.
median() { sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2)
  printf "%.2f", (NR % 2 ? v[m] : (v[m] + v[m + 1]) / 2) }'; }
alone=$(printf '%s\n' "${ratios[@]}" | cut -d' ' -f1 | median)
together=$(printf '%s\n' "${ratios[@]}" | cut -d' ' -f2 | median)
echo "median ratio dynlog.exe / floor over $rounds rounds: $alone alone, $together with the wineserver"
echo "dynlog.exe resident memory in the last round: ${rss_first:-?} KiB after 5 s, ${rss_last:-?} KiB at the end"
