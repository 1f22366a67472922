#!/usr/bin/env bash
# Builds the parsers' fuzz harnesses (clang, libFuzzer, AddressSanitizer, UBSan; the "fuzz"
# preset) and runs each in turn:
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

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

out=build/fuzz
mkdir -p "$out/findings"
for name in "${harnesses[@]}"; do
  work="$out/corpus/$name"
  mkdir -p "$work"
  log="$out/fuzz_$name.log"
  echo "== fuzz $name (${limit[*]})"
  if ! "$out/tests/fuzz/fuzz_$name" "${limit[@]}" -artifact_prefix="$out/findings/$name-" \
    -print_final_stats=1 "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz: $name found a fault; the input is in $out/findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$(date -u +%FT%TZ) $name ${runs:-0}" >>"$out/runs.log"
  echo "   ${runs:-0} inputs, no finding"
done
