#!/usr/bin/env bash
# Opening a long stream: writes the CSV that `dynlog.exe --stream` makes of HOURS hours at 320
# values per second (default 8: 9.2 million values) with the simulated unit's signal, then prints
# the time and peak memory of opening it with the program's reader (and of each zoom step of the
# whole-test view), and the same for pandas.read_csv when a python3 on the PATH has pandas.
#   scripts/bench-open.sh [HOURS]
# The reader is built optimised without sanitizers in build/bench-open (the native preset's build
# carries AddressSanitizer, which would measure the sanitizer). Prints figures; passes no
# judgement.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
hours=${1:-8}
cd "$root"

cmake -S . -B build/bench-open -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/bench-open --target openbench -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
bench=build/bench-open/tools/openbench/openbench

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-open.XXXXXX")
trap 'rm -rf "$work"' EXIT
file=$work/stream.csv
"$bench" write "$file" "$((hours * 3600))"
echo "file: $(($(stat -c %s "$file") / 1000000)) MB, $hours h at 320 values per second"

# Peak resident memory in MB and wall time in seconds of a command, from GNU time.
measure() {
  /usr/bin/time -f "%M %e" -o "$work/time" "$@" >"$work/out" 2>"$work/err" ||
    { cat "$work/err" >&2; exit 1; }
  tr -d '\r' <"$work/out" >"$work/text" && mv "$work/text" "$work/out" # Wine's line ends
  read -r kib wall <"$work/time"
  peak_mb=$((kib / 1024))
}

measure "$bench" open "$file"
cat "$work/out"
ours=$(sed -n 's/^open: \([0-9.]*\) s$/\1/p' "$work/out")
echo "reader: open $ours s, whole run $wall s, peak memory $peak_mb MB"

# The same reader as dynlog.exe runs it, 32-bit under Wine, when the win32 build has it. In a
# prefix of its own, so that it disturbs no other use of the project's prefix.
exe=build/win32/tools/openbench/openbench.exe
if [ -f "$exe" ] && command -v wine >/dev/null; then
  export DYNLOG_WINEPREFIX=$root/build/wine-bench-open
  source scripts/wine-env.sh
  dynlog_wineserver
  measure wine "$exe" open "Z:${file//\//\\}"
  wineserver -k 2>/dev/null || true # the private prefix's server only
  wine_open=$(sed -n 's/^open: \([0-9.]*\) s$/\1/p' "$work/out")
  sed -n 's/^zoom/under Wine: zoom/p' "$work/out"
  echo "reader under Wine (32-bit): open $wine_open s, peak memory $peak_mb MB (the largest process)"
fi

python=""
for candidate in $(type -ap python3); do
  if "$candidate" -c "import pandas" 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "pandas: not installed, no comparison"
  exit 0
fi
measure "$python" -c '
import sys, time, pandas
start = time.perf_counter()
frame = pandas.read_csv(sys.argv[1], sep=";", decimal=",", comment="#")
print(len(frame), "%.3f" % (time.perf_counter() - start))' "$file"
read -r rows theirs <"$work/out"
echo "pandas $("$python" -c 'import pandas; print(pandas.__version__)'): read_csv $theirs s for $rows rows, peak memory $peak_mb MB (with the interpreter)"
awk -v a="$ours" -v b="$theirs" 'BEGIN { if (a > 0) printf "pandas / reader: %.1f times the open time\n", b / a }'
