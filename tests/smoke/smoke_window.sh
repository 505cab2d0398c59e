#!/usr/bin/env bash
# Smoke test of the real `moravel` under Xvfb, with trayer as the notification area: the
# window "Moravel" appears, a second start ends at once with status 0, Esc hides the window into
# the tray, a second start brings it back, SIGTERM ends the program with status 0, and "MIN"
# starts it hidden.
# Usage: smoke_window.sh PATH-TO-MORAVEL. Exit status 77 (skipped) when a tool is missing.
set -uo pipefail

moravel=${1:?usage: smoke_window.sh PATH-TO-MORAVEL}

for tool in xvfb-run Xvfb xauth trayer xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup installs it)"
        exit 77
    fi
done

# Run the rest inside a display of its own.
if [ -z "${MORAVEL_SMOKE_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
        env MORAVEL_SMOKE_DISPLAY=1 bash "$0" "$@"
fi

fail() {
    echo "FAIL: $*"
    exit 1
}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A home of its own with a desktop holding a few items.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME/Desktop" "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOCUMENTS_DIR="$HOME/Documents"\n' \
    >"$XDG_CONFIG_HOME/user-dirs.dirs"
echo report >"$HOME/Desktop/report.txt"
echo notes >"$HOME/Desktop/notes.md"
export LANG=C.UTF-8 LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# Waits up to $1 tenths of a second for the command to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The visible window titled "Moravel" that is the main window (the tray icon shares the title).
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Moravel$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$WIDTH" -gt 200 ]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
no_main_window() { ! main_window >/dev/null; }
tray_ready() { xwininfo -root -tree | grep -q '"panel"'; }
# A window "Moravel" inside trayer's panel: the icon docked in the tray.
tray_icon_docked() {
    xwininfo -root -tree | awk '/"panel"/ { inside = 1; next } inside && /^     0x/ { inside = 0 }
                                inside' | grep -q '"Moravel"'
}
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }

# Ends the program with SIGTERM and checks that it ends at once, with status 0.
terminate() {
    local pid=$1
    kill -TERM "$pid"
    wait_for 100 ended "$pid" || fail "moravel did not end on SIGTERM"
    wait "$pid"
    local status=$?
    [ "$status" -eq 0 ] || fail "moravel ended with status $status on SIGTERM"
}

trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
pids+=($!)
wait_for 100 tray_ready || fail "trayer did not start"

# It starts and its window appears.
"$moravel" &
first=$!
pids+=("$first")
wait_for 300 main_window || fail "the window \"Moravel\" did not appear"
window=$(main_window)
wait_for 100 tray_icon_docked || fail "the tray icon did not appear in the tray"
echo "ok: the window \"Moravel\" appeared, with its tray icon"

# A second start ends at once, with status 0, and leaves the first alone.
start=$(date +%s)
timeout 30 "$moravel"
status=$?
[ "$status" -eq 0 ] || fail "the second start ended with status $status"
[ $(($(date +%s) - start)) -le 10 ] || fail "the second start took more than 10 seconds"
running "$first" || fail "the first moravel ended when the second started"
main_window >/dev/null || fail "the second start changed the first window"
echo "ok: a second start ended at once with status 0"

# Esc hides the window; the program stays in the tray.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.3
xdotool key Escape
wait_for 100 no_main_window || fail "Esc did not hide the window"
sleep 0.5
running "$first" || fail "moravel ended on Esc"
tray_icon_docked || fail "the tray icon went away on Esc"
echo "ok: Esc hid the window into the tray"

# Started again, Moravel brings its hidden window back and the new start ends at once; a start
# at login ("MIN") leaves it in the tray.
timeout 30 "$moravel" MIN || fail "a second start with MIN failed"
sleep 1
no_main_window || fail "a second start with MIN showed the window"
timeout 30 "$moravel" || fail "a second start failed"
wait_for 100 main_window || fail "a second start did not bring the window back"
running "$first" || fail "the first moravel ended when the second started"
echo "ok: a second start brought the window back"

terminate "$first"
echo "ok: SIGTERM ended moravel with status 0"

# "MIN" starts hidden in the tray.
"$moravel" MIN &
hidden=$!
pids+=("$hidden")
wait_for 300 tray_icon_docked || fail "moravel MIN put no icon into the tray"
sleep 1
running "$hidden" || fail "moravel MIN ended"
no_main_window || fail "moravel MIN showed its window"
terminate "$hidden"
echo "ok: MIN started hidden in the tray"
