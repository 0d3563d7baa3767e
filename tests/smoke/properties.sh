#!/usr/bin/env bash
# Editing a button as a user does it, on a real X server (Xvfb) and a real JACK server with a
# MIDI receiver: right-click a button, open "Button Properties" from the menu with the keyboard,
# change the Press caption and message with the keyboard, click the Example (its bytes reach the
# receiver), learn the Press message from a device on the input, press Enter, close the program,
# and find the new definition in the settings file.
# Usage: properties.sh KEYRILL WM_CLOSE JACK_SEND
source "$(dirname "$0")/lib.sh" "$@"
jack_send=$3

start_x
start_jack keyrill-properties
start_receiver
start_device

# Output 1 on the receiver; button 1 plays Note On 60 on press and Note Off 60 on release.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' '[Input]' 'MIDI Device=0' \
    'MIDI Device Name=keyrill-device:out' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' >"$work/keyrill.ini"

start_keyrill "$work/keyrill.ini"
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
# The Example (161 x 79 at 149, 241 in the dialog) sends the edited Press, then the Release.
xdotool mousemove --window "$dialog" 229 281 click 1
wait_for 10 received 'b0 3c 64' || fail "the Example did not send the edited Press message"
wait_for 10 received '80 3c 00' || fail "the Example did not send the Release message"
# MIDI Learn by keyboard: five fields on from the message list, the Press side's Learn button;
# the device's Control Change 20 on channel 3 fills the side.
xdotool key Tab Tab Tab Tab Tab space && sleep 0.3 && device 'b2 14 7f' && sleep 0.5
xdotool key Return
for ((i = 0; i < 50; i++)); do [[ -z "$(find_window '^Button 1 Properties$')" ]] && break; sleep 0.1; done
[[ -z "$(find_window '^Button 1 Properties$')" ]] || fail "Enter did not close the dialog with OK"

close_keyrill

button1=$(sed -n '/^\[Button 1\]\r$/,/^\r$/p' "$work/keyrill.ini")
for key in Caption=Snare Message=3 Channel=2 Note=20 Velocity=127; do # typed, then learned
    grep -q "^$key"$'\r$' <<<"$button1" || fail "$key was not saved: $button1"
done
echo "properties: menu by keyboard, Example sent B0 3C 64 / 80 3C 00, Learn took B2 14 7F from" \
    "the input, the new definition was saved"
