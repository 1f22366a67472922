#!/usr/bin/env bash
# Starts or stops the update server for the HTTP tests: updateserver-fixture.sh start|stop DIR.
# DIR receives www/ (the served folder, written by the tests), the port file, the pid and a log.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
server="$here/../../tools/updateserver/updateserver.py"
dir=$2
sw=/spezmemb/download/software
case "$1" in
start)
  mkdir -p "$dir/www"
  rm -f "$dir/port"
  setsid python3 "$server" --root "$dir/www" --port 0 --port-file "$dir/port" \
    --rule "$sw/nolength.bin=no-length" \
    --rule "$sw/slow.bin=slow:1000:20" \
    --rule "$sw/early.bin=close-early:1000" \
    --rule "$sw/hang.ini=never-answer" \
    --rule "$sw/moved.ini=redirect:$sw/update.ini" \
    >"$dir/server.log" 2>&1 </dev/null &
  echo $! >"$dir/pid"
  for _ in $(seq 100); do
    [ -s "$dir/port" ] && exit 0
    sleep 0.1
  done
  echo "update server did not start; see $dir/server.log" >&2
  exit 1
  ;;
stop)
  if [ -f "$dir/pid" ]; then
    kill "$(cat "$dir/pid")" 2>/dev/null || true
    rm -f "$dir/pid"
  fi
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
