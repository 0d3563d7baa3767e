#!/usr/bin/env bash
# No hanging note on a real X server: the sequences of user input that need X itself (a real key
# map with Shift and the French layout, X11 auto-repeat under load, the context menu taking the
# mouse, a modal error box, closing with a key held, all with global hot keys on; a hot key typed
# into another window), played with xdotool, a JACK receiver counting Note On and Note Off.
# Usage: held_notes.sh KEYRILL WM_CLOSE X_KEYBOARD
source "$(dirname "$0")/lib.sh" "$@"

# count BYTES: how often the receiver got the message, e.g. count '90 3c 64'
count() { dump_bytes | grep -c "$1" || true; }
# Each case is checked on its own: a failure is reported and the next case goes on.
failures=()
declare -A before
# start NAME: a case begins; expect counts the messages received since
start() {
    case_name=$1
    for m in '90 3c 64' '80 3c 00' '90 3e 5a' '80 3e 00' '80 40 00' '90 42 46' '80 42 00'; do before[$m]=$(count "$m"); done
}
# expect BYTES N: the receiver has had the message N times in this case
expect() {
    local got
    for ((t = 0; t < 50; t++)); do
        (( $(count "$1") - before[$1] >= $2 )) && break
        sleep 0.1
    done
    sleep 0.3
    got=$(( $(count "$1") - before[$1] ))
    [[ "$got" -eq "$2" ]] || failures+=("$case_name: '$1' received $got times, expected $2")
}

start_x
unset QT_QPA_PLATFORM
wait_for 5 setxkbmap -layout us || fail "setxkbmap failed"

# Ahead of the load below: a late JACK cycle drops MIDI on its way to the receiver.
start_jack keyrill-held -15
start_receiver -15

# A 2 x 2 grid of 150 x 100 pixels each. Button 1: hot key "1", note 60. Button 2: hot key "A",
# note 62. Button 3: its Press side goes to output 2, whose device does not exist (an error box),
# its Release side to output 1, note 64. Button 4: hot key F14 (the key that Linux layouts call
# XF86Launch5), note 66.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[General]' 'Button Rows=2' 'Button Cols=2' 'Global Hot Keys=1' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' '[Output 2]' 'MIDI Device=7' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'HotKey=1' 'Caption=One' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Note=60' '' \
    '[Button 2]' 'Action=1' 'HotKey=A' 'Caption=A' 'Message=1' 'Note=62' 'Velocity=90' '' \
    '[Button 2 Release]' 'Note=62' '' \
    '[Button 3]' 'Action=1' 'HotKey=E' 'Caption=Three' 'Message=1' 'Note=64' 'Velocity=80' 'Output=2' '' \
    '[Button 3 Release]' 'Note=64' 'Output=1' '' \
    '[Button 4]' 'Action=1' 'HotKey=F14' 'Message=1' 'Note=66' 'Velocity=70' '' \
    '[Button 4 Release]' 'Note=66' '' >"$work/keyrill.ini"

# A stop signal while a start-up box is open (output 2 cannot be opened, with or without "Show
# Output Errors"; a FIFO for a settings file) ends the program: the set saved, an unread one left.
for errors in 1 0 fifo; do
    ini=$work/$errors.ini
    if [[ $errors == fifo ]]; then mkfifo "$ini"; else
        sed "s/^Global Hot Keys=1/Show Output Errors=$errors/" "$work/keyrill.ini" >"$ini"
    fi
    launch_keyrill "$ini"
    wait_for 10 find_window '^Keyrill$' || fail "no start-up box ($errors)"
    kill -TERM "$app"
    await_exit "SIGTERM in the start-up box ($errors) did not end Keyrill with status 0"
    if [[ $errors == fifo ]]; then [[ -p $ini ]] || fail "the FIFO was written"; continue; fi
    grep -q $'^Allow Editing=1\r$' "$ini" || fail "SIGTERM in the start-up box ($errors): not saved"
done
echo "held notes: SIGTERM in a start-up box ends Keyrill"

