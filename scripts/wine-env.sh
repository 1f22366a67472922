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
# The system's own dialogs (save, message boxes) in German, as on a German Windows: Wine takes its
# user interface language from LC_MESSAGES, which LC_ALL would override. Only the messages: the
# number formats stay those of the prefix, and the scripts' own numbers keep their point. Without
# the locale de_DE.UTF-8 (package locales-all) the dialogs stay English. Wine must see the same
# locale at every start in a prefix: when it changes, Wine rewrites the prefix's formats.
# (grep reads the whole list: a grep -q ending early would fail the pipe under pipefail.)
if locale -a 2>/dev/null | grep -ix 'de_DE\.utf-\?8' >/dev/null; then
  if [ -n "${LC_ALL:-}" ]; then
    export LANG=$LC_ALL LC_CTYPE=$LC_ALL
    unset LC_ALL
  fi
  export LC_MESSAGES=de_DE.UTF-8
fi

# Starts the prefix's wineserver unless it runs, detached from our output: a server started by a
# wine command inherits that command's output and holds pipes open long after it ends, and it
# prints a dump of its state whenever a serial line it opened hangs up (a simulated unit ending).
dynlog_wineserver() { wineserver </dev/null >/dev/null 2>&1 || true; }
