#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test. Exits non-zero when anything
# fails. Warnings are errors here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
scripts/wine-prefix.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== format: every C++ file as .clang-format wants it"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== native: km470sim and the portable logic (AddressSanitizer, UBSan)"
cmake --preset native -DDYNLOG_WERROR=ON >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== fuzz: every parser's harness for 20 s (clang, libFuzzer, AddressSanitizer, UBSan)"
scripts/fuzz.sh 20

echo "== win32: dynlog.exe and its tests under Wine"
cmake --preset win32 -DDYNLOG_WERROR=ON -DDYNLOG_KM470SIM="$root/build/native/tools/km470sim/km470sim" >/dev/null
cmake --build --preset win32 -j "$jobs"
ctest --preset win32 -j "$jobs"

echo "== package: built twice and compared, then run unpacked"
tests/package/package_test.sh "$root/build/native/tools/km470sim/km470sim"

echo "== all tests passed"
