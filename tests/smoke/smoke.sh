#!/usr/bin/env bash
# The built program as a user runs it: a real X server (Xvfb), a real JACK server with a MIDI
# receiver, a click and a hot key with xdotool, a window-manager close request, and the settings
# file saved.
# Usage: smoke.sh KEYRILL WM_CLOSE
set -euo pipefail
keyrill=$1
wm_close=$2

work=$(mktemp -d)
pids=()
cleanup() {
    # Last started, first stopped, with a pause after each: JACK's clients go before the server,
    # and the server must have seen them go (one stopped while writing to a client that has just
    # died dies of a broken pipe and never leaves the server registry), then the server before X.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
        sleep 0.3
    done
    # Semaphores of clients still attached when the server stopped.
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

# A display nobody else uses.
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
export JACK_DEFAULT_SERVER="keyrill-smoke"
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
wait_for 10 jack_lsp || fail "jackd did not start"
stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
pids+=($!)
wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"

# Output 1 on the receiver (the only MIDI input port, so device 0); button 1 plays Note On 60
# on press and Note Off 60 on release.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' \
    '[Button 2]' 'HotKey=K' 'Message=1' 'Note=62' 'Velocity=90' '' >"$work/keyrill.ini"

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

xdotool mousemove --window "$window" 20 10 click 1
wait_for 10 sh -c "tr 'A-F' 'a-f' < '$work/dump.log' | sed 's/0x//g' | grep -q '80 3c 00'" ||
    fail "the receiver did not get the release message"
normalised=$(tr 'A-F' 'a-f' <"$work/dump.log" | sed 's/0x//g')
grep -q '90 3c 64' <<<"$normalised" || fail "the receiver did not get the press message"

# Hot key K plays button 2 from the keyboard.
xdotool windowfocus --sync "$window" key k
wait_for 10 sh -c "tr 'A-F' 'a-f' < '$work/dump.log' | sed 's/0x//g' | grep -q '90 3e 5a'" ||
    fail "the hot key sent nothing"

"$wm_close" "$window" || fail "could not send the close request"
for ((i = 0; i < 100; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Keyrill did not end after the close request"
wait "$app" || fail "Keyrill exited with an error"

grep -q $'^\[Button 15 Release\]\r$' "$work/keyrill.ini" || fail "the settings file was not saved"
grep -q $'^Caption=Play\r$' "$work/keyrill.ini" || fail "button 1 was not saved"
echo "smoke: click sent 90 3C 64 / 80 3C 00, hot key K sent 90 3E 5A, the settings file was saved"
