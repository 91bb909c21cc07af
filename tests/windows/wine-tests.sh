#!/bin/sh
# The Windows build's tests, as ctest runs them:
#   wine-tests.sh setup SOURCE BUILD      installs MinGW-w64 and Wine if missing, cross builds
#                                         tests/windows/cross into BUILD, makes a Wine prefix
#   wine-tests.sh run BUILD PROGRAM ARGS  runs BUILD/PROGRAM under Wine on a virtual display
#   wine-tests.sh programs SOURCE BUILD LINUX_BUILD
#                                         builds the three programs and their zip (scripts/windows)
#                                         and unpacks the zip into BUILD/unpacked, as a user would
#   wine-tests.sh with BUILD COMMAND...   runs COMMAND with the Wine prefix's settings on a virtual
#                                         display with a window manager
#   wine-tests.sh cleanup BUILD           ends Wine, removes the prefix and tells how long the
#                                         Windows part took (BUILD/time.txt)
# Exit code 77 means "skipped": the tools are missing and this user may not install them.
set -eu

skip=77
command=$1
shift

# The prefix, the locale and the settings every Wine start here shares.
wine_environment() {
    build=$1
    [ -f "$build/wine.env" ] || { echo "wine-tests: no Wine prefix; the setup did not run" >&2; exit $skip; }
    . "$build/wine.env"
    export WINEPREFIX LANG LOCPATH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset LC_ALL LC_CTYPE
}

tools_present() {
    command -v x86_64-w64-mingw32-g++ >/dev/null && command -v wine >/dev/null && command -v xvfb-run >/dev/null &&
        command -v xauth >/dev/null && command -v localedef >/dev/null && [ -f /usr/share/i18n/locales/ja_JP ]
}

# A virtual display of its own; the search for a free one starts at a number of this process's, so
# that runs of several work trees at once rarely race for the same.
on_display() {
    xvfb-run -a -n $((100 + $$ % 400)) "$@"
}

# Wine takes the ANSI code page from the locale: ja_JP.UTF-8 gives CP932, as on a Japanese system.
# Without that locale on the machine, build it into the build folder (no root needed).
japanese_locale() {
    build=$1
    if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        echo ""
        return
    fi
    mkdir -p "$build/locale"
    localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8" >/dev/null 2>&1 || [ -f "$build/locale/ja_JP.UTF-8/LC_CTYPE" ]
    echo "$build/locale"
}

# The tools, installed where missing; skipped where this user may not install them.
install_tools() {
    if ! "$1/scripts/install-deps" windows; then
        if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
            echo "wine-tests: skipped: MinGW-w64 or Wine is missing and cannot be installed here" >&2
            exit $skip
        fi
        exit 1
    fi
}

setup() {
    source=$1 build=$2
    mkdir -p "$build"
    date +%s >"$build/started"
    tools_present || install_tools "$source"
    cmake -S "$source/tests/windows/cross" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64.cmake" >/dev/null
    cmake --build "$build" -j 2
    # The runs work in the build folder: every path they read must not depend on where this ran.
    build=$(cd "$build" && pwd)

    cleanup "$build"
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/quendra-wine.XXXXXX")
    {
        echo "WINEPREFIX='$prefix'"
        echo "LANG=ja_JP.UTF-8"
        echo "LOCPATH='$(japanese_locale "$build")'"
    } >"$build/wine.env"
    wine_environment "$build"
    [ -n "$LOCPATH" ] || unset LOCPATH
    # The first start fills the prefix; later starts take a second or two.
    on_display sh -c 'wineboot -i && wineserver -w'
    # The tests stand for a Japanese Windows: Wine must have taken code page 932 from the locale.
    acp=$(cd "$build" && timeout 120 wine ./code_page.exe 2>/dev/null | tr -d '\r') || true
    wineserver -w
    if [ "$acp" != 932 ]; then
        echo "wine-tests: Wine runs with the ANSI code page '$acp', not 932:" \
            "LANG=$LANG gave no Japanese locale (LOCPATH=${LOCPATH:-unset})" >&2
        exit 1
    fi
    echo "wine-tests: Wine prefix ready in $prefix"
}

run() {
    build=$1 program=$2
    shift 2
    wine_environment "$build"
    [ -n "$LOCPATH" ] || unset LOCPATH
    cd "$build"
    # Under Wine, a DDE conversation between two processes needs a display. Wine's processes are
    # ended with the run, so the next run starts on its own display.
    on_display sh -c 'status=0; timeout 240 wine "$@" || status=$?; wineserver -k 2>/dev/null || true; exit $status' \
        wine-run "./$program.exe" "$@"
}

report_time() {
    build=$1
    [ -f "$build/started" ] || return 0
    seconds=$(($(date +%s) - $(cat "$build/started")))
    echo "Windows build and Wine tests: $((seconds / 60)) min $((seconds % 60)) s" >"$build/time.txt"
    rm -f "$build/started"
}

programs() {
    source=$1 build=$2 linux_build=$3
    install_tools "$source"
    "$source/scripts/windows" "$source" "$build" "$linux_build"
    rm -rf "$build/unpacked"
    /usr/bin/python3 -m zipfile -e "$build"/Quendra_LT-*-win64.zip "$build/unpacked"
}

with() {
    build=$1
    shift
    wine_environment "$build"
    [ -n "$LOCPATH" ] || unset LOCPATH
    on_display sh -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 1; status=0; "$@" || status=$?
        wineserver -k 2>/dev/null || true; kill $wm; exit $status' with "$@"
}

cleanup() {
    build=$1
    [ -f "$build/wine.env" ] || return 0
    wine_environment "$build"
    wineserver -k 2>/dev/null || true
    case "$WINEPREFIX" in
        */quendra-wine.*) rm -rf "$WINEPREFIX" ;;
    esac
    rm -f "$build/wine.env"
}

case "$command" in
    setup) setup "$@" ;;
    run) run "$@" ;;
    programs) programs "$@" ;;
    with) with "$@" ;;
    cleanup) cleanup "$@" && report_time "$@" ;;
    *) echo "usage: wine-tests.sh setup|run|programs|with|cleanup ..." >&2; exit 2 ;;
esac
