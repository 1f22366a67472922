#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test. Exits non-zero when anything
# fails. Warnings are errors here. Prints the time each stage took at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

jobs=$(nproc 2>/dev/null || echo 2)

stages=()
stage_name=
stage_start=$SECONDS
end_stage() {
  [ -n "$stage_name" ] && stages+=("$(printf '%5d s  %s' $((SECONDS - stage_start)) "$stage_name")")
  stage_name=
}
stage() {
  end_stage
  stage_name=$1
  stage_start=$SECONDS
  echo "== $1${2:+: $2}"
}
report() {
  end_stage
  echo "== time per stage"
  printf '%s\n' "${stages[@]}"
  printf '%5d s  all\n' "$SECONDS"
}
trap report EXIT

stage "install" "what is missing"
scripts/install-deps.sh
stage "wine prefix" "made or brought up to date"
scripts/wine-prefix.sh

stage "format" "every C++ file as .clang-format wants it"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

stage "native" "km470sim and the portable logic (AddressSanitizer, UBSan)"
cmake --preset native -DDYNLOG_WERROR=ON >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

# scripts/fuzz.sh without a time runs each harness longer.
stage "fuzz" "every parser's harness for 5 s (clang, libFuzzer, AddressSanitizer, UBSan)"
scripts/fuzz.sh 5

stage "win32 build" "dynlog.exe and its tests"
cmake --preset win32 -DDYNLOG_WERROR=ON -DDYNLOG_KM470SIM="$root/build/native/tools/km470sim/km470sim" >/dev/null
cmake --build --preset win32 -j "$jobs"
# Most suites spend their time waiting for the unit or the program; each has a Wine prefix of its
# own, so they run side by side, more of them than there are cores.
stage "win32 tests" "under Wine"
ctest --preset win32 -j $((jobs * 4))

stage "package" "built, compared and run unpacked"
tests/package/package_test.sh "$root/build/native/tools/km470sim/km470sim"

end_stage
echo "== all tests passed"
