#!/usr/bin/env bash
# Starts or stops the update servers for the program update's tests:
#   updateserver-fixture.sh start|stop DIR
# Every server serves DIR/www (the tests put the files there) and writes its port into
# DIR/port-NAME: "ok" answers normally, "nolength" sends no Content-Length, "cut" closes after
# 100 body bytes of a longer announced file, "slow" sends 1000 bytes every 3 s, "hang" reads the
# request and never answers, "hostile" answers each path as DIR/modes-hostile says (lines
# PATH=MODE, read at every request; see tools/updateserver/README.md).
# Redirect targets, every request logged in DIR/requests.log: "home80" on 127.0.0.3 port 80 (a
# host without port; missing where port 80 cannot be had) answers as DIR/modes-home80 says;
# without credentials "twin" on 127.0.0.2 at hostile's port, "near80" on 127.0.0.3 and "far" on
# 127.0.0.2 at ports of their own.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
server="$here/../../tools/updateserver/updateserver.py"
dir=$2
servers=("ok:ok" "nolength:no-length" "cut:close-early:100" "slow:slow:1000:3000"
  "hang:never-answer" "hostile:ok")
# NAME BIND PORT (HOSTILE: the port of hostile) and the options beyond the mode file.
redirect_targets=("home80 127.0.0.3 80" "twin 127.0.0.2 HOSTILE --no-auth"
  "near80 127.0.0.3 0 --no-auth" "far 127.0.0.2 0 --no-auth")

start_one() { # NAME MODE BIND PORT [OPTIONS]
  local name=$1 mode=$2 bind=$3 port=$4
  shift 4
  rm -f "$dir/port-$name"
  setsid python3 "$server" --root "$dir/www" --bind "$bind" --port "$port" \
    --port-file "$dir/port-$name" --mode "$mode" --mode-file "$dir/modes-$name" \
    --request-log "$dir/requests.log" "$@" >"$dir/server-$name.log" 2>&1 </dev/null &
  echo $! >"$dir/pid-$name"
}

stop() {
  for entry in "${servers[@]}" "${redirect_targets[@]}"; do
    name=${entry%%[: ]*}
    if [ -f "$dir/pid-$name" ]; then
      kill "$(cat "$dir/pid-$name")" 2>/dev/null || true
      rm -f "$dir/pid-$name"
    fi
  done
}

case "$1" in
start)
  stop
  rm -f "$dir/requests.log"
  mkdir -p "$dir/www"
  for entry in "${servers[@]}"; do
    start_one "${entry%%:*}" "${entry#*:}" 127.0.0.1 0
  done
  for _ in $(seq 100); do
    ready=1
    for entry in "${servers[@]}"; do
      [ -s "$dir/port-${entry%%:*}" ] || ready=0
    done
    [ $ready = 1 ] && break
    sleep 0.1
  done
  if [ $ready = 1 ]; then
    for entry in "${redirect_targets[@]}"; do
      read -r name bind port options <<<"$entry"
      [ "$port" = HOSTILE ] && port=$(cat "$dir/port-hostile")
      # shellcheck disable=SC2086 # the options are words
      start_one "$name" ok "$bind" "$port" $options
    done
    # A server refused port 80 just ends.
    for _ in $(seq 50); do
      ready=1
      for entry in "${redirect_targets[@]}"; do
        pid=$(cat "$dir/pid-${entry%% *}")
        [ -s "$dir/port-${entry%% *}" ] || ! kill -0 "$pid" 2>/dev/null || ready=0
      done
      [ $ready = 1 ] && exit 0
      sleep 0.1
    done
  fi
  echo "update servers did not start; see $dir/server-*.log" >&2
  stop
  exit 1
  ;;
stop)
  stop
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
