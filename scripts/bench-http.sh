#!/usr/bin/env bash
# Throughput of THttpClient::Get into a file, beside curl on the same file from the same local
# update server in the same run, with the processor time each used.
#   scripts/bench-http.sh [MEGABYTES] [ROUNDS]       (defaults: 200 MB, 3 rounds)
# Environment: DYNLOG_BUILD_DIR (default build/win32) holds net_bench_get.exe; it is built when
# missing. Prints one line per download and a summary with the best round of each client.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
root=$dynlog_root
build=${DYNLOG_BUILD_DIR:-$root/build/win32}
megabytes=${1:-200}
rounds=${2:-3}
exe=$build/tests/net/net_bench_get.exe
[ -f "$exe" ] || cmake --build "$build" --target net_bench_get >&2

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-http.XXXXXX")
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
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
path=/spezmemb/download/software/big.bin
cat "$work/www/big.bin" >/dev/null # both clients read the file from the page cache

# The wineserver of this prefix does part of the work of every WinSock call; its processor time
# is counted to our client. It runs in /tmp/.wine-UID/server-DEV-INODE of the prefix.
# It runs in a folder named server-DEV-INODE after the prefix; kept alive for the whole run.
(wineserver -p30 >/dev/null 2>&1 &)
sleep 0.5
server_dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
wineserver_pid=
for p in /proc/[0-9]*; do
  case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
  case "$(readlink "$p/cwd" 2>/dev/null)" in */"$server_dir") wineserver_pid=${p#/proc/} ;; esac
done
ticks=$(getconf CLK_TCK)
cpu_ms_of() { # user + system time of a process in ms
  [ -n "$1" ] && [ -r "/proc/$1/stat" ] || { echo 0; return; }
  awk -v t="$ticks" '{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / t) }' "/proc/$1/stat"
}
mbps() { awk -v b="$1" -v ms="$2" 'BEGIN { printf "%.1f", (ms > 0 ? b / 1048576 / (ms / 1000) : 0) }'; }

best_ours=0 best_curl=0 ours_line="" curl_line=""
echo "file: $megabytes MiB ($bytes bytes) from http://127.0.0.1:$port$path"
for round in $(seq "$rounds"); do
  rm -f "$work/ours.bin" "$work/curl.bin"
  ws0=$(cpu_ms_of "$wineserver_pid")
  out=$("$root/scripts/wine-run.sh" "$exe" "127.0.0.1:$port$path" "Z:${work//\//\\}\\ours.bin" \
    58213 VeNuSaR)
  ws1=$(cpu_ms_of "$wineserver_pid")
  got=$(sed -n 's/.*bytes=\([0-9]*\).*/\1/p' <<<"$out")
  wall=$(sed -n 's/.*wall_ms=\([0-9]*\).*/\1/p' <<<"$out")
  cpu=$(sed -n 's/.*cpu_ms=\([0-9]*\).*/\1/p' <<<"$out")
  cmp -s "$work/ours.bin" "$work/www/big.bin" || { echo "THttpClient: file differs ($out)"; exit 1; }
  t_ours=$(mbps "$got" "$wall")
  line="THttpClient.Get  round $round: $t_ours MiB/s  wall ${wall} ms  cpu ${cpu} ms + wineserver $((ws1 - ws0)) ms"
  echo "$line"
  if awk -v a="$t_ours" -v b="$best_ours" 'BEGIN { exit !(a > b) }'; then best_ours=$t_ours; ours_line=$line; fi

  TIMEFORMAT='%3R %3U %3S'
  { time curl -s --http1.0 -u 58213:VeNuSaR -o "$work/curl.bin" \
      "http://127.0.0.1:$port$path" 2>/dev/null; } 2>"$work/time"
  read -r real user sys <"$work/time"
  cmp -s "$work/curl.bin" "$work/www/big.bin" || { echo "curl: file differs"; exit 1; }
  wall=$(awk -v r="$real" 'BEGIN { printf "%d", r * 1000 }')
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }')
  t_curl=$(mbps "$bytes" "$wall")
  line="curl             round $round: $t_curl MiB/s  wall ${wall} ms  cpu ${cpu} ms"
  echo "$line"
  if awk -v a="$t_curl" -v b="$best_curl" 'BEGIN { exit !(a > b) }'; then best_curl=$t_curl; curl_line=$line; fi
done
echo "best: $ours_line"
echo "best: $curl_line"
awk -v a="$best_ours" -v b="$best_curl" \
  'BEGIN { printf "THttpClient reaches %.0f%% of curl'"'"'s throughput (goal: at least 50%%)\n", (b > 0 ? 100 * a / b : 0) }'
