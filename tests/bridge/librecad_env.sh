# Sourced by the LibreCAD tests: a display of the test's own (Xvfb with openbox), a LibreCAD of
# its own (settings past the welcome dialog, a known window, the bridge in the user's plugin
# folder, sockets in a folder of the test), and the helpers to drive it. Skips (77) where
# LibreCAD, the bridge or the X tools are not at hand. Expects $plugin and $name (the test's
# name, for the screenshot a failure leaves in the folder the test ran in).
here=$(cd "$(dirname "$0")" && pwd)
start=$(pwd)
skip() { echo "skipped: $*"; exit 77; }
[ -f "$plugin" ] || skip "the LibreCAD bridge is not built"
for tool in librecad Xvfb openbox xdotool; do
    command -v $tool >/dev/null 2>&1 || skip "$tool is not installed"
done

work=$(mktemp -d)
pids=""
librecad_pid=""
cleanup() {
    for pid in $librecad_pid $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; import -window root "$start/$name.png" 2>/dev/null || true; exit 1; }
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
socket="$QUENDRA_RUNTIME_DIR/AutoCAD%20LT.DDE%7CSystem"

# Starts LibreCAD (its pid in $librecad_pid) on the files given, if any, and switches the bridge
# on from the Plugins menu.
start_librecad() {
    (cd "$work" && exec librecad "$@" >>"$work/librecad.log" 2>&1) &
    librecad_pid=$!
    wait_for 60 xdotool search --onlyvisible --name "LibreCAD" || fail "LibreCAD did not open"
    sleep 3
    # Plugins (Alt+U), its first entry; once more if LibreCAD was not ready for the keys yet.
    for attempt in 1 2 3; do
        xdotool key alt+u Return
        wait_for 5 test -S "$socket" && break
    done
    test -S "$socket" || fail "the bridge does not listen"
}
