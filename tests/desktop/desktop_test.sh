#!/usr/bin/env bash
# The real program on a real X desktop: a private Xvfb, with the openbox window manager or
# without any, driven through X as a person would (xdotool clicks and keys, window-manager
# requests, the stacking order read from the X server). It covers what no offscreen test can
# see: quitting, minimising and restoring, stacking, close boxes.
#   desktop_test.sh <kw_switch> <examples folder> [scenario...]     (default: all scenarios)
#   desktop_test.sh --list                                           the scenarios' names
# Exit status 77 (skipped) when Xvfb, openbox or xdotool is missing.
set -uo pipefail

scenarios=(quit_from_menu minimise_restore_then_close_box boxes_above_reference_windows
    reference_windows_refuse_to_close without_window_manager)
if [ "${1:-}" = --list ]; then
    echo "${scenarios[*]}"
    exit 0
fi

program=$(readlink -f "$1")
examples=$(readlink -f "$2")
shift 2
for tool in Xvfb openbox xdotool xprop xwininfo wmctrl import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid= wm_pid= kw_pid=
current=
: >"$work/failures"

cleanup_session() {
    [ -n "$kw_pid" ] && kill -9 "$kw_pid" 2>/dev/null && wait "$kw_pid" 2>/dev/null
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    kw_pid= wm_pid= xvfb_pid=
}
trap 'cleanup_session; rm -rf "$work"' EXIT

# Failures are written to a file: helpers run in subshells ($(...)) report them too.
fail() {
    echo "FAIL [$current]: $*" | tee -a "$work/failures" >&2
    import -window root "$work/$current.png" 2>/dev/null &&
        echo "      screen kept in $work/$current.png (kept only while the test runs)"
    return 1
}

# --- X session ------------------------------------------------------------------------------

# A private X server on a free display, with openbox when $1 is "wm".
start_x() {
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=
    read -r -t 10 number <&3 || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    exec 3<&-
    export DISPLAY=":$number"
    if [ "$1" = wm ]; then
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        wm_pid=$!
        # A window manager announces itself on the root window.
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
            sleep 0.05
        done
        echo "openbox did not start"; cat "$work/openbox.log"; exit 1
    fi
}

# The program started in an example folder; waits for its main window.
start_program() {
    (cd "$examples/$1" && exec "$program") >"$work/kw.log" 2>&1 &
    kw_pid=$!
    main=$(wait_window '^Animation sur le commutateur') || { fail "no main window"; return 1; }
    sleep 0.3
}

# Waits up to 5 s for the program to end; prints its exit status and how long it took.
wait_exit() {
    local start=$(date +%s%N)
    for _ in $(seq 100); do
        if ! kill -0 "$kw_pid" 2>/dev/null; then
            wait "$kw_pid"
            local status=$?
            echo "      ended with status $status after $((($(date +%s%N) - start) / 1000000)) ms"
            kw_pid=
            return "$status"
        fi
        sleep 0.05
    done
    return 124
}

# Runs a check again for up to 5 s until it holds: the program and the window manager answer
# in their own time.
eventually() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

running() { [ -n "$kw_pid" ] && kill -0 "$kw_pid" 2>/dev/null; }

# --- Windows --------------------------------------------------------------------------------

# Id of the program's mapped window whose title matches, waiting up to 5 s.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --all --onlyvisible --pid "$kw_pid" --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# True when no mapped window of the program matches, after waiting up to 2 s.
window_gone() {
    for _ in $(seq 40); do
        xdotool search --all --onlyvisible --pid "$kw_pid" --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    return 1
}

# Window of the program by title, mapped or not.
window_named() { xdotool search --all --pid "$kw_pid" --name "$1" 2>/dev/null | head -1; }

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }

# Screen position of a window's client area, and its size.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
                             /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}

# Keys typed on a window as a person does: focused first (the X server delivers typed keys to
# the focused window; keys sent to a window directly are marked as synthetic).
key() { # window key...
    local window=$1
    shift
    [ -n "$wm_pid" ] && xdotool windowactivate --sync "$window" 2>/dev/null
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --delay 80 "$@"
    sleep 0.2
}

click() { # window x y [clicks]: left click in the window's client area
    local x y w h
    read -r x y w h < <(geometry "$1")
    xdotool mousemove $((x + $2)) $((y + $3))
    sleep 0.1
    xdotool click --repeat "${4:-1}" --delay 60 1
    sleep 0.25
}

