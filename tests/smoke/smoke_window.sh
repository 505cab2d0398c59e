#!/usr/bin/env bash
# Smoke test of the real `moravel` under Xvfb, with trayer as the notification area: the
# window "Moravel" appears; its three tabs open, from the keyboard: the rule list and the
# settings dialog open and close, a cleaning archives the desktop and shows the cleaned files,
# and one of them comes back to the desktop; a second start ends at once with status 0, Esc
# hides the window into the tray, a second start brings it back, SIGTERM ends the program with
# status 0, and "MIN" starts it hidden.
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
# The visible windows titled like $1, one id a line.
visible_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | sort; }
# The first visible window titled like $1 that is not among the ids in $2.
new_window() { comm -13 <(echo "$2") <(visible_named "$1") | head -1; }
has_new_window() { [ -n "$(new_window "$1" "$2")" ]; }
closed() { ! visible_named "$1" | grep -qx "$2"; }
# Gives the keyboard to window $1 and presses the keys that follow.
keys_to() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.3
    xdotool key "$@"
}
# Waits for a window titled like $1 and closes it with the key $2.
close_window() {
    local title=$1 close=$2 dialog
    wait_for 300 has_new_window "$title" "" || fail "no window \"$title\" opened"
    dialog=$(new_window "$title" "")
    keys_to "$dialog" "$close"
    wait_for 100 closed "$title" "$dialog" || fail "the window \"$title\" did not close"
}
# Presses the keys that follow $1 and $2 in the main window, waits for a new window titled like
# $1 and closes it with the key $2.
open_and_close() {
    local title=$1 close=$2
    shift 2
    local before dialog
    before=$(visible_named "$title")
    keys_to "$window" "$@"
    wait_for 300 has_new_window "$title" "$before" || fail "no window \"$title\" opened"
    dialog=$(new_window "$title" "$before")
    keys_to "$dialog" "$close"
    wait_for 100 closed "$title" "$dialog" || fail "the window \"$title\" did not close"
    running "$first" || fail "moravel ended after the window \"$title\""
}
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

# The tabs, walked with Ctrl+Tab from "Clean your desktop": "Browse cleaned files" (an empty
# log yet), then "Options and Help", where the first button opens the rule list and the next one
# the settings dialog, each closed with Esc; back on "Clean your desktop", "Start Cleaning" asks
# to confirm and archives both items (the first-run rule), says "Cleaning finished" and shows
# "Browse cleaned files" with them, the first one selected: Alt+R restores it.
keys_to "$window" ctrl+Tab
sleep 0.5
running "$first" || fail "moravel ended on the tab \"Browse cleaned files\""
open_and_close '^Rule List$' Escape ctrl+Tab space
open_and_close '^Options$' Escape Tab space
echo "ok: the tab \"Options and Help\" opened the rule list and the settings dialog"
open_and_close '^Confirm actions$' Return ctrl+Tab space
archive="$HOME/Documents/My Desktop Files"
archived() { [ "$(find "$archive" -type f | wc -l)" -eq 2 ]; }
wait_for 300 archived || fail "the cleaning did not archive the two items"
# Titled by the application's title, "Moravel." or "Moravel - Next reminder ...".
close_window '^Moravel.+' Return
[ -z "$(ls -A "$HOME/Desktop")" ] || fail "the desktop is not empty after the cleaning"
keys_to "$window" alt+r
restored() { [ -f "$HOME/Desktop/notes.md" ]; }
wait_for 300 restored || fail "Restore to Desktop did not bring notes.md back"
[ "$(cat "$HOME/Desktop/notes.md")" = notes ] || fail "notes.md came back with other contents"
running "$first" || fail "moravel ended on the restore"
echo "ok: the three tabs opened: a cleaning showed the cleaned files, and one came back"

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
