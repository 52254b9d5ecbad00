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
    reference_windows_refuse_to_close without_window_manager imposed_series_by_keys
    sending_dialog_placed_and_enter_held)
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

# A private X server on a free display, with openbox when $1 is "wm". The display is chosen
# here, not with Xvfb's -displayfd: two servers started at once that way can both take the
# same number, the loser removing the winner's socket as it goes. Xvfb takes its lock file
# before anything else, so a server that lost the race exits at once, and the lock file names
# the process that won.
start_x() {
    local attempt number
    for attempt in $(seq 30); do
        number=$((100 + (RANDOM + $$) % 800))
        [ -e "/tmp/.X$number-lock" ] && continue
        # -noreset: the server would reset when its last client leaves (xprop's check below),
        # and a program connecting meanwhile would be refused.
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$number"
        patiently x_server_ours && break
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    done
    [ -n "$xvfb_pid" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    [ "$1" = wm ] || return 0
    for attempt in 1 2 3; do
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        wm_pid=$!
        # A window manager announces itself on the root window.
        patiently wm_announced && return 0
        kill "$wm_pid" 2>/dev/null
        wait "$wm_pid" 2>/dev/null
        wm_pid=
    done
    echo "openbox did not start"; cat "$work/openbox.log"; exit 1
}

# Our Xvfb runs, holds the display's lock and answers.
x_server_ours() {
    kill -0 "$xvfb_pid" 2>/dev/null &&
        [ "$(tr -d ' \n' <"/tmp/${DISPLAY/:/.X}-lock" 2>/dev/null)" = "$xvfb_pid" ] &&
        xprop -root >/dev/null 2>&1
}

wm_announced() {
    kill -0 "$wm_pid" 2>/dev/null &&
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Runs a check again until it holds, for up to 20 s: on a loaded machine starting a program or
# an X server takes its time. Only what must come at all waits this long.
patiently() { retry 400 "$@"; }

# The program started in an example folder; waits for its main window.
start_program() {
    (cd "$examples/$1" && exec "$program") >"$work/kw.log" 2>&1 &
    kw_pid=$!
    main=$(patiently first_window '^Animation sur le commutateur') ||
        { fail "no main window"; cat "$work/kw.log"; return 1; }
    sleep 0.3
}

# Waits up to 20 s for the program to end; prints its exit status and how long it took.
wait_exit() {
    local start=$(date +%s%N)
    for _ in $(seq 400); do
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

# Runs a check again for up to 10 s until it holds: the program and the window manager answer
# in their own time.
eventually() { retry 200 "$@"; }

retry() { # tries check...: every 50 ms, at most that many times
    local tries=$1 _
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

running() { [ -n "$kw_pid" ] && kill -0 "$kw_pid" 2>/dev/null; }

# --- Windows --------------------------------------------------------------------------------

# Id of the program's mapped window whose title matches, waiting up to 20 s.
first_window() {
    xdotool search --all --onlyvisible --pid "$kw_pid" --name "$1" 2>/dev/null | head -1 | grep .
}

wait_window() {
    local id
    for _ in $(seq 400); do
        id=$(xdotool search --all --onlyvisible --pid "$kw_pid" --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# True when no mapped window of the program matches, after waiting up to 10 s.
window_gone() {
    for _ in $(seq 200); do
        xdotool search --all --onlyvisible --pid "$kw_pid" --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    return 1
}

# Screen position of a window's frame, the window manager's decorations included: the client
# area's less its place in the frame.
frame_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {ax = $4} /Absolute upper-left Y/ {ay = $4}
                             /Relative upper-left X/ {rx = $4} /Relative upper-left Y/ {ry = $4}
                             END {print ax - rx, ay - ry}'
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
    [ -n "$wm_pid" ] && timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
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
    for _ in $(seq 200); do viewable "$1" && { sleep 0.2; return 0; }; sleep 0.05; done
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
    for _ in $(seq 200); do iconic "$dialog" && break; sleep 0.05; done
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
        timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null
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

# The station dialogs are placed by their frame at the main window's corner + 100, at their
# first showing as at the next ones.
placed_from_main() { # dialog
    local mx my dx dy
    read -r mx my < <(frame_origin "$main")
    read -r dx dy < <(frame_origin "$1")
    echo "      main window's frame at $mx,$my, the dialog's at $dx,$dy"
    [ "$dx" -eq $((mx + 100)) ] && [ "$dy" -eq $((my + 100)) ]
}

# Ids of the warning boxes that come up within the given seconds, one a line.
boxes_seen_within() { # seconds
    local end=$(($(date +%s%N) + $1 * 1000000000))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        xdotool search --all --onlyvisible --pid "$kw_pid" --name '^Avertissement$' 2>/dev/null
        sleep 0.02
    done | sort -u
}

# Enter held on the sending dialog's cache, frame column 3 selected (it takes no address): the
# keyboard repeats the press for 2 s, and the program counts one error, shows one box and lets
# it wait for a press of its own. The dialog's frame is placed from the main window's, at its
# first showing and when it opens again.
scenario_sending_dialog_placed_and_enter_held() {
    start_x wm
    start_program serie_imposee || return
    click_diagram 30 200
    local dialog boxes
    dialog=$(wait_window '^Noeud') || { fail "the sending dialog did not open"; return; }
    sleep 0.3
    placed_from_main "$dialog" || fail "the sending dialog's first showing is not at the corner + 100"
    click "$dialog" 290 322 # frame cell 3, "Couches supérieures"
    key "$dialog" shift+Tab # from "Terminé" to the cache
    xdotool keydown Return
    boxes=$(boxes_seen_within 2)
    echo "      $(echo "$boxes" | grep -c .) warning box(es) while Enter was held"
    xdotool keyup Return
    sleep 0.5
    [ "$(echo "$boxes" | grep -c .)" -eq 1 ] ||
        fail "Enter held gave $(echo "$boxes" | grep -c .) warning boxes, not one"
    local box
    box=$(first_window '^Avertissement$') || fail "the box went away without a press of its own"
    if [ -n "$box" ]; then
        key "$box" Return
        window_gone '^Avertissement$' || fail "the box stayed after Enter"
    fi
    sleep 0.3
    ! xdotool search --all --onlyvisible --pid "$kw_pid" --name '^Avertissement$' >/dev/null ||
        fail "another box came after the key was released"
    key "$dialog" Escape
    window_gone '^Noeud' || fail "Escape left the sending dialog open"
    click_diagram 30 200
    dialog=$(wait_window '^Noeud') || { fail "the sending dialog did not open again"; return; }
    sleep 0.3
    placed_from_main "$dialog" || fail "the sending dialog's second showing is not at the corner + 100"
    key "$dialog" Escape
    window_gone '^Noeud' || fail "Escape left the sending dialog open"
    quit_from_menu
    answer_quit
}

# --- Keyboard only ---------------------------------------------------------------------------

# Keys typed as on a keyboard, to whatever window has the focus; the window expected in front
# (a title pattern) is waited for first, so that no key goes astray and a box or window that
# comes instead is a failure.
type_in() { # title-pattern key...
    local title=$1 front= waited=
    shift
    for _ in $(seq 400); do
        front=$(xdotool getactivewindow getwindowname 2>/dev/null)
        [[ $front =~ $title ]] && break
        waited=1
        sleep 0.05
    done
    [[ $front =~ $title ]] || { fail "\"$front\" in front instead of $title, for: $*"; return 1; }
    # A window just put in front gives its control the focus a moment later.
    [ -n "$waited" ] && sleep 0.15
    [ $# -eq 0 ] || xdotool key --delay 12 "$@"
}

repeat_key() { # key count: the key that many times
    local _
    for _ in $(seq "$2"); do printf '%s ' "$1"; done
}

# The diagram's elements in the order of the arrow keys: the servers, the switch, the hubs, the
# machines. Home or End, then the arrows, then Enter (or Space, for a station).
element_keys() { # element
    local order=(ServeurA ServeurB Switch Hub1 Hub2 M1 M2 M3 M4 M5 M6) at
    for at in "${!order[@]}"; do [ "${order[$at]}" = "$1" ] && break; done
    if [ "$at" -le 5 ]; then
        echo Home $(repeat_key Right "$at")
    else
        echo End $(repeat_key Left $((10 - at)))
    fi
}
press_element() { # element
    local activate=Return
    [[ $1 == M* || $1 == Serveur* ]] && activate=space
    type_in '^Animation' $(element_keys "$1") "$activate"
}

# A LED picture: Home, then Space on each LED to light, Right to the next one; Enter is
# "Terminé".
set_leds() { # title-pattern lit-LED...
    local title=$1 keys=(Home) k last=0
    shift
    for k in "$@"; do
        keys+=($(repeat_key Right $((k - 1 - last))) space)
        last=$((k - 1))
    done
    type_in "$title" "${keys[@]}" Return
}

# The sending dialog opens on "Terminé"; Shift+Tab: the cache, the destination's row; Tab, Tab:
# the frame, its first cell; back to the cache, Enter copies; the source's row into the second
# cell the same way; Tab to "Terminé", Enter. The arrows go from the row chosen last time.
cache_row=1
arrows_between() { # from-row to-row
    if [ "$2" -ge "$1" ]; then repeat_key Down $(($2 - $1)); else repeat_key Up $(($1 - $2)); fi
}
emit_by_keys() { # source destination (StationIndex, 9 for Broadcast)
    local source=$1 destination=$2
    press_element "$(station_element "$source")" || return
    type_in '^Noeud' shift+Tab $(arrows_between "$cache_row" "$destination") Tab Tab Home \
        shift+Tab shift+Tab Return $(arrows_between "$destination" "$source") Tab Tab Right \
        shift+Tab shift+Tab Return Tab Return || return
    cache_row=$source
}
station_element() { # StationIndex
    case $1 in 7) echo ServeurA ;; 8) echo ServeurB ;; *) echo "M$1" ;; esac
}

# The switch dialog opens on the frame: its second cell (the source's address), Enter; Tab to
# the port buttons, the arrows to the arrival port, Enter; Tab to "Destinataire via port", the
# arrows to the choice (a port, or "inconnu" below them), Space; Tab to the switch picture,
# Space. Then its LEDs.
switch_by_keys() { # arrival-port choice(1..4 or u) lit-LED...
    local port=$1 choice=$2 to_choice
    shift 2
    press_element Switch || return
    if [ "$choice" = u ]; then to_choice=Down; else to_choice=$(repeat_key Right $((choice - 1))); fi
    type_in '^Switch\.' Home Right Return Tab Left Left Left $(repeat_key Right $((port - 1))) \
        Return Tab Up Left Left Left $to_choice space Tab space || return
    set_leds '^Leds du' "$@"
}

hub_by_keys() { # hub lit-LED...
    local hub=$1
    shift
    press_element "Hub$hub" || return
    set_leds "^Fonction du Hub $hub" "$@"
}

# The receiving dialog opens on "Terminé": Tab to the copy box, Space, Enter.
receive_by_keys() { # station
    press_element "$(station_element "$1")" || return
    type_in '^R.ception' Tab space Return
}

# The progress window comes to the front on its first box: Tab to the hubs the frame did not
# reach, Space; Enter is "Fin du traitement de la trame"; Enter again on the message. Alt+Tab
# goes back to the main window.
end_by_keys() { # hubs not reached: "" "1" "2" or "12"
    local keys=()
    case $1 in
    1) keys=(Tab space) ;;
    2) keys=(Tab Tab space) ;;
    12) keys=(Tab space Tab space) ;;
    esac
    type_in '^Avancement$' "${keys[@]}" Return || return
    type_in '^Information$' Return || return
    type_in '^Avancement$' alt+Tab
}

series_end_shown() { # the end-of-series text under the diagram: black letters on the panel
    local x y
    read -r x y < <(diagram_origin)
    # grep -c reads to the end: an early exit would fail the pipe under pipefail.
    [ "$(import -window root -crop 521x33+$((x - 32))+$((y + 288)) txt:- 2>/dev/null |
        grep -c '#000000')" -gt 0 ]
}

# The whole imposed example series through the keyboard alone: no click, and the window in
# front is the one the program or the window manager puts there (Alt+Tab once the progress
# window has had its say). Any box of a student error, or a window out of turn, fails.
scenario_imposed_series_by_keys() {
    start_x wm
    start_program serie_imposee || return
    local receiver
    # 1. Machine 1 to unknown Machine 2: the switch floods.
    emit_by_keys 1 2 && hub_by_keys 1 1 4 6 8 && switch_by_keys 1 u 2 3 5 7 &&
        hub_by_keys 2 1 4 6 8 && receive_by_keys 2 && end_by_keys "" || return
    # 2. Machine 2 to Machine 1, known behind port 1: the switch filters.
    type_in '^Animation' alt+n && emit_by_keys 2 1 && hub_by_keys 1 2 3 6 8 &&
        switch_by_keys 1 1 2 && receive_by_keys 1 && end_by_keys 2 || return
    # 3. ServeurA to unknown Machine 5: flooded to both hubs.
    type_in '^Animation' alt+n && emit_by_keys 7 5 && switch_by_keys 2 u 1 4 5 7 &&
        hub_by_keys 1 2 4 6 7 && hub_by_keys 2 1 4 6 8 && receive_by_keys 5 && end_by_keys "" ||
        return
    # 4. Machine 3 to ServeurA, known behind port 2.
    type_in '^Animation' alt+n && emit_by_keys 3 7 && hub_by_keys 1 2 4 5 8 &&
        switch_by_keys 1 2 2 3 && receive_by_keys 7 && end_by_keys 2 || return
    # 5. Broadcast from Machine 5: every other station copies.
    type_in '^Animation' alt+n && emit_by_keys 5 9 && hub_by_keys 2 2 4 5 8 &&
        switch_by_keys 4 u 1 3 5 8 && hub_by_keys 1 2 4 6 7 || return
    for receiver in 1 2 3 4 6 7 8; do receive_by_keys "$receiver" || return; done
    end_by_keys "" || return
    # 6. Machine 1 to Machine 5, known behind port 4.
    type_in '^Animation' alt+n && emit_by_keys 1 5 && hub_by_keys 1 1 4 6 8 &&
        switch_by_keys 1 4 2 7 && hub_by_keys 2 1 4 6 8 && receive_by_keys 5 && end_by_keys "" ||
        return
    # 7. Broadcast from ServeurB.
    type_in '^Animation' alt+n && emit_by_keys 8 9 && switch_by_keys 3 u 1 3 6 7 &&
        hub_by_keys 1 2 4 6 7 && hub_by_keys 2 1 4 6 8 || return
    for receiver in 1 2 3 4 5 6 7; do receive_by_keys "$receiver" || return; done
    end_by_keys "" || return
    # 8. ServeurA to ServeurB, known behind port 3: no hub; the series ends.
    type_in '^Animation' alt+n && emit_by_keys 7 8 && switch_by_keys 2 3 4 5 &&
        receive_by_keys 8 || return
    ! series_end_shown || fail "the end-of-series text before the last frame is done"
    end_by_keys 12 || return
    type_in '^Animation' || return
    eventually series_end_shown || fail "no end-of-series text under the diagram"
    type_in '^Animation' alt+q || return
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