# The diagram's top left corner in the main window: the menu bar's height depends on the
# style, so it is found as the first row of the diagram's grey below the yellow label.
diagram_origin() {
    local x y w h
    read -r x y w h < <(geometry "$main")
    local row
    row=$(import -window "$main" -crop 1x$h+73+0 txt:- 2>/dev/null |
        awk -F'[,:]' '/#CCCCCC/ {print $2; exit}')
    [ -n "$row" ] || { fail "diagram not found in the main window"; return 1; }
    echo $((x + 72)) $((y + row))
}

click_diagram() { # picture x y
    local x y
    read -r x y < <(diagram_origin)
    xdotool mousemove $((x + $1)) $((y + $2))
    sleep 0.1
    xdotool click 1
    sleep 0.3
}

diagram_pixel() { # picture x y: #RRGGBB
    local x y
    read -r x y < <(diagram_origin)
    import -window root -crop 1x1+$((x + $1))+$((y + $2)) txt:- 2>/dev/null |
        grep -o '#[0-9A-F]\{6\}' | head -1
}

# Stacking order from the window manager, bottom to top.
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'; }

# True when window $1 is stacked above every other window given.
stacked_above() {
    local order top=$(printf '0x%x' "$1") other
    order=$(stacking)
    local top_at=$(echo "$order" | grep -nx "$top" | cut -d: -f1)
    [ -n "$top_at" ] || return 1
    shift
    for other in "$@"; do
        local at=$(echo "$order" | grep -nx "$(printf '0x%x' "$other")" | cut -d: -f1)
        [ -n "$at" ] && [ "$at" -lt "$top_at" ] || return 1
    done
}

restore() { # window: un-minimise it as a click on its task-bar button does
    wmctrl -i -a "$(printf '0x%x' "$1")"
    for _ in $(seq 40); do viewable "$1" && { sleep 0.2; return 0; }; sleep 0.05; done
    return 1
}

# Restores both reference windows; they open at the screen's centre, over the diagram.
restore_reference_windows() {
    progress=$(window_named '^Avancement$')
    addresses=$(window_named '^Adresses MAC$')
    restore "$progress" && restore "$addresses" || fail "reference windows not restored"
}

# The menu through the keyboard, whatever the width of its captions: Alt enters the menu bar,
# Left from the first item wraps to the last one, "Quitter".
menu_item() { # items to go left from the first one, wrapping
    local keys=(alt) _
    for _ in $(seq "$1"); do keys+=(Left); done
    key "$main" "${keys[@]}" Return
}
quit_from_menu() { menu_item 1; }
about_from_menu() { menu_item 2; }
quit_from_close_box() { wmctrl -i -c "$(printf '0x%x' "$main")"; }

# "Terminer ?" answered OK: the program ends.
answer_quit() {
    local box
    box=$(wait_window '^Confirmation$') || { fail "no \"Terminer ?\" box"; return 1; }
    key "$box" Return
    wait_exit
    local status=$?
    [ "$status" -eq 0 ] || fail "the program did not end with status 0 after OK (got $status)"
}

# The first exercise of the imposed series is Machine 1 to Machine 2: Machine 1 emits.
# Station 1's icon, and the sending dialog's cells: cache rows 21 px apart (a 20-px cell and its
# grid line) from y 25, frame at y 312.
emit_first_frame() {
    click_diagram 30 200
    local dialog
    dialog=$(wait_window '^Noeud') || { fail "the sending dialog did not open"; return 1; }
    click "$dialog" 344 75 2  # Machine 2's address into the selected frame cell 0
    click "$dialog" 157 322   # frame cell 1
    click "$dialog" 344 55 2  # Machine 1's address
    echo "$dialog"
}

cable_one_white() { [ "$(diagram_pixel 28 192)" = "#FFFFFF" ]; }

# --- Scenarios ------------------------------------------------------------------------------

# Annuler keeps the program; OK ends it, from the menu, with the reference windows minimised
# as they start.
scenario_quit_from_menu() {
    start_x wm
    start_program serie_imposee || return
    quit_from_menu
    local box
    box=$(wait_window '^Confirmation$') || { fail "no \"Terminer ?\" box"; return; }
    key "$box" Escape
    window_gone '^Confirmation$' || fail "the box stayed after Annuler"
    sleep 0.3
    running || { fail "Annuler ended the program"; return; }
    viewable "$main" || fail "the main window went away after Annuler"
    quit_from_menu
    answer_quit
}

