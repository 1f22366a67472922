#!/usr/bin/env bash
# The program on the simulated unit: km470sim as COM2 at 19200 baud, then dynlog.exe in a window
# when a display is there. Without a display: a 5-second recording, whose screenshot is turned
# into a PNG; prints the head of the measurement file and where the picture is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
# A prefix of its own, so that the tests' prefix keeps its null graphics driver.
export DYNLOG_WINEPREFIX="${DYNLOG_WINEPREFIX:-$root/build/wine-demo}"
if [ -n "${DISPLAY:-}" ]; then scripts/wine-prefix.sh --display; else scripts/wine-prefix.sh; fi
source scripts/wine-env.sh
source scripts/magick.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target km470sim
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target dynlog
sim="$root/build/native/tools/km470sim/km470sim"
exe="$root/build/win32/src/app/dynlog.exe"

out="$root/build/demo"
mkdir -p "$out"
dynlog_wineserver
"$sim" --link "$WINEPREFIX/ports/com2" --baud 19200 --decimals 1 --log "$out/km470sim.log" \
  > "$out/km470sim.out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; wait $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$out/km470sim.out" ] && break; sleep 0.1; done
echo "demo: simulated unit on COM2 ($(head -n1 "$out/km470sim.out")), 19200 baud"

cd "$out"   # km470.ini is written to the working folder
if [ -n "${DISPLAY:-}" ]; then
  echo "demo: starting dynlog.exe; press Start to measure"
  wine "$exe"
else
  echo "demo: no display; recording 5 seconds at 40 values per second"
  wine "$exe" --record 5 --output "$(winepath -w "$out/messung.txt")" --rate 40 --overwrite \
    --screenshot "$(winepath -w "$out/hauptfenster.bmp")"
  "$(magick_tool convert)" "$out/hauptfenster.bmp" "$out/hauptfenster.png"
  echo "demo: head of $out/messung.txt:"
  head -n 8 "$out/messung.txt" | sed 's/\r$//; s/^/    /'
  echo "demo: $(($(wc -l < "$out/messung.txt") - 3)) values; picture of the main window: $out/hauptfenster.png"
fi
