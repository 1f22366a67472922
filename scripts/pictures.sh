#!/usr/bin/env bash
# Pictures of every window as a user sees them: Wine's X11 driver on a virtual screen (Xvfb) with
# a small window manager (openbox) for the title bars, the simulated unit behind COM7 (a port above
# COM4, as a USB adapter's) and the update server on loopback. Writes docs/*.png:
#   search-dialog.png, search-dialog-found.png, main-window.png, main-window-144dpi.png,
#   main-window-maximised.png, main-window-stopped.png,
#   main-window-whole-test.png, main-window-zoomed.png, save-dialog.png, unsaved-question.png,
#   main-window-full.png, rate-dialog.png, info-window.png, update-question.png,
#   test-dialog.png, main-window-verdict.png, series-table.png, main-window-armed.png,
#   main-window-break.png, main-window-break-whole.png, opened-stream.png, zoomed-stretch.png, compared-tests.png, and
#   report-page.png (made by --report)
#   scripts/pictures.sh [FOLDER]    (default: docs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--on-screen" ]; then
  cd "$root"
  out=$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)
  scripts/install-deps.sh
  jobs=$(nproc 2>/dev/null || echo 2)
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$jobs" --target km470sim
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$jobs" --target window_pictures dynlog
  # A prefix of its own with the X11 driver; the tests' prefix keeps its null driver.
  export DYNLOG_WINEPREFIX="${DYNLOG_WINEPREFIX:-$root/build/wine-pictures}"
  scripts/wine-prefix.sh --display
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" --on-screen "$out"
fi

out=$2
source "$root/scripts/wine-env.sh"
source "$root/scripts/magick.sh"
import=$(magick_tool import)
sim="$root/build/native/tools/km470sim/km470sim"
exe="$root/build/win32/tools/windowpictures/window_pictures.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/pictures.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true # this prefix's server, which this X display's windows use
  rm -rf "$work"
}
trap cleanup EXIT

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# COM7 is registered as a USB adapter's port would be: Wine lists it among the system's serial
# ports when it starts afresh.
wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$WINEPREFIX/ports/com7" /f >/dev/null 2>&1
wineserver -w
dynlog_wineserver
"$sim" --link "$WINEPREFIX/ports/com7" --baud 9600 --decimals 1 >"$work/sim.out" &
pids+=($!)
mkdir -p "$work/www" "$work/run"
printf '[KM470Programm]\r\nName=window_pictures.exe\r\nVersion=1.0.0.2\r\n' >"$work/www/update.ini"
python3 "$root/tools/updateserver/updateserver.py" --root "$work/www" --port 0 \
  --port-file "$work/port" --quiet 2>"$work/server.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && [ -s "$work/sim.out" ] && break; sleep 0.1; done
# The stored setting names COM2 at 19200 baud, where nothing answers: the search has to step.
printf '[Einstellung]\r\nCOM-Kanal=2\r\nBaudrate=19200\r\n' >"$work/run/km470.ini"

(cd "$work/run" && DYNLOG_UPDATE_HOST="127.0.0.1:$(cat "$work/port")" \
  wine "$exe" "$(winepath -w "$work/run")" >"$work/driver.log" 2>&1) &
driver=$!

# The window manager's frame around a window: its ancestor just below the root window.
root_id=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
frame_of() {
  local id=$1 parent
  while parent=$(xwininfo -id "$id" -tree | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
    [ -n "$parent" ] && [ "$parent" != "$root_id" ]; do
    id=$parent
  done
  echo "$id"
}

taken=0
while kill -0 "$driver" 2>/dev/null || compgen -G "$work/run/*.want" >/dev/null; do
  for want in "$work"/run/*.want; do
    [ -e "$want" ] || continue
    name=$(basename "$want" .want)
    id=$(tr -d '\r\n ' <"$want")
    # The window manager may take a moment to frame a new window.
    for _ in $(seq 20); do [ "$(frame_of "$id")" != "$id" ] && break; sleep 0.2; done
    sleep 0.5 # and to draw its title bar
    # Cut from the whole screen: a frame's own picture can miss parts drawn in other depths.
    geometry=$(xwininfo -id "$(frame_of "$id")" | awk '/Absolute upper-left X/ { x = $NF }
      /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
      END { printf "%dx%d+%d+%d", w, h, x, y }')
    "$import" -silent -window root -crop "$geometry" +repage "$out/$name.png"
    echo "pictures: $out/$name.png"
    taken=$((taken + 1))
    rm -f "$want"
  done
  sleep 0.1
done
status=0
wait "$driver" || status=$?
grep -v '^$' "$work/driver.log" >&2 || true
[ "$status" -eq 0 ] && [ "$taken" -eq 23 ] || { echo "pictures: failed ($taken of 23 taken)" >&2; exit 1; }

# The report page of the series' first test, as --report makes it without a person.
first_test=$(find "$work/run/Reihe" -name '*.csv' ! -name reihe.csv | sort | head -n 1)
[ -n "$first_test" ] || { echo "pictures: the series saved no test" >&2; exit 1; }
wine "$root/build/win32/src/app/dynlog.exe" --report "$(winepath -w "$first_test")" \
  --output "$(winepath -w "$out/report-page.png")" --overwrite
echo "pictures: $out/report-page.png"
