#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test. Exits non-zero when anything
# fails. Warnings are errors here. Prints the time each stage took at the end, and that of the
# work done beside a stage.
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

# Work that waits more than it computes runs beside the stages: `beside NAME COMMAND...` starts it
# with its output in build/NAME.log, `await NAME` waits for it, shows the output and counts its time.
mkdir -p build
declare -A beside_pid
beside() {
  local name=$1
  shift
  (
    start=$SECONDS
    rc=0
    "$@" >"build/$name.log" 2>&1 || rc=$?
    echo $((SECONDS - start)) >"build/$name.seconds"
    exit $rc
  ) &
  beside_pid[$name]=$!
}
await() {
  local rc=0
  wait "${beside_pid[$1]}" || rc=$?
  echo "== $1"
  cat "build/$1.log"
  stages+=("$(printf '%5d s  (beside) %s' "$(cat "build/$1.seconds")" "$1")")
  return $rc
}

stage "install" "what is missing"
scripts/install-deps.sh
# A fresh clone's prefix takes a while to make, mostly waiting on Wine; nothing before the Windows
# tests needs it.
beside "wine prefix" scripts/wine-prefix.sh

stage "format" "every C++ file as .clang-format wants it"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
scripts/check-text.sh

# ccache, when there, keeps what the compilers made for the next run, build folder removed or not,
# another clone's included. Paths under the sources are hashed as seen from the build folder, so
# that the package test's copy of the sources takes the objects of build/win32 (fuzz.sh and the
# package test ask for ccache themselves). The folder itself is left out of the hash of the builds
# with debug information (native, fuzz) too: their objects then serve every clone, at the price
# that a sanitizer's report may name the sources of the clone that compiled them first.
cache=()
if command -v ccache >/dev/null; then
  cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

stage "native" "km470sim and the portable logic (AddressSanitizer, UBSan)"
cmake --preset native -DDYNLOG_WERROR=ON "${cache[@]}" >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

# scripts/fuzz.sh without a time runs each harness longer.
stage "fuzz" "every parser's harness for 5 s, side by side (clang, libFuzzer, AddressSanitizer, UBSan)"
scripts/fuzz.sh 5

stage "win32 build" "dynlog.exe and its tests"
sim=$root/build/native/tools/km470sim/km470sim
cmake --preset win32 -DDYNLOG_WERROR=ON -DDYNLOG_KM470SIM="$sim" "${cache[@]}" >/dev/null
cmake --build --preset win32 -j "$jobs"

# Most suites under Wine spend their time waiting for the unit or the program; each that links COM
# ports has a Wine prefix of its own, so they run side by side, more of them than there are cores.
# The package is built meanwhile; its report follows the tests'.
stage "win32 tests and package" "under Wine; the package built, compared and run unpacked beside"
await "wine prefix"
# The tests' own build stands in for the package's second build: one compile more, not two, and
# that one served by ccache.
beside package tests/package/package_test.sh "$sim" "$root/build/win32"
failed=0
ctest --preset win32 -j $((jobs * 4)) || failed=1
await package || failed=1
[ $failed = 0 ]
echo "== all tests passed"