start_other_window
launch_keyrill "$work/keyrill.ini"
# Output 2 cannot be opened: its box comes first, before the window.
wait_for 10 find_window '^Keyrill$' || fail "no box"
box=$(find_window '^Keyrill$')
sleep 0.5
xdotool windowfocus --sync "$box" key Return
await_window "$box"
sleep 0.5
xdotool windowfocus --sync "$window"
at() { xdotool mousemove --window "$window" "$1" "$2"; }

# 3: Shift pressed while "1" is held; Shift+1; the French "&/1" key.
start "Shift pressed while 1 is held"
xdotool keydown 1 && sleep 0.2 && xdotool keydown shift && sleep 0.2 && xdotool keyup 1 &&
    xdotool keyup shift
expect '80 3c 00' 1
start "Shift+1"
xdotool keydown shift && xdotool keydown 1 && sleep 0.2 && xdotool keyup 1 && xdotool keyup shift
expect '90 3c 64' 1
expect '80 3c 00' 1
start "the AZERTY &/1 key"
wait_for 5 setxkbmap -layout fr || fail "setxkbmap fr failed"
sleep 0.5
xdotool keydown ampersand && sleep 0.2 && xdotool keyup ampersand
expect '90 3c 64' 1
expect '80 3c 00' 1
wait_for 5 setxkbmap -layout us || fail "setxkbmap us failed"
sleep 0.5

# 1: the left button holds button 1, a right click opens the menu, the left button lets go.
start "left release under the menu"
at 20 20
xdotool mousedown 1 && sleep 0.2 && xdotool click 3 && sleep 0.5 && xdotool mouseup 1
expect '90 3c 64' 1
expect '80 3c 00' 1
xdotool key Escape
sleep 0.3

# 2: hot key "A" held, the menu of button 4 opened, the key released while it is open.
start "key released in the menu"
xdotool windowfocus --sync "$window"
xdotool keydown a && sleep 0.2 && at 170 120 && xdotool click 3 && sleep 0.5 && xdotool keyup a
expect '90 3e 5a' 1
expect '80 3e 00' 1
xdotool key Escape
sleep 0.3

# 6: the send of button 3's press fails; its error box takes the release of the mouse.
start "release taken by the error box"
at 170 20
xdotool mousedown 1
wait_for 5 sh -c "[ \$(xdotool search --onlyvisible --name '^Error\$' | wc -l) -ge 1 ]" ||
    fail "no error box"
xdotool mouseup 1
sleep 0.3
errbox=$(xdotool search --onlyvisible --name '^Error$' | head -n 1)
xdotool windowfocus --sync "$errbox" key Return
expect '80 40 00' 1
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Error\$'" || fail "the error box stayed"
xdotool windowfocus --sync "$window"
sleep 1 # the program takes the keyboard back (slowly under the sanitizers)

# 6b: the error box closed by a key while the mouse still holds the button: the release goes out
# at the mouse-up, not at the box's close.
start "error box closed while the button is held"
at 170 20
xdotool mousedown 1
wait_for 5 sh -c "xdotool search --onlyvisible --name '^Error\$'" || fail "no error box"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Error$' | head -n 1)" key Return
sleep 1
early=$(($(count '80 40 00') - before['80 40 00']))
xdotool mouseup 1
((early == 0)) || failures+=("$case_name: the Note Off went out at the box's close")
expect '80 40 00' 1
xdotool windowfocus --sync "$window"
sleep 1

# 7: X11 auto-repeat while the computer is busy: every hold plays its note once.
start "holds under load"
xset r rate 150 40
load=()
for _ in 1 2; do nice -n 10 sh -c "while :; do :; done" & load+=($!); done
for _ in 1 2 3 4 5; do
    xdotool keydown a && sleep 1.5 && xdotool keyup a && sleep 0.2
done
kill "${load[@]}" 2>/dev/null || true
expect '90 3e 5a' 5
expect '80 3e 00' 5

