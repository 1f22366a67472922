#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12, as root or through sudo.
# Does nothing for what is already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
# Decided by package, not by command: another program of the same name earlier on the PATH (a
# "convert" that is not ImageMagick's, say) must not count as the tool.
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

have_pkg cmake || need+=(cmake)
have_pkg g++ || need+=(g++)
have_pkg make || need+=(make)
# Keeps what the compilers made: the package test's build of the same sources, a second clone or
# the next run take the objects from it.
have_pkg ccache || need+=(ccache)
have_pkg g++-mingw-w64-i686-posix || need+=(g++-mingw-w64-i686-posix)
have_pkg googletest || need+=(googletest)
have_pkg python3 || need+=(python3)
# The README's pandas line, checked on the files the program writes (tests/e2e).
have_pkg python3-pandas || need+=(python3-pandas)
have_pkg openssl || need+=(openssl)
have_pkg xvfb || need+=(xvfb)
have_pkg xauth || need+=(xauth)
have_pkg imagemagick || need+=(imagemagick)
have_pkg wine || need+=(wine)
have_pkg clang || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_pkg clang-format || need+=(clang-format)
have_pkg unzip || need+=(unzip)
# Fonts with Arial's metrics: without them Wine takes a wider font and cuts the lamp captions.
have_pkg fonts-liberation || need+=(fonts-liberation)
# The window manager and the window tools of scripts/pictures.sh (title bars, window ids).
have_pkg openbox || need+=(openbox)
have_pkg x11-utils || need+=(x11-utils)
# The German locale, for Wine's own dialogs in German (scripts/wine-env.sh).
have_pkg locales-all || need+=(locales-all)
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
