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
scripts/check-text.sh

# ccache, when there, keeps what the compilers made for the next run, build folder removed or not.
cache=()
command -v ccache >/dev/null && cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

stage "native" "km470sim and the portable logic (AddressSanitizer, UBSan)"
cmake --preset native -DDYNLOG_WERROR=ON "${cache[@]}" >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

# scripts/fuzz.sh without a time runs each harness longer.
stage "fuzz" "every parser's harness for 5 s (clang, libFuzzer, AddressSanitizer, UBSan)"
scripts/fuzz.sh 5

stage "win32 build" "dynlog.exe and its tests"
sim=$root/build/native/tools/km470sim/km470sim
cmake --preset win32 -DDYNLOG_WERROR=ON -DDYNLOG_KM470SIM="$sim" "${cache[@]}" >/dev/null
cmake --build --preset win32 -j "$jobs"

# Most suites under Wine spend their time waiting for the unit or the program; each that links COM
# ports has a Wine prefix of its own, so they run side by side, more of them than there are cores.
# The package is built meanwhile; its report follows the tests'.
stage "win32 tests and package" "under Wine; the package built, compared and run unpacked beside"
package_log=$root/build/package.log
(
  start=$SECONDS
  rc=0
  # The tests' own build stands in for the package's second build: one compile more, not two.
  tests/package/package_test.sh "$sim" "$root/build/win32" >"$package_log" 2>&1 || rc=$?
  echo $((SECONDS - start)) >"$package_log.seconds"
  exit $rc
) &
package=$!
failed=0
ctest --preset win32 -j $((jobs * 4)) || failed=1
wait $package || failed=1
echo "== package"
cat "$package_log"
end_stage
stages+=("$(printf '%5d s  (of which the package)' "$(cat "$package_log.seconds")")")
[ $failed = 0 ]
echo "== all tests passed"
