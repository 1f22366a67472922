#!/usr/bin/env bash
# Builds the parsers' fuzz harnesses (clang, libFuzzer, AddressSanitizer, UBSan; the "fuzz"
# preset) and runs them, as many side by side as there are processors (each harness takes one):
#   scripts/fuzz.sh              every harness for 20 seconds (scripts/test.sh gives each 5)
#   scripts/fuzz.sh SECONDS      every harness for SECONDS
#   scripts/fuzz.sh --runs N     every harness until it has tried N inputs (the long run)
#   scripts/fuzz.sh ... NAME...  only the named harnesses (http_reply, url_location, ...)
# Each harness starts from its seed corpus in tests/fuzz/corpus/NAME and from what earlier runs
# found in build/fuzz/corpus/NAME. A finding ends the script with an error and leaves the input
# in build/fuzz/findings/. build/fuzz/runs.log keeps the number of inputs each run tried.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

limit=(-max_total_time=20)
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2")
  shift 2
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  limit=(-max_total_time="$1")
  shift
fi
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(http_reply url_location version_text frame_decoder profile_int number_format saved_test)

# ccache, when there, keeps the harnesses' objects for the next build, as scripts/test.sh does.
cache=()
command -v ccache >/dev/null && cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset fuzz "${cache[@]}" >/dev/null
cmake --build --preset fuzz -j "$jobs" >/dev/null

out=build/fuzz
mkdir -p "$out/findings"
# One harness; what it says is printed in one piece when it ends, so that the harnesses running
# beside it do not mix their lines with its.
fuzz_one() {
  local name=$1 work="$out/corpus/$1" log="$out/fuzz_$1.log" runs
  mkdir -p "$work"
  if ! "$out/tests/fuzz/fuzz_$name" "${limit[@]}" -artifact_prefix="$out/findings/$name-" \
    -print_final_stats=1 "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    { tail -n 40 "$log"; echo "fuzz: $name found a fault; the input is in $out/findings/"; } >&2
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$(date -u +%FT%TZ) $name ${runs:-0}" >>"$out/runs.log"
  printf '== fuzz %s (%s)\n   %s inputs, no finding\n' "$name" "${limit[*]}" "${runs:-0}"
}

failed=0
for name in "${harnesses[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || failed=1
  done
  [ $failed = 0 ] || break # a finding ends the run: no harness more
  fuzz_one "$name" &
done
while [ -n "$(jobs -rp)" ]; do
  wait -n || failed=1
done
exit $failed
