#!/usr/bin/env bash
# The built program as a user runs it: a real X server (Xvfb), a real JACK server with a MIDI
# receiver, a click and a hot key with xdotool, a screen reader's view through AT-SPI, a
# window-manager close request, and the settings file saved; then buttons lit by a JACK sender
# on the input, a device's and the virtual one.
# Usage: smoke.sh KEYRILL WM_CLOSE JACK_SEND
source "$(dirname "$0")/lib.sh" "$@"
jack_send=$3

start_x
start_atspi
start_jack keyrill-smoke
start_receiver

# Output 1 on the receiver (the only MIDI input port, so device 0); button 1 plays Note On 60
# on press and Note Off 60 on release.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=Play' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Caption=Stop' 'Message=0' 'Note=60' 'Velocity=0' '' \
    '[Button 2]' 'HotKey=K' 'Message=1' 'Note=62' 'Velocity=90' '' \
    '[Button 3]' 'Action=2' 'Caption=Mute' 'Message=1' 'Note=64' 'Velocity=100' '' \
    '[Button 3 Release]' 'Caption=Muted' 'Message=0' 'Note=64' '' \
    '[Button 4]' 'Caption=' 'Image Index=3' '' \
    '[Button 5]' 'Action=1' 'Message=1' 'Note=65' 'Velocity=80' '' \
    '[Button 5 Release]' 'Message=0' 'Note=65' '' >"$work/keyrill.ini"

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

# As Orca sees it (the tree is printed): the frame "Keyrill" holds the buttons by caption;
# button 1's action plays it once more, and its caption's change to "Stop" and back is announced.
/usr/bin/python3 - <<'PYTHON' || fail "a screen reader cannot read or play the buttons"
import pyatspi
from gi.repository import GLib
frame = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "keyrill")[0]
tree = ["%s %r %s" % (o.getRoleName(), o.name, o.description) for o in [frame, *frame]]
print("\n".join(tree))
assert tree[:6] == ["frame 'Keyrill' ", "push button 'Play' ", "push button '2' Hot key K",
                   "toggle button 'Mute' ", "push button 'record' ", "push button '5' "], tree
assert tree[6:] == ["push button '%d' " % n for n in range(6, 16)], tree
announced, action = [], frame[0].queryAction()
pyatspi.Registry.registerEventListener(lambda e: announced.append(e.source.getIndexInParent()),
                                       "object:property-change:accessible-name")
GLib.timeout_add(500, lambda: action.doAction(0) and False)
GLib.timeout_add(3000, pyatspi.Registry.stop)
pyatspi.Registry.start()
assert action.getName(0) == "Press" and announced == [0, 0], announced
PYTHON
count() { dump_bytes | grep -c "$1" || true; }
twice() { [[ $(dump_bytes | grep -c "$1") -eq 2 ]]; }
wait_for 10 twice '80 3c 00' && twice '90 3c 64' || fail "the Press action did not play button 1"

# Without the mouse: Tab into the grid, Down to button 5 (5 rows), Space held plays its press
# once (auto-repeat aside) and its release on key-up; Shift+F10 opens its menu at its top-left
# corner, and the menu's first item opens Properties for button 5.
xdotool windowfocus --sync "$window" key Tab Down Down Down Down keydown space
wait_for 10 received '90 41 50' || fail "Space on button 5 sent no press"
sleep 1.5
[[ $(count '90 41 50') -eq 1 && $(count '80 41 00') -eq 0 ]] || fail "held Space: $(dump_bytes)"
xdotool keyup space
wait_for 10 received '80 41 00' || fail "Space released sent no release of button 5"
xdotool key shift+F10 && sleep 0.5 && xdotool key Return
wait_for 10 find_window '^Button 5 Properties$' || fail "Shift+F10 and Return opened no Properties"
xdotool key Escape
wait_for 10 sh -c "! xdotool search --onlyvisible --name '^Button 5 Properties$'" ||
    fail "Escape did not close Properties"

# The toggle, reached with Up twice, is a toggle button whose switching by Space is announced
# while it has the focus; Space on it sends its press and, the second time, its release.
/usr/bin/python3 - "$window" <<'PYTHON' || fail "the focused toggle is not announced as a toggle button"
import pyatspi, subprocess, sys
window = sys.argv[1]
from gi.repository import GLib
frame = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "keyrill")[0]
toggle, events = frame[2], []
assert toggle.getRoleName() == "toggle button", toggle.getRoleName()
assert toggle.queryAction().getName(0) == "Toggle", toggle.queryAction().getName(0)
pyatspi.Registry.registerEventListener(
    lambda e: events.append((e.type.minor, e.detail1, e.source.getIndexInParent())),
    "object:state-changed")
key = lambda *keys: subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", *keys]) and False
GLib.timeout_add(300, lambda: key("Up", "Up", "space"))
GLib.timeout_add(1500, lambda: key("space"))
GLib.timeout_add(3000, pyatspi.Registry.stop)
pyatspi.Registry.start()
print(events)
assert ("focused", 1, 2) in events, events
changes = [e for e in events if e[0] in ("pressed", "checked")]
assert changes == [("pressed", 1, 2), ("checked", 1, 2), ("pressed", 0, 2), ("pressed", 1, 2),
                   ("checked", 0, 2), ("pressed", 0, 2)], events
assert not toggle.getState().contains(pyatspi.STATE_CHECKED)
PYTHON
wait_for 10 received '80 40 00' && [[ $(count '90 40 64') -eq 1 ]] ||
    fail "Space on the toggle did not play it on and off: $(dump_bytes)"
xdotool key k # a hot key, whichever button has the focus
wait_for 10 twice '90 3e 5a' ||
    fail "K did not play button 2 while the toggle had the focus"
