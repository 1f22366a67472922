#!/usr/bin/env bash
# Memory and processor time of a long dynlog.exe --stream against km470sim, and the processor
# time of --record at the same rate beside it. Prints figures; passes no judgement.
#   scripts/bench-stream.sh [SECONDS]   (default 3600: one hour; RATE=10 for another rate)
# Resident memory is sampled every minute; the processor time of the stream over its whole run is
# set against that of a one-minute recording. Runs in a Wine prefix of its own
# (build/wine-bench-stream), so it disturbs no other use of the project's prefix.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
seconds=${1:-3600}
rate=${RATE:-320}
export DYNLOG_WINEPREFIX=$root/build/wine-bench-stream
source "$here/wine-env.sh"
sim="$root/build/native/tools/km470sim/km470sim"
exe="$root/build/win32/src/app/dynlog.exe"
[ -x "$sim" ] && [ -f "$exe" ] || { echo "build both presets first (scripts/test.sh)" >&2; exit 1; }
[ -f "$WINEPREFIX/system.reg" ] || "$here/wine-prefix.sh" >&2

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-stream.XXXXXX")
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true # the private prefix's server only
  rm -rf "$work"
}
trap cleanup EXIT
# A copy, so that a build during the run does not change the program under measurement.
cp "$exe" "$work/dynlog.exe"
exe="$work/dynlog.exe"
dynlog_wineserver
"$sim" --link "$WINEPREFIX/ports/com2" --baud 19200 > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done

hz=$(getconf CLK_TCK)
# Starts dynlog.exe with the given arguments in the background; runner is the background job,
# pid the process of dynlog.exe itself.
start() {
  local marker=$1
  shift
  (cd "$work" && wine "$exe" "$@" >/dev/null 2>&1) &
  runner=$!
  pid=""
  for _ in $(seq 100); do
    pid=$(pgrep -f "dynlog\.exe .*$marker" | head -n1 || true)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "dynlog.exe did not start" >&2; exit 1; }
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
rss_kib() { awk '/VmRSS/ {print $2}' "/proc/$pid/status"; }
per_core() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }

echo "== --stream for $seconds s at $rate values per second"
start stream.txt --stream 'Z:'"${work//\//\\}"'\stream.txt' --seconds "$seconds" --rate "$rate"
sleep 10 # connection search and the start of the stream
t0=$(cpu_ticks)
sleep 50 # the same window as the recording's below
window_cpu=$(per_core "$(($(cpu_ticks) - t0))" 50)
echo "resident memory (KiB), every minute:"
elapsed=50 first="" last=""
while [ "$elapsed" -lt "$((seconds - 20))" ] && kill -0 "$pid" 2>/dev/null; do
  sleep 10
  elapsed=$((elapsed + 10))
  [ $((elapsed % 60)) -eq 0 ] || continue
  r=$(rss_kib 2>/dev/null || true)
  [ -n "$r" ] || break
  [ -n "$first" ] || first=$r
  last=$r
  echo "  ${elapsed} s: $r"
done
t1=$(cpu_ticks)
stream_cpu=$(per_core "$((t1 - t0))" "$elapsed")
wait "$runner" || true
lines=$(($(wc -l < "$work/stream.txt") - 3))
echo "values written: $lines"
[ -n "$first" ] && echo "growth from 1 minute to the end: $((last - first)) KiB"
echo "processor time of the stream: $window_cpu % of one core in its first 50 s, $stream_cpu % over $elapsed s"

echo "== --record for 70 s at the same rate"
start record.txt --record 70 --rate "$rate" --output 'Z:'"${work//\//\\}"'\record.txt'
sleep 10
t0=$(cpu_ticks)
sleep 50
t1=$(cpu_ticks)
record_cpu=$(per_core "$((t1 - t0))" 50)
wait "$runner" || true
echo "processor time of the recording: $record_cpu % of one core"
awk -v a="$window_cpu" -v c="$stream_cpu" -v b="$record_cpu" \
  'BEGIN { if (b > 0) printf "stream / record: %.2f (first 50 s), %.2f (whole stream)\n", a / b, c / b }'
