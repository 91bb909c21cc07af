#!/bin/sh
# LibreCAD with the bridge, under Xvfb: the bridge switched on from the Plugins menu, fix100's base
# point picked by a click (grid snap on), the window drawn, the drawing saved with the keyboard and
# read back by ezdxf. Skips (77) where LibreCAD, the bridge or the X tools are not at hand.
#   librecad_fix_window.sh PLUGIN QUENDRA_SCRIPT
set -eu
plugin=$1
quendra_script=$2
name=librecad_fix_window
. "$(dirname "$0")/librecad_env.sh"
start_librecad

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
