#!/usr/bin/env bash
# The built program as a user runs it: a real X server (Xvfb), a real JACK server with a MIDI
# receiver, a click and a hot key with xdotool, a window-manager close request, and the settings
# file saved.
# Usage: smoke.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

start_x
start_jack keyrill-smoke
start_receiver

# Output 1 on the receiver (the only MIDI input port, so device 0); button 1 plays Note On 60
# on press and Note Off 60 on release.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' \
    '[Button 2]' 'HotKey=K' 'Message=1' 'Note=62' 'Velocity=90' '' >"$work/keyrill.ini"

start_keyrill "$work/keyrill.ini"
sleep 0.5

xdotool mousemove --window "$window" 20 10 click 1
wait_for 10 received '80 3c 00' || fail "the receiver did not get the release message"
received '90 3c 64' || fail "the receiver did not get the press message"

# Hot key K plays button 2 from the keyboard; typed into another program's window, with global
# hot keys off (the default), it plays nothing.
xdotool windowfocus --sync "$window" key k
wait_for 10 received '90 3e 5a' || fail "the hot key sent nothing"
start_other_window
xdotool windowfocus --sync "$other" key k && sleep 1
[[ $(dump_bytes | grep -c '90 3e 5a') -eq 1 ]] || fail "K played while another window had it"

close_keyrill

grep -q $'^\[Button 15 Release\]\r$' "$work/keyrill.ini" || fail "the settings file was not saved"
grep -q $'^Caption=Play\r$' "$work/keyrill.ini" || fail "button 1 was not saved"
echo "smoke: click sent 90 3C 64 / 80 3C 00, hot key K sent 90 3E 5A, the settings file was saved"
