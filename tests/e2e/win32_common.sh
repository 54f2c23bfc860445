# Shared steps of the Windows end-to-end tests, sourced by win32_*.sh inside
# xsession.sh: a private Wine prefix, a working directory for qorv.exe, and
# starting it, finding its window, looking at the screen and waiting for its end.
# The sourcing script is called as: script QORV_EXE XSHOT
set -u

qorv_exe="$1"
xshot="$2"
test_name=$(basename "$0" .sh)
log_dir="$PWD"

work=$(mktemp -d)
mkdir "$work/run"
# NOTE: one wineserver serves one prefix, and its desktop belongs to the X
# display of the first program started; tests running side by side in their
# own X servers therefore each take a private prefix. The big folders of
# Windows modules are hard links into the one the wine_prefix fixture made;
# every other file, the registry above all, which Wine rewrites in place, is
# a copy of its own.
cp -al "$WINEPREFIX" "$work/prefix"
find "$work/prefix" -type f ! -path '*/drive_c/windows/system32/*' \
    ! -path '*/drive_c/windows/winsxs/*' -exec sh -c \
    'for f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' copy {} +
export WINEPREFIX="$work/prefix"

cleanup() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Writes the screen next to the test log, then fails the test.
fail() {
    echo "FAIL: $*" >&2
    if "$xshot" png "$log_dir/$test_name.png" 2>/dev/null; then
        echo "screen saved as $log_dir/$test_name.png" >&2
    fi
    if [ -s "$work/log" ]; then
        echo "--- qorv.exe output ---" >&2
        tail -n 20 "$work/log" >&2
    fi
    exit 1
}

# start_qorv LIMIT_SECONDS [VAR=value...]: runs qorv.exe in the working
# directory in the background; its process id lands in $work/pid and its exit
# code in $work/rc.
start_qorv() {
    local limit="$1"
    shift
    rm -f "$work/rc" "$work/pid"
    (
        cd "$work/run" || exit 99
        # timeout's child execs wine, which becomes the Windows process.
        env "$@" timeout -k 10 "$limit" "${WINE:-wine}" "$qorv_exe" >"$work/log" 2>&1 &
        timeout_pid=$!
        for _ in $(seq 100); do
            pgrep -P "$timeout_pid" >"$work/pid.tmp" && break
            sleep 0.01
        done
        mv "$work/pid.tmp" "$work/pid"
        wait "$timeout_pid"
        echo $? >"$work/rc.tmp"
        mv "$work/rc.tmp" "$work/rc"
    ) 2>/dev/null &
}

# start_qorv_for_input LIMIT_SECONDS [VAR=value...]: start_qorv for tests that
# send keys or close requests, drawing for real: the message loop makes Wine
# take in X input every frame, so a key arrives within a frame or two even at
# llvmpipe's pace. Follow it with wait_window and wait_focus before any key.
start_qorv_for_input() {
    start_qorv "$@"
}

is_running() { [ ! -e "$work/rc" ]; }

# wait_exit SECONDS: sets exit_code, or fails when qorv.exe is still running.
wait_exit() {
    local deadline=$((SECONDS + $1))
    while is_running; do
        [ "$SECONDS" -ge "$deadline" ] && fail "qorv.exe still running after $1 s"
        sleep 0.1
    done
    exit_code=$(cat "$work/rc")
}

# wait_window SECONDS: sets window to the visible window titled "qorv".
# Wine's first start in a prefix takes many seconds, hence generous waits.
wait_window() {
    local deadline=$((SECONDS + $1))
    window=""
    while [ -z "$window" ]; do
        is_running || fail "qorv.exe ended with $(cat "$work/rc") before showing its window"
        [ "$SECONDS" -ge "$deadline" ] && fail "no window titled qorv after $1 s"
        sleep 0.2
        window=$(xdotool search --onlyvisible --name '^qorv$' 2>/dev/null | head -n1)
    done
}

# wait_focus SECONDS: waits until the window manager has given the window the
# keyboard focus; keys sent before that go elsewhere.
wait_focus() {
    local deadline=$((SECONDS + $1))
    until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; do
        is_running || fail "qorv.exe ended with $(cat "$work/rc") before it had the focus"
        [ "$SECONDS" -ge "$deadline" ] && fail "the window had no keyboard focus after $1 s"
        sleep 0.1
    done
}

# Sets screen_width and screen_height.
read_screen_size() {
    read -r screen_width screen_height < <(xdotool getdisplaygeometry)
}

# Sets background to how many screen pixels lie within 2 of the show's
# background colour (51, 26, 0).
count_background() {
    local differing
    differing=$("$xshot" differing 51 26 0 2) || fail "cannot read the screen"
    background=$((screen_width * screen_height - differing))
}

# The window must cover the whole screen.
check_covers_screen() {
    read_screen_size
    local geometry position
    geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: *//p')
    position=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: *\([0-9-]*,[0-9-]*\).*/\1/p')
    [ "$geometry" = "${screen_width}x${screen_height}" ] ||
        fail "window is $geometry, screen is ${screen_width}x${screen_height}"
    [ "$position" = "0,0" ] || fail "window is at $position, not at 0,0"
}

# A short Ogg Vorbis file as the show's music.
make_music() {
    sox -n -r 44100 -c 2 "$work/run/c.ogg" synth 5 sine 440 || fail "cannot make c.ogg"
}
