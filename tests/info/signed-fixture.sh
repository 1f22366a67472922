#!/usr/bin/env bash
# Prepares signed update folders for the tests of signed updates:
#   signed-fixture.sh DIR KEY.pem UPDATER.exe
# DIR/sets/good: a list for dynlog.exe offering 3.0.0.0, a new program file and UPDATER, signed
# with KEY (the tests' build carries it); old and same: offering 1.0.0.0 and 2.10.0.7 (the running
# one); otherkey: good's signed with another key; nofiles: a list naming no files, signed with KEY.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
sign="$here/../../tools/sign-update"
dir=$1
key=$2
updater=$3

rm -rf "$dir/sets"
make_set() { # NAME VERSION KEY
  local set="$dir/sets/$1"
  mkdir -p "$set"
  printf '[KM470Programm]\r\nName=dynlog.exe\r\nVersion=%s\r\n' "$2" >"$set/update.ini"
  { printf 'MZ'; head -c 99998 /dev/urandom; } >"$set/dynlog.ex_"
  cp "$updater" "$set/update.exe"
  "$sign" "$3" "$set" >/dev/null
}
openssl ecparam -name prime256v1 -genkey -noout -out "$dir/other-key.pem"
make_set good 3.0.0.0 "$key"
make_set old 1.0.0.0 "$key"
make_set same 2.10.0.7 "$key"
make_set otherkey 3.0.0.0 "$dir/other-key.pem"

# A list without its [Dateien] section, signed as tools/sign-update signs (r and s of the DER
# signature, each 32 bytes).
cp -r "$dir/sets/good" "$dir/sets/nofiles"
printf '[KM470Programm]\r\nName=dynlog.exe\r\nVersion=3.0.0.0\r\n' >"$dir/sets/nofiles/update.ini"
openssl dgst -sha256 -sign "$key" -out "$dir/nofiles.der" "$dir/sets/nofiles/update.ini"
hex=$(openssl asn1parse -inform DER -in "$dir/nofiles.der" |
  awk -F: '/INTEGER/ { h = $NF; while (length(h) < 64) h = "0" h; printf "%s", h }')
printf "$(echo "$hex" | sed 's/../\\x&/g')" >"$dir/sets/nofiles/update.sig"
