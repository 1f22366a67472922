#!/usr/bin/env bash
# Fails when a string or character literal under src/ or tools/ spells a byte above 127 as an
# escape ("\xC3\xBC", "\303\274"): German text stands in the sources as literal UTF-8, so that a
# search for a text finds it. Bytes that are not text (a byte order mark) stay escaped on a line
# that says so with the comment "// bytes, not text".
#   scripts/check-text.sh [FILE...]   without files: every C++ and Python file under src/, tools/
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -eq 0 ]; then
  mapfile -d '' files < <(git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' \
    'tools/*.py')
  set -- "${files[@]}"
fi

perl -ne '
  BEGIN { $found = 0 }
  next if m{//\s*bytes, not text};
  while (/(?<![\w])[uUL8]*("(?:[^"\\\n]|\\.)*"|\x27(?:[^\x27\\\n]|\\.)+\x27)/g) {
    my $literal = $1;
    if ($literal =~ /\\(?:x0*[89A-Fa-f][0-9A-Fa-f](?![0-9A-Fa-f])|[23][0-7][0-7])/) {
      print "$ARGV:$.: a byte escaped in text, write the character itself: $literal\n";
      $found = 1;
    }
  }
  close ARGV if eof;
  END { exit $found }
' "$@"
