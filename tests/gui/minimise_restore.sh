#!/usr/bin/env bash
# The main window minimised and restored under a real X server and window
# manager (Xvfb and openbox) while tool windows are open. The window manager
# must report the main window back in the normal state, and it must stay so;
# the editors come back with it, beside it. Driven with xdotool and wmctrl,
# checked with xprop.
#   minimise_restore.sh QUORVAN QUORVAN_MAKEDEMO
# Exits 77 (skipped) where Xvfb, openbox, xdotool, wmctrl or xprop is missing.
set -u

quorvan=$1
makedemo=$2

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

for tool in Xvfb openbox xdotool wmctrl xprop xwininfo; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool is not installed (scripts/common.sh installs Xvfb, openbox, xdotool, wmctrl and x11-utils)"
done

work=$(mktemp -d)
pids=()
cleanup() {
    # Only the processes this script started, newest first.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Polls a command every 0.1 s until it succeeds; gives up after $1 seconds.
wait_for() {
    local seconds=$1; shift
    local tries=$((seconds * 10))
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# --- An X server of its own (it picks a free display) and the window manager.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 10 eval 'wmctrl -m >/dev/null 2>&1' || fail "openbox did not start: $(cat "$work/openbox.log")"

"$makedemo" "$work/demo.nes" --seed 1 >/dev/null || fail "could not make the demo image"

# The program's settings go to the sandbox, not to the user's.
export XDG_CONFIG_HOME="$work/config" HOME="$work"
export QT_QPA_PLATFORM=xcb

window_id() { wmctrl -l | awk -v title="$1" '{ t = $4; for (i = 5; i <= NF; i++) t = t " " $i } t == title { print $1; exit }'; }
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state:/ { print $3 }'; }
net_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null; }
is_normal() { [ "$(wm_state "$1")" = Normal ] && ! net_state "$1" | grep -q _NET_WM_STATE_HIDDEN; }
is_iconic() { [ "$(wm_state "$1")" = Iconic ]; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
found() { [ -n "$(window_id "$1")" ]; }
describe() { echo "WM_STATE $(wm_state "$1"), $(net_state "$1")"; }

# Client rectangles "x y w h" as the window manager reports them.
geometry() { wmctrl -lG | awk -v id="$1" '$1 == id { print $3, $4, $5, $6 }'; }
overlap() {
    local a b
    read -r -a a <<<"$(geometry "$1")"
    read -r -a b <<<"$(geometry "$2")"
    ((a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3]))
}

main_title="Quorvan V0.4"

# Minimises the main window and restores it as the window list does; it must
# come back and stay in the normal state, and each of the tool windows named
# must come back with it.
minimise_and_restore() {
    local main=$1; shift
    xdotool windowminimize "$main"
    wait_for 5 is_iconic "$main" || fail "the main window was not minimised ($(describe "$main"))"
    for title in "$@"; do
        local id; id=$(window_id "$title")
        [ -z "$id" ] || ! is_viewable "$id" || fail "$title stayed on the screen while the main window was minimised"
    done
    wmctrl -i -a "$main"
    wait_for 5 is_normal "$main" || fail "the main window could not be restored ($(describe "$main"))"
    sleep 1 # the fault put it back to the iconic state within milliseconds
    is_normal "$main" || fail "the main window went back to the iconic state after its restore ($(describe "$main"))"
    for title in "$@"; do
        wait_for 5 found "$title" || fail "$title did not come back"
        local id; id=$(window_id "$title")
        wait_for 5 is_normal "$id" || fail "$title came back minimised ($(describe "$id"))"
    done
}

start_program() {
    "$quorvan" "$work/demo.nes" --stage 1 --tools "$1" >"$work/quorvan.log" 2>&1 &
    program=$!
    pids+=("$program")
    wait_for 15 found "$main_title" || fail "the main window did not appear: $(cat "$work/quorvan.log")"
    main=$(window_id "$main_title")
    wait_for 5 is_normal "$main" || fail "the main window did not open normally ($(describe "$main"))"
}

stop_program() {
    kill "$program" 2>/dev/null
    wait_for 10 eval '! kill -0 "$program" 2>/dev/null' || kill -9 "$program" 2>/dev/null
}

check_case() {
    local name=$1 tools=$2; shift 2
    echo "--- $name"
    start_program "$tools"
    for title in "$@"; do
        wait_for 10 found "$title" || fail "$title did not open"
        wait_for 5 is_normal "$(window_id "$title")" || fail "$title did not open normally"
        overlap "$main" "$(window_id "$title")" && fail "$title opened over the main window"
    done
    minimise_and_restore "$main" "$@"
    minimise_and_restore "$main" "$@"
    kill -0 "$program" 2>/dev/null || fail "the program ended: $(cat "$work/quorvan.log")"
    stop_program
    echo "PASS: $name"
}

check_case "palette editor open" palette "Palette Editor"
check_case "tile editor open" tile "Tile Editor"
check_case "both editors open" palette,tile "Palette Editor" "Tile Editor"
check_case "stage overview open" overview "Stage Overview"
check_case "overview and both editors open" overview,palette,tile "Stage Overview" "Palette Editor" "Tile Editor"

# The about box stays away on restore; opened again afterwards from the Help
# menu, it must come up normally and leave the main window alone.
echo "--- about box opened again after a restore"
start_program about
wait_for 10 found "About Quorvan" || fail "the about box did not open"
minimise_and_restore "$main"
about=$(window_id "About Quorvan")
[ -z "$about" ] || ! is_viewable "$about" || fail "the about box came back on restore"
xdotool key --clearmodifiers alt+h
sleep 0.5
xdotool key a
wait_for 5 found "About Quorvan" || fail "\"&About\" did not open the about box again"
sleep 1
is_normal "$main" || fail "opening the about box minimised the main window ($(describe "$main"))"
about=$(window_id "About Quorvan")
is_normal "$about" || fail "the about box came up minimised ($(describe "$about"))"
stop_program
echo "PASS: about box opened again after a restore"
