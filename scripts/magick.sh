# Sourced by the scripts: ImageMagick's own tools. A different program of the same name may come
# first on the PATH ("convert" is a common name), so they are looked up where Debian puts them.
magick_tool() {
  local t
  for t in "/usr/bin/$1-im6.q16" "/usr/bin/$1-im7.q16" "/usr/bin/$1"; do
    [ -x "$t" ] && { echo "$t"; return 0; }
  done
  echo "ImageMagick's $1 is missing: run scripts/install-deps.sh" >&2
  return 1
}
