#!/usr/bin/env bash
# The built program and KEYRILL_MIDI_API, as a user runs it under a real X server (Xvfb):
# an unknown value is reported on standard error and the program still starts; "jack" publishes
# the virtual output "Keyrill:Output 1", which a receiver connects to after the start and which
# then carries a click; the settings file keeps the virtual choice.
# Usage: midi_api.sh KEYRILL WM_CLOSE
set -euo pipefail
keyrill=$1
wm_close=$2

work=$(mktemp -d)
pids=()
cleanup() {
    # Last started, first stopped: JACK's clients before the server, the server before X.
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
# start_keyrill LOG INI: starts the program, sets $app and $window
start_keyrill() {
    "$keyrill" "$2" >"$1" 2>&1 &
    app=$!
    pids+=($app)
    window=""
    for ((i = 0; i < 100; i++)); do
        window=$(xdotool search --onlyvisible --name '^Keyrill$' 2>/dev/null | head -n 1 || true)
        [[ -n "$window" ]] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n "$window" ]] || fail "the Keyrill window did not appear"
}
close_keyrill() {
    "$wm_close" "$window" || fail "could not send the close request"
    for ((i = 0; i < 100; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "Keyrill did not end after the close request"
    wait "$app" || fail "Keyrill exited with an error"
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

# 1. An unknown value: the error on standard error, then the default order (no MIDI system runs
# here, so the window opens without devices).
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' \
    >"$work/plain.ini"
export JACK_DEFAULT_SERVER="keyrill-absent-$$"
KEYRILL_MIDI_API=pipewire start_keyrill "$work/bad.log" "$work/plain.ini"
expected='Keyrill: unknown MIDI system in KEYRILL_MIDI_API="pipewire"; accepted values are "alsa" and "jack". Using the default order (ALSA, then JACK).'
grep -qxF "$expected" "$work/bad.log" || fail "no clear error for KEYRILL_MIDI_API=pipewire"
close_keyrill

# 2. KEYRILL_MIDI_API=jack with output 1 on the virtual output, as the settings file stores it.
# A fixed name: JACK frees a dead server's registry entry only for a new server of the same name.
export JACK_DEFAULT_SERVER="keyrill-smoke"
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
wait_for 10 jack_lsp || fail "jackd did not start"
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=-2' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' >"$work/virtual.ini"
KEYRILL_MIDI_API=jack start_keyrill "$work/keyrill.log" "$work/virtual.ini"
wait_for 10 sh -c 'jack_lsp | grep -qx "Keyrill:Output 1"' || fail "Keyrill:Output 1 was not published"
grep -q KEYRILL_MIDI_API "$work/keyrill.log" && fail "KEYRILL_MIDI_API=jack was refused"

# The receiver comes after Keyrill, as a DAW started later does.
stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
pids+=($!)
wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"
jack_connect "Keyrill:Output 1" midi-monitor:input || fail "could not connect to Keyrill:Output 1"
sleep 0.3
xdotool mousemove --window "$window" 20 10 click 1
wait_for 10 sh -c "tr 'A-F' 'a-f' < '$work/dump.log' | sed 's/0x//g' | grep -q '80 3c 00'" ||
    fail "the receiver did not get the release message"
grep -q '90 3c 64' <(tr 'A-F' 'a-f' <"$work/dump.log" | sed 's/0x//g') ||
    fail "the receiver did not get the press message"
close_keyrill
grep -q $'^MIDI Device=-2\r$' "$work/virtual.ini" || fail "the virtual choice was not saved"
echo "midi_api: unknown value reported and started; Keyrill:Output 1 carried 90 3C 64 / 80 3C 00"
