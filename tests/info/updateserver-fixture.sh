#!/usr/bin/env bash
# Starts or stops the update servers for the program update's tests:
#   updateserver-fixture.sh start|stop DIR
# Every server serves DIR/www (the tests put the files there) and writes its port into
# DIR/port-NAME: "ok" answers normally, "slow" sends 1000 bytes every 3 s, "hang" reads the
# request and never answers, "hostile" answers each path as DIR/modes-hostile says (lines
# PATH=MODE, read at every request; see tools/updateserver/README.md). For redirects, with every
# request logged in DIR/requests.log: "home80" on 127.0.0.3 port 80 (a host without port) answers
# as DIR/modes-home80 says; without credentials "twin80" on 127.0.0.2 port 80, "near80" on
# 127.0.0.3 and "far" on 127.0.0.2. A server that cannot have its port (80) is left out.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
server="$here/../../tools/updateserver/updateserver.py"
dir=$2
servers=("ok ok" "slow slow:1000:3000"
  "hang never-answer" "hostile ok" "home80 ok 127.0.0.3 80" "twin80 ok 127.0.0.2 80 --no-auth"
  "near80 ok 127.0.0.3 0 --no-auth" "far ok 127.0.0.2 0 --no-auth")

stop() {
  for entry in "${servers[@]}"; do
    name=${entry%% *}
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
    read -r name mode bind port options <<<"$entry"
    rm -f "$dir/port-$name"
    # shellcheck disable=SC2086 # the options are words
    setsid python3 "$server" --root "$dir/www" --bind "${bind:-127.0.0.1}" --port "${port:-0}" \
      --port-file "$dir/port-$name" --mode "$mode" --mode-file "$dir/modes-$name" $options \
      --request-log "$dir/requests.log" >"$dir/server-$name.log" 2>&1 </dev/null &
    echo $! >"$dir/pid-$name"
  done
  for _ in $(seq 100); do
    ready=1
    for entry in "${servers[@]}"; do
      name=${entry%% *}
      [ -s "$dir/port-$name" ] || ! kill -0 "$(cat "$dir/pid-$name")" 2>/dev/null || ready=0
    done
    [ $ready = 1 ] && exit 0
    sleep 0.1
  done
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
