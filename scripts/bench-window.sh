#!/usr/bin/env bash
# Processor time and memory of dynlog.exe while it streams 320 frames per second from km470sim
# with the chart running. Prints figures; passes no judgement.
#   scripts/bench-window.sh [SECONDS]   (default 600: ten minutes, memory sampled every 30 s)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
source "$root/scripts/wine-env.sh"
sim="$root/build/native/tools/km470sim/km470sim"
exe="$root/build/win32/src/app/dynlog.exe"
[ -x "$sim" ] && [ -f "$exe" ] || { echo "build both presets first (scripts/test.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$work"' EXIT
dynlog_wineserver
"$sim" --link "$WINEPREFIX/ports/com2" --baud 19200 > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done

(cd "$work" && wine "$exe" --record "$seconds" --rate "${RATE:-320}" --output "$(winepath -w "$work/m.txt")" \
  >/dev/null 2>&1) &
runner=$!

# The Linux process that runs dynlog.exe.
pid=""
for _ in $(seq 100); do
  pid=$(pgrep -f 'dynlog\.exe --record' | head -n1 || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "dynlog.exe did not start" >&2; exit 1; }
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
rss_kib() { awk '/VmRSS/ {print $2}' "/proc/$pid/status"; }

sleep 5 # connection search and the start of the stream
t0=$(cpu_ticks); s0=$(date +%s.%N)
sleep 30
t1=$(cpu_ticks); s1=$(date +%s.%N)
awk -v t="$((t1 - t0))" -v hz="$hz" -v a="$s0" -v b="$s1" \
  'BEGIN { printf "processor time over %.1f s of streaming: %.2f s = %.2f %% of one core\n", b - a, t / hz, 100 * t / hz / (b - a) }'

echo "resident memory (KiB), every 30 s:"
first=""
elapsed=35
while kill -0 "$pid" 2>/dev/null && [ "$elapsed" -lt "$((seconds - 5))" ]; do
  r=$(rss_kib || true)
  [ -n "$r" ] || break
  [ -n "$first" ] || first=$r
  echo "  ${elapsed} s: $r"
  last=$r
  sleep 30
  elapsed=$((elapsed + 30))
done
[ -n "$first" ] && echo "growth from the first sample to the last: $((last - first)) KiB"
wait "$runner" || true
