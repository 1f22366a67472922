# Sourced by the scripts: the project's private Wine prefix and quiet Wine.
# DYNLOG_WINEPREFIX chooses another prefix; by default it lives in the build folder.
dynlog_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${DYNLOG_WINEPREFIX:-$dynlog_root/build/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
