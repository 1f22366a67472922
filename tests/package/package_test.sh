#!/usr/bin/env bash
# The Windows package, built with the README's command and without SOURCE_DATE_EPOCH from a copy of
# the sources in a folder of its own; its dynlog.exe and zip must be the same bytes as a second
# build's in another folder. Then the zip is unpacked into a fresh folder and the unpacked
# dynlog.exe records from km470sim under Wine.
#   tests/package/package_test.sh KM470SIM [BUILD]
# BUILD: a win32 build of the same sources made elsewhere (scripts/test.sh passes build/win32); its
# zip is made there and it stands in for the second build, so the program is compiled once more,
# not twice. Without it the package is built twice, from two copies.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
sim=$1
other=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/dynlog-package.XXXXXX")
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A source archive made by git carries its commit's time; a bare copy of the sources warns that
# it cannot know it.
# CMake wraps a warning's words, so only its one unbroken word is looked for.
epoch_of() { env -u SOURCE_DATE_EPOCH cmake -DROOT="$1" -P "$1/cmake/SourceDateEpoch.cmake" 2>&1; }
mkdir -p "$work/archive" "$work/bare"
git -C "$root" archive HEAD cmake package | tar xf - -C "$work/archive"
commit_time=$(git -C "$root" log -1 --format=%ct)
[ "$(epoch_of "$work/archive")" = "$commit_time" ] ||
  { echo "package: FAILED: a git archive gives the time $(epoch_of "$work/archive")" >&2; exit 1; }
(cd "$root" && tar cf - cmake package) | tar xf - -C "$work/bare"
sed -i 's/.*/$Format:%ct$/' "$work/bare/package/source-date-epoch.txt"
epoch_of "$work/bare" | grep -q "SOURCE_DATE_EPOCH=\$(date" ||
  { echo "package: FAILED: a copy without git builds without a warning" >&2; exit 1; }
echo "package: a git archive carries the commit's time; a bare copy warns"

# The sources as they are, committed or not, without any build, built as the README says. The
# command does not set the times; nor may the caller's environment: the zip's times are the last
# commit's.
unset SOURCE_DATE_EPOCH
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 2)}
# With ccache there, the copy's compiles are served by it: the paths under the copy are hashed
# relative to its build folder, as those of the other build are (scripts/test.sh sets CCACHE_BASEDIR
# for it), and the warning option, part of every compile's command, is the other build's. Only
# the linking is done again.
options=()
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -n "$other" ] && grep -qx 'DYNLOG_WERROR:BOOL=ON' "$other/CMakeCache.txt"; then
  options+=(-DDYNLOG_WERROR=ON)
fi
build() {
  local dir=$1
  mkdir -p "$dir"
  # A clone of the same commit, for the commit's time, with the sources as they are over it.
  git clone -q --no-checkout "$root" "$dir/src"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar cf - 2>/dev/null) |
    tar xf - -C "$dir/src"
  (cd "$dir/src" && export CCACHE_BASEDIR=$PWD &&
    cmake --preset win32 -DBUILD_TESTING=OFF "${options[@]}" >/dev/null &&
    cmake --build --preset win32 --target package >/dev/null)
  ln -s src/build/win32 "$dir/build"
}
build "$work/first"
if [ -n "$other" ]; then
  cmake --build "$other" --target package >/dev/null
  second=$other
else
  sleep 2
  build "$work/second/elsewhere/deeper"
  second=$work/second/elsewhere/deeper/build
fi

zip_name=$(cd "$work/first/build/package" && ls dynlog-*-win32.zip)
sums() {
  (cd "$1" && sha256sum src/app/dynlog.exe "package/$zip_name" | awk '{print $1}')
}
echo "package: $zip_name, $(stat -c %s "$work/first/build/package/$zip_name") bytes"
sums "$work/first/build" | sed 's/^/package: first build  /'
sums "$second" | sed 's/^/package: second build /'
if [ "$(sums "$work/first/build")" != "$(sums "$second")" ]; then
  echo "package: FAILED: the two builds differ" >&2
  exit 1
fi
expected="$(basename "$zip_name" .zip)/LIESMICH.txt $(basename "$zip_name" .zip)/dynlog.exe"
listed=$(unzip -Z1 "$work/first/build/package/$zip_name" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listed" = "$(echo "$expected" | tr ' ' '\n' | sort | tr '\n' ' ')" ] ||
  { echo "package: FAILED: the zip holds $listed" >&2; exit 1; }

# Unpacked into a fresh folder, the program records from the simulated unit.
mkdir -p "$work/unpacked"
unzip -q "$work/first/build/package/$zip_name" -d "$work/unpacked"
exe=$(ls "$work"/unpacked/dynlog-*-win32/dynlog.exe)
source "$root/scripts/wine-env.sh"
"$sim" --link "$WINEPREFIX/ports/com2" > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
(cd "$(dirname "$exe")" && "$root/scripts/wine-run.sh" "$exe" --record 2 --output messung.txt)
values=$(($(wc -l < "$(dirname "$exe")/messung.txt") - 3))
head -n 2 "$(dirname "$exe")/messung.txt" | grep -q "^Datei erzeugt von Programm dynlog.exe am" ||
  { echo "package: FAILED: the unpacked program wrote no measurement file" >&2; exit 1; }
[ "$values" -gt 5 ] || { echo "package: FAILED: $values values" >&2; exit 1; }
echo "package: the unpacked dynlog.exe recorded $values values"
echo "package: passed"
