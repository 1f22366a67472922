#!/usr/bin/env bash
# Throughput of THttpClient::Get into a file, beside the floor of the same local update server in
# the same run: a bare Python socket that sends the request and writes whatever comes to the file, with
# no parsing, no events and no Wine. Both with the processor time they used.
#   scripts/bench-http.sh [MEGABYTES] [ROUNDS]       (defaults: 200 MB, 3 rounds)
# Environment: DYNLOG_BUILD_DIR (default build/win32) holds http_bench.exe; it is built when
# missing. The client runs in a Wine prefix of its own (DYNLOG_BUILD_DIR/wine-bench), so that
# the script can start and stop that prefix's wineserver without touching anyone else's.
#
# Two settings are measured. "any core": the scheduler places the client, its wineserver and
# the floor as it likes. "one core": the client and its wineserver (and the floor) share one
# processor.
# Under Wine every socket and message call is a round trip to the wineserver; on a virtual
# machine a round trip between two processors costs far more than one on the same processor.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${DYNLOG_BUILD_DIR:-$root/build/win32}" && pwd)
export DYNLOG_WINEPREFIX=$build/wine-bench
source "$here/wine-env.sh"
megabytes=${1:-200}
rounds=${2:-3}
exe=$build/tools/httpbench/http_bench.exe
[ -f "$exe" ] || cmake --build "$build" --target http_bench >&2
[ -f "$WINEPREFIX/system.reg" ] || "$here/wine-prefix.sh" >&2

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-http.XXXXXX")
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true # the private prefix's server only
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www"
head -c $((megabytes * 1024 * 1024)) /dev/urandom >"$work/www/big.bin"
bytes=$(stat -c %s "$work/www/big.bin")
python3 "$root/tools/updateserver/updateserver.py" --root "$work/www" --port 0 \
  --port-file "$work/port" --quiet 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
url_path=/spezmemb/download/software/big.bin
cat "$work/www/big.bin" >/dev/null # both readers get the file from the page cache
# The floor: the request by hand, every byte after the header block into the file.
cat >"$work/floor.py" <<'PY'
import base64, socket, sys, time
port, path, out = int(sys.argv[1]), sys.argv[2], sys.argv[3]
wall, cpu = time.perf_counter(), time.process_time()  # from the connect on, as the client's
s = socket.create_connection(("127.0.0.1", port))
auth = base64.b64encode(b"58213:VeNuSaR").decode()
s.sendall(f"GET {path} HTTP/1.0\r\nAuthorization: Basic {auth}\r\n\r\n".encode())
head = b""
while b"\r\n\r\n" not in head:
    head += s.recv(65536)
n = 0
with open(out, "wb") as f:
    n += f.write(head.split(b"\r\n\r\n", 1)[1])
    while chunk := s.recv(1 << 20):
        n += f.write(chunk)
print(f"bytes={n} wall_ms={int((time.perf_counter() - wall) * 1000)} "
      f"cpu_ms={int((time.process_time() - cpu) * 1000)}")
PY

ticks=$(getconf CLK_TCK)
cpu_ms_of() { # user + system time of a process in ms
  [ -n "$1" ] && [ -r "/proc/$1/stat" ] || { echo 0; return; }
  awk -v t="$ticks" '{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / t) }' "/proc/$1/stat"
}
mbps() { awk -v b="$1" -v ms="$2" 'BEGIN { printf "%.1f", (ms > 0 ? b / 1048576 / (ms / 1000) : 0) }'; }
better() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Starts the prefix's wineserver (with the given CPU list, or anywhere) and finds its process:
# it works in a folder named server-DEV-INODE after the prefix.
wineserver_pid=
start_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$1" ]; then taskset -c "$1" wineserver -p60; else wineserver -p60; fi
  sleep 0.5
  local dir p
  dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  wineserver_pid=
  for p in /proc/[0-9]*; do
    case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    case "$(readlink "$p/cwd" 2>/dev/null)" in */"$dir") wineserver_pid=${p#/proc/} ;; esac
  done
}

echo "file: $megabytes MiB ($bytes bytes) from http://127.0.0.1:$port$url_path"
summary=()
for setting in "any core" "one core"; do
  cpus=
  [ "$setting" = "one core" ] && cpus=$(($(nproc) - 1))
  run() { if [ -n "$cpus" ]; then taskset -c "$cpus" "$@"; else "$@"; fi; }
  start_wineserver "$cpus"
  best_ours=0 best_floor=0 ours_line="" floor_line=""
  for round in $(seq "$rounds"); do
    rm -f "$work/ours.bin" "$work/floor.bin"
    ws0=$(cpu_ms_of "$wineserver_pid")
    out=$(run "$here/wine-run.sh" "$exe" "127.0.0.1:$port$url_path" "Z:${work//\//\\}\\ours.bin" \
      58213 VeNuSaR)
    ws1=$(cpu_ms_of "$wineserver_pid")
    got=$(sed -n 's/.*bytes=\([0-9]*\).*/\1/p' <<<"$out")
    wall=$(sed -n 's/.*wall_ms=\([0-9]*\).*/\1/p' <<<"$out")
    cpu=$(sed -n 's/.*cpu_ms=\([0-9]*\).*/\1/p' <<<"$out")
    cmp -s "$work/ours.bin" "$work/www/big.bin" || { echo "THttpClient: file differs ($out)"; exit 1; }
    t=$(mbps "$got" "$wall")
    line="[$setting] THttpClient.Get round $round: $t MiB/s  wall ${wall} ms  cpu ${cpu} ms + wineserver $((ws1 - ws0)) ms"
    echo "$line"
    if better "$t" "$best_ours"; then best_ours=$t ours_line=$line; fi

    out=$(run python3 "$work/floor.py" "$port" "$url_path" "$work/floor.bin")
    cmp -s "$work/floor.bin" "$work/www/big.bin" || { echo "floor: file differs"; exit 1; }
    wall=$(sed -n 's/.*wall_ms=\([0-9]*\).*/\1/p' <<<"$out")
    cpu=$(sed -n 's/.*cpu_ms=\([0-9]*\).*/\1/p' <<<"$out")
    t=$(mbps "$bytes" "$wall")
    line="[$setting] bare socket     round $round: $t MiB/s  wall ${wall} ms  cpu ${cpu} ms"
    echo "$line"
    if better "$t" "$best_floor"; then best_floor=$t floor_line=$line; fi
  done
  share=$(awk -v a="$best_ours" -v b="$best_floor" 'BEGIN { printf "%.0f", (b > 0 ? 100 * a / b : 0) }')
  summary+=("best $ours_line" "best $floor_line"
    "[$setting] THttpClient reaches $share% of the bare socket's throughput")
done
printf '%s\n' "${summary[@]}"
