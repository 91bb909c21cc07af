#!/bin/sh
# LibreCAD with the bridge, under Xvfb: a plan of a 150 wall of two LINEs made by ezdxf and opened
# in LibreCAD; the assistant's 1/100 sliding window W1700 (WallAssistant) with its base point
# typed inside the wall. Saved and read back by ezdxf: both faces cut in two, a jamb at each end
# of the window; one Ctrl+Z gives the wall back whole and takes the window away.
# Skips (77) where LibreCAD, the bridge or the X tools are not at hand.
#   librecad_wall_window.sh PLUGIN WALL_ASSISTANT
set -eu
plugin=$1
assistant=$2
name=librecad_wall_window
. "$(dirname "$0")/librecad_env.sh"

/usr/bin/python3 - "$work/plan.dxf" <<'PY' || fail "ezdxf did not make the plan"
import sys, ezdxf
doc = ezdxf.new("R2000")
msp = doc.modelspace()
msp.add_line((0, 75), (10000, 75))
msp.add_line((0, -75), (10000, -75))
doc.saveas(sys.argv[1])
PY
start_librecad "$work/plan.dxf"
QT_QPA_PLATFORM=offscreen "$assistant" || fail "the window was not drawn into the wall"

# Saved under another name (ファイル > Save as..., the file name typed into its dialog).
save_as() {
    xdotool key Escape alt+f
    sleep 1
    xdotool key a
    sleep 2
    xdotool type --delay 20 "$1"
    xdotool key Return
    wait_for 20 test -s "$1" || fail "LibreCAD did not save $1"
    sleep 1
}
# The lines of a DXF, each with its ends in order, one per line of output.
lines_of() {
    /usr/bin/python3 - "$1" <<'PY'
import sys, ezdxf
for e in ezdxf.readfile(sys.argv[1]).modelspace().query("LINE"):
    a, b = sorted([(round(e.dxf.start[0], 6), round(e.dxf.start[1], 6)),
                   (round(e.dxf.end[0], 6), round(e.dxf.end[1], 6))])
    print("%g,%g %g,%g" % (a + b))
PY
}
has() { grep -qx "$2" "$1" || fail "$1 lacks the line $2"; }
lacks() { ! grep -qx "$2" "$1" || fail "$1 still has the line $2"; }

save_as "$work/cut.dxf"
lines_of "$work/cut.dxf" >"$work/cut.txt"
cat "$work/cut.txt"
for piece in "0,75 3000,75" "4800,75 10000,75" "0,-75 3000,-75" "4800,-75 10000,-75" \
    "3000,-75 3000,75" "4800,-75 4800,75"; do
    has "$work/cut.txt" "$piece"
done
lacks "$work/cut.txt" "0,75 10000,75"
lacks "$work/cut.txt" "0,-75 10000,-75"

xdotool key Escape ctrl+z
sleep 1
save_as "$work/undone.dxf"
lines_of "$work/undone.dxf" >"$work/undone.txt"
[ "$(sort "$work/undone.txt" | tr '\n' ' ')" = "0,-75 10000,-75 0,75 10000,75 " ] ||
    fail "one undo did not give the wall back whole: $(cat "$work/undone.txt")"
echo "the window is set into the wall, and one undo takes it out"
