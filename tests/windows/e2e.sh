#!/bin/sh
# quendra.exe → DDE → quendra-host.exe under Wine, driven from the keyboard as a user would: the
# start-up dialog, fix100 opened from the main window's menu, base point and draw pressed, the
# program ended with its CAD host; the FIX window must be in the host's DXF, read back by ezdxf.
#   e2e.sh FOLDER SOURCE [SHOTS]    FOLDER: the unpacked zip; SHOTS: where pictures of the main
#                                   window and the dialog go
# Run with the Wine prefix's settings on a display with a window manager (wine-tests.sh with).
set -eu

folder=$1 source=$2 shots=${3:-}
work=$(mktemp -d)
host_pid= quendra_pid=
finish() {
    for pid in $quendra_pid $host_pid; do kill "$pid" 2>/dev/null || true; done
    cat "$work"/*.log >&2 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

# The id of a visible window whose title matches the regular expression (titles compared here:
# xdotool's own matching misses Japanese titles).
window() {
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            if xdotool getwindowname "$id" 2>/dev/null | grep -Eq -- "$1"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.2
    done
    xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
    fail "no window \"$1\""
}
# Keys to a window, brought back first: the dialog minimises itself while the CAD host draws.
keys() {
    xdotool windowmap "$1" 2>/dev/null || true
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    shift
    sleep 0.5
    xdotool key --delay 200 "$@"
    sleep 1
}
shoot() {
    [ -n "$shots" ] || return 0
    mkdir -p "$shots"
    sleep 1
    import -frame -window "$1" "$shots/$2"
}

cd "$folder"
wine quendra-host.exe --headless --pick 1000,2000 --out "$work/plan.dxf" >"$work/host.log" 2>&1 &
host_pid=$!
wine quendra.exe >"$work/quendra.log" 2>&1 &
quendra_pid=$!

# Without the CAD program: the second choice, then OK.
kidou=$(window "起動ダイアログ")
keys "$kidou" Down alt+y
main=$(window "^Quendra_LT$")
shoot "$main" windows-main.png
# メニュー → 建築シンボル作図 → 1/100用建具 → the fourth entry, ＦＩＸ窓.
keys "$main" alt+m b y Down Down Down Return
dialog=$(window "FIX窓")
shoot "$dialog" windows-fix100.png
keys "$dialog" alt+c
keys "$dialog" alt+a
keys "$dialog" alt+b
# Ending the program with its CAD host: the host saves the drawing and quits.
keys "$main" alt+f q
keys "$(window "^Quendra_LT$")" alt+l
for _ in $(seq 120); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.5
done
kill -0 "$host_pid" 2>/dev/null && fail "quendra-host.exe did not end"
[ -f "$work/plan.dxf" ] || fail "no DXF saved"

# The FIX window of width 500 at angle 0 about the picked point, as its rows read.
/usr/bin/python3 - "$source/tests/cad/dxf_tool.py" "$work/plan.dxf" <<'PY'
import subprocess, sys
dump = subprocess.run(["/usr/bin/python3", sys.argv[1], "dump", sys.argv[2]], capture_output=True, text=True).stdout
found = {tuple(sorted(l.split()[1:])) for l in dump.splitlines() if l.startswith("L ")}
def p(x, y): return "%g,%g" % (1000 + x, 2000 + y)
rows = [(0, 50, 600, 50), (600, -50, 0, -50), (50, 50, 50, -50), (550, -50, 550, 50), (550, 0, 50, 0)]
wanted = {tuple(sorted((p(a, b), p(c, d)))) for a, b, c, d in rows}
print(dump)
sys.exit(0 if wanted <= found else "e2e: the FIX window is not in the DXF: missing %s" % sorted(wanted - found))
PY
echo "e2e: the FIX window is in the DXF"
