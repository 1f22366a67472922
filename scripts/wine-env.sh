# Sourced by the scripts: the project's private Wine prefix and quiet Wine.
# DYNLOG_WINEPREFIX chooses another prefix; by default it lives in the build folder.
dynlog_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${DYNLOG_WINEPREFIX:-$dynlog_root/build/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine names Unix files in the locale's character set: outside UTF-8 a name with an umlaut (a
# measurement file, the program folder) cannot be made at all.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

# Starts the prefix's wineserver unless it runs, detached from our output: a server started by a
# wine command inherits that command's output and holds pipes open long after it ends, and it
# prints a dump of its state whenever a serial line it opened hangs up (a simulated unit ending).
dynlog_wineserver() { wineserver </dev/null >/dev/null 2>&1 || true; }
