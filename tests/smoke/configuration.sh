#!/usr/bin/env bash
# The Configuration dialog as a user reaches it: a real X server (Xvfb) and a real JACK server
# with a MIDI receiver; the context menu opened on a button and "Configuration..." chosen by
# keyboard, the grid changed from 5 x 3 to 4 x 4, applied and closed. The grid is checked by the
# window's size (whole cells) and by the messages of the buttons now in the bottom row, the
# settings file after closing.
# Usage: configuration.sh KEYRILL WM_CLOSE
set -euo pipefail
keyrill=$1
wm_close=$2

work=$(mktemp -d)
pids=()
cleanup() {
    # Last started, first stopped, with a pause after each (JACK clients before the server).
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
        sleep 0.3
    done
    rm -f /dev/shm/jack_sem.*_"${JACK_DEFAULT_SERVER:-none}"_* 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; for f in "$work"/*.log; do echo "--- $f" >&2; cat "$f" >&2; done; exit 1; }
wait_for() { # wait_for SECONDS COMMAND...: retries the command until it succeeds
    local limit=$(( $1 * 10 )); shift
    for ((i = 0; i < limit; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
received() { # received BYTES: whether the receiver got a message, e.g. "90 46 64"
    tr 'A-F' 'a-f' <"$work/dump.log" | sed 's/0x//g' | grep -q "$1"
}

display=""
for n in $(seq 90 190); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || fail "no free X display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for 10 xdotool getmouselocation || fail "Xvfb did not start"

export JACK_DEFAULT_SERVER="keyrill-config-smoke"
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
wait_for 10 jack_lsp || fail "jackd did not start"
stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
pids+=($!)
wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"

# A window of 303 x 205 pixels holds 5 x 3 whole cells of 101 x 41; 4 x 4 cells of that window
# are 75 x 51, so the grid of 4 x 4 makes it 300 x 204. Button 15 plays note 70 (0x46): at the
# foot of the third column in 5 x 3, in the third row of the fourth column in 4 x 4.
printf '%s\r\n' '[Windows]' 'Main Top=40' 'Main Left=40' 'Main Height=205' 'Main Width=303' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 15]' 'Caption=Hi' 'Message=1' 'Note=70' 'Velocity=100' '' >"$work/keyrill.ini"

"$keyrill" "$work/keyrill.ini" >"$work/keyrill.log" 2>&1 &
app=$!
pids+=($app)
window=""
for ((i = 0; i < 100; i++)); do
    window=$(xdotool search --onlyvisible --name '^Keyrill$' 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
done
[[ -n "$window" ]] || fail "the Keyrill window did not appear"
sleep 0.5
geometry() { xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=' | tr '\n' ' '; }
[[ "$(geometry)" == "WIDTH=303 HEIGHT=205 " ]] || fail "unexpected start size: $(geometry)"

# The context menu of button 1, then "Configuration..." by keyboard: Up from the top wraps to
# "Exit", then "About...", then "Configuration...".
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 20 10 click 3
sleep 0.5
xdotool key Up Up Up Return
dialog=""
for ((i = 0; i < 50; i++)); do
    dialog=$(xdotool search --onlyvisible --name '^Configuration$' 2>/dev/null | head -n 1 || true)
    [[ -n "$dialog" ]] && break
    sleep 0.1
done
[[ -n "$dialog" ]] || fail "the Configuration dialog did not open from the menu"
sleep 0.3

# The focus starts in the page list; Tab passes Close (Apply is still disabled) to the rows.
xdotool key Tab Tab ctrl+a 4
xdotool key Tab ctrl+a 4
# Back over rows and Close to Apply, press it, then Escape presses Close.
xdotool key shift+Tab shift+Tab shift+Tab space
sleep 0.3
xdotool key Escape
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Configuration\$'" ||
    fail "the Configuration dialog did not close"
sleep 0.3
[[ "$(geometry)" == "WIDTH=300 HEIGHT=204 " ]] ||
    fail "the window was not fitted to a grid of 4 x 4: $(geometry)"

# Third row of the fourth column: button 15 now; the bottom right is the new button 16, which
# sends the cleared definition (Note Off, note 0).
xdotool mousemove --window "$window" 260 120 click 1
wait_for 10 received '90 46 64' || fail "the cell of row 3, column 4 is not button 15"
xdotool mousemove --window "$window" 260 180 click 1
wait_for 10 received '80 00 00' || fail "the bottom-right cell did not play button 16"

"$wm_close" "$window" || fail "could not send the close request"
for ((i = 0; i < 100; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Keyrill did not end after the close request"
wait "$app" || fail "Keyrill exited with an error"

ini="$work/keyrill.ini"
grep -q $'^Button Rows=4\r$' "$ini" || fail "the rows were not saved"
grep -q $'^Button Cols=4\r$' "$ini" || fail "the columns were not saved"
grep -q $'^\[Button 16 Release\]\r$' "$ini" || fail "button 16 was not saved"
grep -q '^\[Button 17\]' "$ini" && fail "definitions beyond the grid were saved"
echo "configuration: menu by keyboard, 5 x 3 -> 4 x 4 applied, window 300 x 204, button 15 at" \
     "row 3 column 4, button 16 bottom right, the file holds rows 4 and columns 4"
