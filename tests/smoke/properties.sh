#!/usr/bin/env bash
# Editing a button as a user does it, on a real X server (Xvfb) and a real JACK server with a
# MIDI receiver: right-click a button, open "Button Properties" from the menu with the keyboard,
# change the Press caption and message with the keyboard, click the Example (its bytes reach the
# receiver), press Enter, close the program, and find the new definition in the settings file.
# Usage: properties.sh KEYRILL WM_CLOSE
set -euo pipefail
keyrill=$1
wm_close=$2

work=$(mktemp -d)
pids=()
cleanup() {
    # Last started, first stopped, with a pause after each: JACK's clients go before the server,
    # and the server must have seen them go, then the server before X.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
        sleep 0.3
    done
    rm -f /dev/shm/jack_sem.*_"${JACK_DEFAULT_SERVER:-none}"_* 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; for f in "$work"/*.log "$work"/keyrill.ini; do echo "--- $f" >&2; cat "$f" >&2; done; exit 1; }
wait_for() { # wait_for SECONDS COMMAND...: retries the command until it succeeds
    local limit=$(( $1 * 10 )); shift
    for ((i = 0; i < limit; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
received() { tr 'A-F' 'a-f' <"$work/dump.log" | sed 's/0x//g' | grep -q "$1"; }
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

display=""
for n in $(seq 90 190); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || fail "no free X display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for 10 xdotool getmouselocation || fail "Xvfb did not start"

# A fixed name: JACK frees a dead server's registry entry only for a new server of the same name.
export JACK_DEFAULT_SERVER="keyrill-properties"
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
wait_for 10 jack_lsp || fail "jackd did not start"
stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
pids+=($!)
wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"

# Output 1 on the receiver; button 1 plays Note On 60 on press and Note Off 60 on release.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' >"$work/keyrill.ini"

"$keyrill" "$work/keyrill.ini" >"$work/keyrill.log" 2>&1 &
app=$!
pids+=($app)
wait_for 10 find_window '^Keyrill$' || fail "the Keyrill window did not appear"
window=$(find_window '^Keyrill$')
sleep 0.5

# The context menu of button 1, then its first enabled item by keyboard.
xdotool mousemove --window "$window" 20 10 click 3
sleep 0.5
xdotool key Down Return
wait_for 10 find_window '^Button 1 Properties$' || fail "the Properties dialog did not open"
dialog=$(find_window '^Button 1 Properties$')
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.3

# The focus starts on the action list: Cancel, the tab bar (OK is still disabled), the caption.
xdotool key Tab Tab Tab ctrl+a
xdotool type --delay 20 'Snare'
# Next field: the message list, two kinds on from "Note On" to "Control Change".
xdotool key Tab Down Down
sleep 0.3
# The Example (161 x 79 at 149, 185 in the dialog) sends the edited Press, then the Release.
xdotool mousemove --window "$dialog" 229 225 click 1
wait_for 10 received 'b0 3c 64' || fail "the Example did not send the edited Press message"
wait_for 10 received '80 3c 00' || fail "the Example did not send the Release message"
xdotool key Return
for ((i = 0; i < 50; i++)); do [[ -z "$(find_window '^Button 1 Properties$')" ]] && break; sleep 0.1; done
[[ -z "$(find_window '^Button 1 Properties$')" ]] || fail "Enter did not close the dialog with OK"

"$wm_close" "$window" || fail "could not send the close request"
for ((i = 0; i < 100; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Keyrill did not end after the close request"
wait "$app" || fail "Keyrill exited with an error"

button1=$(sed -n '/^\[Button 1\]\r$/,/^\r$/p' "$work/keyrill.ini")
grep -q $'^Caption=Snare\r$' <<<"$button1" || fail "the new caption was not saved"
grep -q $'^Message=3\r$' <<<"$button1" || fail "the new message was not saved"
grep -q $'^Note=60\r$' <<<"$button1" || fail "the note was lost"
echo "properties: menu by keyboard, Example sent B0 3C 64 / 80 3C 00, the new definition was saved"
