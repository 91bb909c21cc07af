#!/bin/sh
# LibreCAD with the bridge, under Xvfb, left in the middle of a conversation: while a base point
# is being picked LibreCAD sleeps; the bridge switched off then cancels the pick (switched on
# again, it is idle); and LibreCAD ends without a crash however it is left: its own quit and the
# window's close during a pick, SIGTERM after a draw, EXIT over the conversation after an
# Escaped pick. Skips (77) where LibreCAD, the bridge or the X tools are not at hand.
#   librecad_quit.sh PLUGIN QUENDRA_SCRIPT
set -eu
plugin=$1
quendra_script=$2
name=librecad_quit
. "$(dirname "$0")/librecad_env.sh"

send() { "$quendra_script" "$@" | /usr/bin/python3 "$here/send_scripts.py" "$socket"; }
# A conversation that sends the scripts and stays open until the host ends it.
hold() {
    "$quendra_script" "$@" | /usr/bin/python3 "$here/send_scripts.py" "$socket" --hold &
    holder=$!
    pids="$pids $holder"
}
alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat"; }
# LibreCAD's main thread is running in at most 4 of 20 looks over two seconds.
asleep() {
    running=0
    for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
        state=$(sed 's/^.*) //' "/proc/$librecad_pid/stat" | cut -d' ' -f1)
        [ "$state" = R ] && running=$((running + 1))
        sleep 0.1
    done
    [ $running -le 4 ]
}
# Waits for LibreCAD to end; fails on a crash (any end but its own or SIGTERM's).
ended() {
    wait_for 30 eval '! alive $librecad_pid' || fail "LibreCAD did not end ($1)"
    status=0
    wait "$librecad_pid" || status=$?
    librecad_pid=""
    case $status in 0 | 143) ;; *) fail "LibreCAD ended with status $status ($1)" ;; esac
    grep -q "Segmentation\|Aborted" "$work/librecad.log" && fail "LibreCAD crashed ($1)"
    rm -f "$socket"
    echo "ended cleanly: $1"
}

# A pick pending: LibreCAD waits asleep; the bridge switched off ends the conversation and the
# pick; switched on again, the bridge is idle. Then LibreCAD's own quit during another pick.
start_librecad
hold fix100 Command1
sleep 2
alive "$holder" || fail "the conversation did not stay open"
asleep || fail "LibreCAD keeps a core busy while it waits for the pick"
xdotool key alt+u Return
wait_for 10 eval '! alive $holder' || fail "switched off, the bridge kept the conversation"
wait_for 5 eval '! test -S "$socket"' || fail "switched off, the bridge still listens"
asleep || fail "switched off, LibreCAD still spins in the pick"
xdotool key alt+u Return
wait_for 5 test -S "$socket" || fail "the bridge did not come on again"
[ "$(/usr/bin/python3 "$here/send_scripts.py" "$socket" --ask '\x05STATE')" = "OK IDLE" ] ||
    fail "the pick was not cancelled when the bridge was switched off"
hold fix100 Command1
sleep 2
xdotool key ctrl+q
ended "LibreCAD's quit during a pick"

# The window closed during a pick.
start_librecad
hold fix100 Command1
sleep 2
xdotool key alt+F4
ended "the window closed during a pick"

# SIGTERM after a draw, its conversation still open.
start_librecad
send fix100 Command1 || fail "ID was not taken"
sleep 2
xdotool mousemove 294 519 click 1
sleep 1
hold fix100 Command2
sleep 2
kill -TERM "$librecad_pid"
ended "SIGTERM after a draw"

# An Escaped pick, then EXIT over the same conversation (the exit dialog's choice).
start_librecad
/usr/bin/python3 - "$socket" <<'PY' || fail "the conversation of ID, Escape and EXIT failed"
import socket, struct, subprocess, sys, time
conn = socket.socket(socket.AF_UNIX)
conn.settimeout(10)
conn.connect(sys.argv[1])
def send(text):
    payload = text.encode()
    conn.sendall(struct.pack(">I", len(payload)) + payload)
    head = conn.recv(4)
    return conn.recv(struct.unpack(">I", head)[0]).decode()
assert send("ID\r") == "OK"
time.sleep(2)
subprocess.run(["xdotool", "key", "Escape"], check=True)
time.sleep(1)
assert send("EXIT\r") == "OK"
conn.settimeout(None)
while conn.recv(4096):
    pass
PY
ended "EXIT after an Escaped pick"