# The sending dialog minimised and restored keeps the copied addresses: "Terminé" then emits
# the frame without any error box. Then, with the reference windows restored and the sending
# dialog open for review, the close box ends the program.
scenario_minimise_restore_then_close_box() {
    start_x wm
    start_program serie_imposee || return
    local dialog
    dialog=$(emit_first_frame) || return
    xdotool windowminimize "$dialog"
    for _ in $(seq 40); do iconic "$dialog" && break; sleep 0.05; done
    iconic "$dialog" || fail "the sending dialog was not minimised"
    restore "$dialog" || fail "the sending dialog was not restored"
    click "$dialog" 90 150 # "Terminé"
    window_gone '^Noeud' || fail "the sending dialog stayed open: the addresses were lost"
    ! xdotool search --all --onlyvisible --pid "$kw_pid" --name '^Avertissement$' >/dev/null ||
        fail "\"Terminé\" counted an error after the restore"
    eventually cable_one_white || fail "cable 1 is not white: no frame emitted"

    restore_reference_windows
    click_diagram 30 200 # the sender again: its dialog opens for review, modeless
    wait_window '^Noeud' >/dev/null || fail "no review view of the sending dialog"
    quit_from_close_box
    answer_quit
}

# With both reference windows restored over the diagram, every box comes above them: a
# warning of a wrong click, the about box and "Terminer ?".
scenario_boxes_above_reference_windows() {
    start_x wm
    start_program serie_imposee || return
    restore_reference_windows
    click_diagram 89 205 # Machine 2 is not the sender (and lies clear of the reference windows)
    local box
    box=$(wait_window '^Avertissement$') || { fail "no warning box"; return; }
    eventually stacked_above "$box" "$progress" "$addresses" "$main" ||
        fail "the warning box is below a reference window: $(stacking | tr '\n' ' ')"
    key "$box" Return
    window_gone '^Avertissement$' || fail "the warning box stayed"

    about_from_menu
    box=$(wait_window '^KW SWITCH$') || { fail "no about box"; return; }
    eventually stacked_above "$box" "$progress" "$addresses" ||
        fail "the about box is below a reference window"
    key "$box" Return
    window_gone '^KW SWITCH$' || fail "the about box stayed"

    stacked_above "$progress" "$main" && stacked_above "$addresses" "$main" ||
        fail "a reference window fell below the main window"
    quit_from_menu
    box=$(wait_window '^Confirmation$') || { fail "no \"Terminer ?\" box"; return; }
    eventually stacked_above "$box" "$progress" "$addresses" || fail "\"Terminer ?\" is below a reference window"
    key "$box" Return
    wait_exit || fail "the program did not end"
}

# The address list has a close box, and refuses to close by it or by Alt+F4, silently; so
# does the progress window. Both stay reachable: restored from minimised.
scenario_reference_windows_refuse_to_close() {
    start_x wm
    start_program serie_imposee || return
    restore_reference_windows
    local window hints
    for window in "$addresses" "$progress"; do
        # Motif hints: functions (second field) include close (0x20).
        hints=$(xprop -id "$window" _MOTIF_WM_HINTS | grep -o '0x[0-9a-f]*' | sed -n 2p)
        [ $((hints & 0x20)) -ne 0 ] || fail "$(xdotool getwindowname "$window") has no close box"
        wmctrl -i -c "$(printf '0x%x' "$window")"
        sleep 0.3
        xdotool windowactivate --sync "$window" 2>/dev/null
        key "$window" alt+F4
        sleep 0.4
        viewable "$window" || fail "$(xdotool getwindowname "$window") was closed"
    done
    ! xdotool search --all --onlyvisible --pid "$kw_pid" --name '^(Avertissement|Erreur|Confirmation)$' \
        >/dev/null || fail "refusing to close showed a box"
    running || fail "the program ended"
    quit_from_menu
    answer_quit
}

# On a bare X server nothing minimises: both reference windows are in view beside the main
# window, covering none of it, and quitting still ends the program.
scenario_without_window_manager() {
    start_x bare
    start_program serie_imposee || return
    sleep 0.5
    local window mx my mw mh x y w h
    read -r mx my mw mh < <(geometry "$main")
    for name in '^Avancement$' '^Adresses MAC$'; do
        window=$(window_named "$name")
        viewable "$window" || { fail "$name is not in view"; continue; }
        read -r x y w h < <(geometry "$window")
        if [ $((x + w)) -gt "$mx" ] && [ "$x" -lt $((mx + mw)) ] &&
            [ $((y + h)) -gt "$my" ] && [ "$y" -lt $((my + mh)) ]; then
            fail "$name covers the main window"
        fi
    done
    quit_from_menu
    answer_quit
}

for current in "${@:-${scenarios[@]}}"; do
    echo "-- $current"
    before=$(wc -l <"$work/failures")
    "scenario_$current"
    [ "$(wc -l <"$work/failures")" -eq "$before" ] && echo "   ok"
    cleanup_session
done
failures=$(wc -l <"$work/failures")
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all scenarios passed"
