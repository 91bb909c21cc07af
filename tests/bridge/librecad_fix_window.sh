#!/bin/sh
# LibreCAD with the bridge, under Xvfb: the bridge switched on from the Plugins menu, fix100's base
# point picked by a click (grid snap on), the window drawn, the drawing saved with the keyboard and
# read back by ezdxf. Skips (77) where LibreCAD, the bridge or the X tools are not at hand.
#   librecad_fix_window.sh PLUGIN QUENDRA_SCRIPT
set -eu
plugin=$1
quendra_script=$2
here=$(cd "$(dirname "$0")" && pwd)
start=$(pwd)
skip() { echo "skipped: $*"; exit 77; }
[ -f "$plugin" ] || skip "the LibreCAD bridge is not built"
for tool in librecad Xvfb openbox xdotool; do
    command -v $tool >/dev/null 2>&1 || skip "$tool is not installed"
done

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A failure leaves a screenshot of the display in the folder the test ran in.
fail() { echo "FAIL: $*"; import -window root "$start/librecad_fix_window.png" 2>/dev/null || true; exit 1; }
wait_for() { # seconds, test command...
    n=$(($1 * 5)); shift
    while ! "$@" >/dev/null 2>&1; do
        n=$((n - 1)); [ $n -gt 0 ] || return 1; sleep 0.2
    done
}

Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids="$pids $!"
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids="$pids $!"

# A LibreCAD of its own: settings past the welcome dialog, a known window, the bridge in the
# user's plugin folder, sockets in a folder of the test.
export HOME="$work/home" QUENDRA_RUNTIME_DIR="$work/run" LANG=C.UTF-8
mkdir -p "$HOME/.librecad/plugins" "$HOME/.config/LibreCAD" "$QUENDRA_RUNTIME_DIR"
ln -s "$plugin" "$HOME/.librecad/plugins/"
cat >"$HOME/.config/LibreCAD/LibreCAD.conf" <<CONF
[Startup]
FirstLoad=0
[Appearance]
Language=ja
LanguageCmd=en
[Defaults]
Unit=Millimeter
UseQtFileOpenDialog=1
[Geometry]
WindowWidth=1270
WindowHeight=870
WindowX=0
WindowY=0
CONF
cd "$work"
librecad >"$work/librecad.log" 2>&1 &
pids="$pids $!"
wait_for 60 xdotool search --onlyvisible --name "LibreCAD" || fail "LibreCAD did not open"
sleep 3
socket="$QUENDRA_RUNTIME_DIR/AutoCAD%20LT.DDE%7CSystem"
# Plugins (Alt+U), its first entry; once more if LibreCAD was not ready for the keys yet.
for attempt in 1 2 3; do
    xdotool key alt+u Return
    wait_for 5 test -S "$socket" && break
done
test -S "$socket" || fail "the bridge does not listen"

# Snap to grid (the snap toolbar's grid button), then the base point: a grid point 50,50 from
# the origin, which lies at (93, 720) in this window; the grid is 10 units, 4 pixels a unit.
xdotool mousemove 98 806 click 1
"$quendra_script" fix100 Command1 | /usr/bin/python3 "$here/send_scripts.py" "$socket" || fail "ID was not taken"
sleep 2
xdotool mousemove 294 519 click 1
sleep 1
"$quendra_script" fix100 Command2 | /usr/bin/python3 "$here/send_scripts.py" "$socket" || fail "the draw was not taken"
sleep 2

xdotool key ctrl+s
sleep 2
xdotool type --delay 20 "$work/plan.dxf"
xdotool key Return
wait_for 20 test -s "$work/plan.dxf" || fail "LibreCAD did not save"
sleep 1

/usr/bin/python3 - "$work/plan.dxf" <<'PY' || fail "the FIX window is not at the picked point"
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
def key(a, b):
    a, b = (round(a[0], 6), round(a[1], 6)), (round(b[0], 6), round(b[1], 6))
    return tuple(sorted([a, b]))
got = {key(e.dxf.start, e.dxf.end) for e in doc.modelspace().query("LINE")}
bx, by = 50, 50
rows = [(0, 50, 600, 50), (600, -50, 0, -50), (50, 50, 50, -50), (550, -50, 550, 50), (550, 0, 50, 0)]
want = {key((bx + r[0], by + r[1]), (bx + r[2], by + r[3])) for r in rows}
print("lines:", sorted(got))
sys.exit(0 if got == want else 1)
PY
echo "the FIX window stands at the picked point"
