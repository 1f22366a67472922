#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12, as root or through sudo.
# Does nothing for what is already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd make || need+=(make)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_pkg googletest || need+=(googletest)
have_cmd python3 || need+=(python3)
have_pkg openssl || need+=(openssl)
have_cmd curl || need+=(curl)
have_cmd xvfb-run || need+=(xvfb xauth)
have_cmd convert || need+=(imagemagick)
have_cmd wine || need+=(wine)
have_pkg clang || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_pkg clang-format || need+=(clang-format)
have_pkg unzip || need+=(unzip)
i386=0
have_pkg wine32:i386 || { need+=(wine32:i386); i386=1; }

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  have_cmd sudo || { echo "install-deps: need root or sudo to install: ${need[*]}" >&2; exit 1; }
  sudo=sudo
fi
echo "install-deps: installing ${need[*]}" >&2
if [ $i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
