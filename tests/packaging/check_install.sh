#!/bin/sh
# Installs the build into a scratch DESTDIR with prefix /usr, as the Debian package lays it out,
# and checks that a desktop finds everything: programs, guide, desktop entries, icons.
#   check_install.sh BUILD SOURCE
set -u
build=$1
source=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$root.log" 2>&1; then
  cat "$root.log"; rm -f "$root.log"
  echo "FAIL: cmake --install"; exit 1
fi
rm -f "$root.log"
usr=$root/usr

# Everything under /usr, nothing elsewhere.
stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$stray" ] || fail "installed outside /usr: $stray"

for program in quendra quendra-host quendra-script; do
  [ -x "$usr/bin/$program" ] || fail "$program is not in bin"
done
[ -e "$usr/bin/readme.txt" ] && fail "readme.txt lies in bin"

# A manual page for each program, one that man can format without a warning.
for program in quendra quendra-host quendra-script; do
  page=$usr/share/man/man1/$program.1
  [ -f "$page" ] || fail "no manual page for $program"
  if command -v groff >/dev/null; then
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "the manual page of $program: $warnings"
  fi
done

# The guide where the assistant looks for it from bin: ../share/quendra.
cmp -s "$source/readme.txt" "$usr/bin/../share/quendra/readme.txt" || fail "share/quendra/readme.txt differs from readme.txt"

# The LibreCAD bridge, where it is built, beside LibreCAD's plugins (../lib/librecad/plugins from
# LibreCAD's bin), without its debugging sections.
bridge=$usr/lib/librecad/plugins/libquendra_lt_bridge.so
if [ -f "$build/bin/librecad/libquendra_lt_bridge.so" ]; then
  [ -f "$bridge" ] || fail "the LibreCAD bridge is not installed"
  readelf -S "$bridge" 2>/dev/null | grep -q '\.debug_info' && fail "the LibreCAD bridge is not stripped"
fi

# The installed programs run from the tree, without the build folder.
timeout 20 "$usr/bin/quendra-script" --list 2>&1 | grep -q '^fix100 ' || fail "installed quendra-script --list does not list fix100"
timeout 20 "$usr/bin/quendra-host" --headless --help 2>&1 | grep -q -- --replay || fail "installed quendra-host --headless --help does not describe --replay"

# Width and height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }

for entry in quendra quendra-host; do
  desktop=$usr/share/applications/$entry.desktop
  if [ ! -f "$desktop" ]; then fail "$entry.desktop missing"; continue; fi
  if command -v desktop-file-validate >/dev/null 2>&1; then
    out=$(desktop-file-validate "$desktop" 2>&1 | grep -v ': hint: ')
    [ -z "$out" ] || fail "$entry.desktop: $out"
  fi
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  program=${exec_line%% *}
  [ -x "$usr/bin/$program" ] || fail "$entry.desktop starts '$program', which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  theme=$usr/share/icons/hicolor
  grep -q '<svg' "$theme/scalable/apps/$icon.svg" 2>/dev/null || fail "no scalable icon $icon.svg"
  for size in 16 22 24 32 48 64 128 256; do
    png=$theme/${size}x${size}/apps/$icon.png
    if [ ! -f "$png" ]; then fail "no $icon.png at $size"; continue; fi
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png")"
  done
done

[ "$failures" -eq 0 ] && echo "install tree complete"
exit "$failures"