echo "smoke: keyboard only, held Space on button 5 sent 90 41 50 once and 80 41 00 on key-up," \
    "Shift+F10 opened its Properties; the toggle button's focus and switching were announced," \
    "K stayed a hot key"

close_keyrill

grep -q $'^\[Button 15 Release\]\r$' "$work/keyrill.ini" || fail "the settings file was not saved"
grep -q $'^Caption=Play\r$' "$work/keyrill.ini" || fail "button 1 was not saved"
echo "smoke: click sent 90 3C 64 / 80 3C 00, hot key K sent 90 3E 5A, AT-SPI read and played" \
    "the buttons, the settings file was saved"

# The title as typed: Qt's "[*]" placeholder stays, and an empty title is no program name.
for caption in 'Set [*] one' ''; do
    printf '%s\r\n' '[General]' "Caption=$caption" >"$work/title.ini"
    launch_keyrill "$work/title.ini"
    wait_for 10 xdotool search --onlyvisible --pid "$app" || fail "no window for title '$caption'"
    shown=$(xprop -id "$(xdotool search --onlyvisible --pid "$app" | head -n 1)" _NET_WM_NAME)
    expected="_NET_WM_NAME(UTF8_STRING) = \"$caption\""
    [[ -n "$caption" ]] || expected="_NET_WM_NAME(UTF8_STRING) = " # how xprop shows ""
    [[ "$shown" == "$expected" ]] ||
        fail "the title '$caption' is shown as: $shown"
    kill -TERM "$app"
    await_exit "Keyrill did not end after the title check"
done
echo "smoke: titles shown as typed ('[*]' kept, empty stays empty)"

# Feedback: a sender's messages light the buttons they are about, as the screen reader reads
# them ("*": a toggle switched on, a button lit). Button 1 toggles Note On / Note Off 60, button 2 controller
# 20 at 127 / 0, button 3 plays program 5.
mkfifo "$work/send"
"$jack_send" <"$work/send" >"$work/sender.log" 2>&1 &
pids+=("$!")
exec 5>"$work/send"
wait_for 10 sh -c 'jack_lsp | grep -q "^keyrill-sender:out$"' || fail "no MIDI sender"
send() { echo "$1" >&5; }
cat >"$work/names.py" <<'PYTHON'
import pyatspi
app = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "keyrill")
on = lambda b: "*" if b.getState().contains(pyatspi.STATE_CHECKED) else ""
print(" | ".join(b.name + on(b) for b in app[0]))
PYTHON
shows() { [[ "$(/usr/bin/python3 "$work/names.py" 2>/dev/null)" == "$1" ]]; }
expect_shown() { wait_for 10 shows "$1" || fail "$2: shown '$(/usr/bin/python3 "$work/names.py")'"; }
feedback_set() { # feedback_set INPUT-KEYS...: the three buttons, listening as the keys say
    printf '%s\r\n' '[General]' 'Button Rows=3' 'Button Cols=1' '' \
        '[Output 1]' 'MIDI Device=0' 'Active=1' '' '[Input]' "$@" 'Active=1' '' \
        '[Button 1]' 'Action=2' 'Caption=Mute' 'Message=1' 'Note=60' 'Velocity=100' '' \
        '[Button 1 Release]' 'Caption=Muted' 'Note=60' '' \
        '[Button 2]' 'Action=2' 'Caption=Rec' 'Message=3' 'Note=20' 'Velocity=127' '' \
        '[Button 2 Release]' 'Caption=Recording' 'Message=3' 'Note=20' '' \
        '[Button 3]' 'Caption=Cue 5' 'Message=4' 'Note=5' '' \
        '[Button 3 Release]' 'Caption=Cue 5 on' '' >"$work/feedback.ini"
}

feedback_set 'MIDI Device=0' 'MIDI Device Name=keyrill-sender:out'
start_keyrill "$work/feedback.ini"
expect_shown "Mute | Rec | Cue 5" "at start"
notes_on=$(count '90 3c 64')
send '90 3c 64'
expect_shown "Muted* | Rec | Cue 5" "Note On 60"
xdotool mousemove --window "$window" 20 10 click 1
expect_shown "Mute | Rec | Cue 5" "the click on the lit toggle"
wait_for 10 received '80 3c 00' || fail "the click on the lit toggle did not send its Note Off"
[[ $(count '90 3c 64') -eq $notes_on ]] || fail "the click on the lit toggle sent a Note On"
send 'b0 14 7f'
expect_shown "Mute | Recording* | Cue 5" "CC 20 127"
send 'b0 14 00'
expect_shown "Mute | Rec | Cue 5" "CC 20 0"
send 'c0 05'
expect_shown "Mute | Rec | Cue 5 on*" "program 5"
send '90 3d 64' # about nothing; program 6 then turns button 3 off, and nothing else changed
send 'c0 06'
expect_shown "Mute | Rec | Cue 5" "a message about nothing"
close_keyrill

# The virtual input: the sender connected to Keyrill's own port, as a DAW would connect it.
feedback_set 'MIDI Device=-2'
start_keyrill "$work/feedback.ini"
wait_for 10 sh -c 'jack_lsp | grep -qE "^Keyrill[^:]*:Input$"' || fail "no virtual input"
jack_connect keyrill-sender:out "$(jack_lsp | grep -E '^Keyrill[^:]*:Input$' | head -n 1)" ||
    fail "the sender could not be connected to the virtual input"
sleep 0.2
send '90 3c 64'
expect_shown "Muted* | Rec | Cue 5" "Note On 60 on the virtual input"
close_keyrill
echo "smoke: the input's Note On 60 lit the toggle, whose click sent Note Off 60; CC 20 127 / 0" \
    "switched a toggle on and off; program 5 lit its button; a message about nothing changed" \
    "nothing; the virtual input lit the toggle too"