# 8: F14 held in xev's window plays, and xev gets it; the focus goes to Keyrill and back before
# it is let go: released once.
focus() { xdotool windowfocus --sync "$1" && sleep 0.5; }
start "held in another program while the focus went to Keyrill and back"
focus "$other" && xdotool keydown XF86Launch5
expect '90 42 46' 1
focus "$window" && focus "$other" && xdotool keyup XF86Launch5
expect '80 42 00' 1
[[ $(grep -c "keycode 192" "$work/xev.log") -ge 2 ]] || failures+=("xev did not get F14")
focus "$window"

# Hot keys typed into another program. expect_notes: each Note On and Off of buttons 1, 2, 4.
expect_notes() {
    local m n=("$@") i=0
    for m in '90 3c 64' '80 3c 00' '90 3e 5a' '80 3e 00' '90 42 46' '80 42 00'; do
        expect "$m" "${n[i++]}"
    done
}
xset r off
start "PointerRoot focus, the pointer over Keyrill: each key plays once"
# The focus follows the pointer only once the server has moved it: under load that takes a while,
# and a key typed meanwhile goes to neither window.
"$3" pointer-root && at 20 20 && sleep 1.5
for _ in 1 2 3; do xdotool key --delay 0 a XF86Launch5 && sleep 0.3; done
expect_notes 0 0 3 3 3 3
HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 & openbox=$! && pids+=($!)
wait_for 10 wmctrl -m || fail "openbox did not start"
activate() { xdotool windowactivate --sync "$1" 2>/dev/null && sleep 0.5; }
activate "$other"
start "shortcuts of the other program; Shift does not count; a key that played releases under Ctrl"
xdotool key ctrl+1 alt+a super+XF86Launch5 ctrl+shift+a shift+1
xdotool keydown a && sleep 0.2 && xdotool keydown ctrl && xdotool keyup a && xdotool keyup ctrl
expect_notes 1 1 1 1 0 0
start "released and tapped while another program grabs the keyboard"
xdotool keydown a && sleep 0.3
"$3" grab 2 >"$work/grab.log" &
wait_for 5 grep -q grabbed "$work/grab.log" || fail "the keyboard was not grabbed"
xdotool keyup a && xdotool key XF86Launch5
wait $! || true
expect_notes 0 0 1 1 1 1
start "held while the focus went to Keyrill and back"
xdotool keydown XF86Launch5 && activate "$window" && activate "$other"
expect '80 42 00' 0
xdotool keyup XF86Launch5
expect_notes 0 0 0 0 1 1
start "released while Keyrill was stopped, read after it had the focus"
xdotool keydown 1 && sleep 0.3 && kill -STOP "$app" && xdotool keyup 1
xdotool windowfocus "$window" && sleep 0.3 && kill -CONT "$app"
expect_notes 1 1 0 0 0 0
start "released and typed in the other program while an error box is open"
activate "$other" && xdotool keydown a && xdotool key e
wait_for 5 find_window '^Error$' || fail "no error box"
errbox=$(find_window '^Error$')
activate "$other" && xdotool keyup a && xdotool key XF86Launch5
expect_notes 0 0 1 1 1 1
expect '80 40 00' 0 # E's release waits for its press, which the box holds
xdotool windowactivate --sync "$errbox" key Return
expect '80 40 00' 1
activate "$window"

# 5: the window closed while hot key "1" is held.
start "closing with a key held"
xset r off # only the close may end this note
xdotool keydown 1
expect '90 3c 64' 1
request_close
xdotool keyup 1
expect '80 3c 00' 1
# 9: "Global Hot Keys" off, a toggle's hot key held down in another program and let go in
# Keyrill: nothing plays, and the toggle's next press sends its Press side.
printf '%s\r\n' '[General]' 'Button Rows=1' 'Button Cols=1' '' '[Output 1]' 'MIDI Device=0' \
    'Active=1' '' '[Button 1]' 'Action=2' 'HotKey=1' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Note=60' >"$work/toggle.ini"
