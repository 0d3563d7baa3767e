#!/usr/bin/env bash
# The Configuration dialog as a user reaches it: a real X server (Xvfb) and a real JACK server
# with a MIDI receiver; the context menu opened on a button and "Configuration..." chosen by
# keyboard, the grid changed from 5 x 3 to 4 x 4, applied and closed. The grid is checked by the
# window's size (whole cells) and by the messages of the buttons now in the bottom row, the
# settings file after closing.
# Usage: configuration.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

start_x
start_jack keyrill-config-smoke
start_receiver

# A window of 303 x 205 pixels holds 5 x 3 whole cells of 101 x 41; 4 x 4 cells of that window
# are 75 x 51, so the grid of 4 x 4 makes it 300 x 204. Button 15 plays note 70 (0x46): at the
# foot of the third column in 5 x 3, in the third row of the fourth column in 4 x 4.
printf '%s\r\n' '[Windows]' 'Main Top=40' 'Main Left=40' 'Main Height=205' 'Main Width=303' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 15]' 'Caption=Hi' 'Message=1' 'Note=70' 'Velocity=100' '' >"$work/keyrill.ini"

start_keyrill "$work/keyrill.ini"
sleep 0.5
geometry() { xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=' | tr '\n' ' '; }
[[ "$(geometry)" == "WIDTH=303 HEIGHT=205 " ]] || fail "unexpected start size: $(geometry)"

open_configuration || fail "the Configuration dialog did not open from the menu"

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

close_keyrill

ini="$work/keyrill.ini"
grep -q $'^Button Rows=4\r$' "$ini" || fail "the rows were not saved"
grep -q $'^Button Cols=4\r$' "$ini" || fail "the columns were not saved"
grep -q $'^\[Button 16 Release\]\r$' "$ini" || fail "button 16 was not saved"
grep -q '^\[Button 17\]' "$ini" && fail "definitions beyond the grid were saved"
echo "configuration: menu by keyboard, 5 x 3 -> 4 x 4 applied, window 300 x 204, button 15 at" \
     "row 3 column 4, button 16 bottom right, the file holds rows 4 and columns 4"
