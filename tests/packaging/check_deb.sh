#!/bin/sh
# Builds the Debian package into a scratch folder and checks its control fields and contents.
#   check_deb.sh BUILD
set -u
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! (cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1
fi
deb=$(ls "$out"/quendra_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { cat "$out/cpack.log"; echo "FAIL: no quendra_*.deb"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6svg6 libdxflib3 fonts-ipafont-gothic; do
  echo "$depends" | grep -Eq "(^|, )$package( |,|$)" || fail "Depends lacks $package: $depends"
done
echo "$depends" | grep -q python && fail "Depends names python: $depends"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong Architecture"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in ./usr/bin/quendra ./usr/bin/quendra-host ./usr/bin/quendra-script \
            ./usr/share/quendra/readme.txt ./usr/share/applications/quendra.desktop \
            ./usr/share/applications/quendra-host.desktop \
            ./usr/share/icons/hicolor/scalable/apps/quendra.svg \
            ./usr/share/icons/hicolor/48x48/apps/quendra-host.png ./usr/share/man/man1/quendra-host.1; do
  echo "$contents" | grep -qx "$path" || fail "package lacks $path"
done
# The LibreCAD bridge, where it is built, in the folder Debian's LibreCAD loads plugins from.
if [ -f "$build/bin/librecad/libquendra_lt_bridge.so" ]; then
  echo "$contents" | grep -qx ./usr/lib/librecad/plugins/libquendra_lt_bridge.so || fail "package lacks the LibreCAD bridge"
fi
echo "$contents" | grep -v '^\./usr/' | grep -v '^\./$' | grep -q . && fail "package holds files outside /usr"

# Stripped programs: no debug sections in what users install.
mkdir "$out/x" && dpkg-deb -x "$deb" "$out/x"
if command -v readelf >/dev/null 2>&1; then
  readelf -S "$out/x/usr/bin/quendra" | grep -q '\.debug_info' && fail "quendra is not stripped"
fi

[ "$failures" -eq 0 ] && echo "package $(basename "$deb") complete"
exit "$failures"