start_keyrill "$work/toggle.ini"
start "a toggle's key let go in Keyrill after going down elsewhere"
activate "$other" && xdotool keydown 1 && activate "$window" && xdotool keyup 1
xdotool key 1
expect '90 3c 64' 1
expect '80 3c 00' 0
close_keyrill
# 10: Panic (Escape) with a note held by the mouse, a note toggle on and a CC toggle on: both
# notes end, then All Notes Off and All Sound Off on every channel; the note toggle is off, the CC
# toggle still on, and the mouse let go later sends nothing.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=100' 'Main Width=300' '' \
    '[General]' 'Button Rows=1' 'Button Cols=3' '' '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Message=1' 'Note=60' 'Velocity=100' '' '[Button 1 Release]' 'Note=60' \
    '' '[Button 2]' 'Action=2' 'Message=1' 'Note=62' 'Velocity=90' '' '[Button 2 Release]' \
    'Note=62' '' '[Button 3]' 'Action=2' 'Message=3' 'Note=20' 'Velocity=127' '' \
    '[Button 3 Release]' 'Message=3' 'Note=20' >"$work/panic.ini"
start_keyrill "$work/panic.ini"
activate "$window"
start "panic"
at() { xdotool mousemove --window "$window" "$1" 50 "${@:2}"; }
at 150 click 1 && at 250 click 1 && at 50 mousedown 1
expect '90 3c 64' 1
xdotool key Escape
expect 'bf 78 00' 1
panic=$(printf '80 3%s 00\n' c e && for c in {0..15}; do printf 'b%x 7b 00\nb%x 78 00\n' $c $c; done)
after_press=$(dump_bytes | awk '{print $2, $3, $4}' | tac | sed '/^90 3c 64$/,$d' | tac)
[[ $after_press == "$panic" ]] ||
    failures+=("panic: not both Note Offs, then CC 123 and 120 on 16 channels: $after_press")
xdotool mouseup 1
expect '80 3c 00' 1
at 150 click 1 && at 250 click 1
expect '90 3e 5a' 2 # the note toggle was off: its Press side
wait_for 5 received 'b0 14 00' || failures+=("panic: the CC toggle was not left on")
close_keyrill
# 11: "Global Hot Keys" on, the keys of a "Press / Release" button and a toggle held in another
# program while a click on Apply (without a window manager, the click leaves the keyboard where
# it is) drops both buttons: the note ends once, the toggle's Release side goes out.
stop_process "$openbox"
printf '%s\r\n' '[General]' 'Button Rows=1' 'Button Cols=3' 'Global Hot Keys=1' '' '[Output 1]' \
    'MIDI Device=0' 'Active=1' '' '[Button 2]' 'Action=1' 'HotKey=Q' 'Message=1' 'Note=62' \
    'Velocity=90' '' '[Button 2 Release]' 'Note=62' '' '[Button 3]' 'Action=2' 'HotKey=W' \
    'Message=1' 'Note=60' 'Velocity=100' '' '[Button 3 Release]' 'Note=60' >"$work/shrink.ini"
start_keyrill "$work/shrink.ini"
start "a grid shrunk under keys held in another program"
open_configuration || failures+=("shrink: no Configuration dialog")
config=$(find_window '^Configuration$')
xdotool key Tab Tab Tab Down Down && sleep 0.3 # the columns from 3 to 1
focus "$other" && xdotool keydown q keydown w
expect '90 3c 64' 1
# Apply and Close are the last two buttons of the dialog's left column.
eval "$(xdotool getwindowgeometry --shell "$config")"
xdotool mousemove --window "$config" 50 $((HEIGHT - 49)) click 1
expect '80 3e 00' 1
expect '80 3c 00' 1
xdotool mousemove --window "$config" 50 $((HEIGHT - 18)) click 1 && xdotool keyup q keyup w
expect_notes 1 1 1 1 0 0
close_keyrill
if [[ ${#failures[@]} -gt 0 ]]; then
    printf 'FAIL: %s\n' "${failures[@]}" >&2
    exit 1
fi
echo "held notes: Shift, AZERTY, menu, error box, auto-repeat, another window, close, and keys of" \
    "another program under PointerRoot focus, shortcuts, a grab, focus moves, a stop, an error" \
    "box: none hangs, none plays twice; a key-up never played leaves a toggle off; Panic ends" \
    "every note; a grid shrunk under held keys ends each once"
