#!/usr/bin/env bash
# The built program and KEYRILL_MIDI_API, as a user runs it under a real X server (Xvfb):
# an unknown value is reported on standard error and the program still starts; "jack" publishes
# the virtual output "Keyrill:Output 1", which a receiver connects to after the start and which
# then carries a click; the settings file keeps the virtual choice.
# Usage: midi_api.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

start_x

# 1. An unknown value: the error on standard error, then the default order (no MIDI system runs
# here, so the window opens without devices).
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' \
    >"$work/plain.ini"
export JACK_DEFAULT_SERVER="keyrill-absent-$$"
KEYRILL_MIDI_API=pipewire start_keyrill "$work/plain.ini" "$work/bad.log"
expected='Keyrill: unknown MIDI system in KEYRILL_MIDI_API="pipewire"; accepted values are "alsa" and "jack". Using the default order (ALSA, then JACK).'
grep -qxF "$expected" "$work/bad.log" || fail "no clear error for KEYRILL_MIDI_API=pipewire"
close_keyrill

# 2. KEYRILL_MIDI_API=jack with output 1 on the virtual output, as the settings file stores it.
start_jack keyrill-smoke
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=-2' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' >"$work/virtual.ini"
KEYRILL_MIDI_API=jack start_keyrill "$work/virtual.ini"
wait_for 10 sh -c 'jack_lsp | grep -qx "Keyrill:Output 1"' || fail "Keyrill:Output 1 was not published"
grep -q KEYRILL_MIDI_API "$work/keyrill.log" && fail "KEYRILL_MIDI_API=jack was refused"

# The receiver comes after Keyrill, as a DAW started later does.
start_receiver
jack_connect "Keyrill:Output 1" midi-monitor:input || fail "could not connect to Keyrill:Output 1"
sleep 0.3
xdotool mousemove --window "$window" 20 10 click 1
wait_for 10 received '80 3c 00' || fail "the receiver did not get the release message"
received '90 3c 64' || fail "the receiver did not get the press message"
close_keyrill
grep -q $'^MIDI Device=-2\r$' "$work/virtual.ini" || fail "the virtual choice was not saved"
echo "midi_api: unknown value reported and started; Keyrill:Output 1 carried 90 3C 64 / 80 3C 00"
