#!/usr/bin/env bash
# The grid as a screen reader (Orca) sees it, through AT-SPI on a bus of the test's own: the
# frame "Keyrill" holds push buttons named by their captions; invoking a button's action plays
# it (its Press and Release reach a JACK receiver) and the caption changes, to the Release side's
# and back, and a toggle's turning on are announced.
# Prints the accessible tree. Usage: accessibility.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

start_x
start_atspi
start_jack keyrill-atspi
start_receiver

printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'HotKey=A' 'Caption=Kick\nDrum' 'Message=1' 'Note=60' 'Velocity=100' \
    '' '[Button 1 Release]' 'Caption=Stop' 'Note=60' '' '[Button 2]' 'Action=2' 'Caption=' '' \
    >"$work/keyrill.ini"
start_keyrill "$work/keyrill.ini"

# Debian's own Python, where python3-pyatspi lives.
/usr/bin/python3 - <<'PYTHON' || fail "the accessible tree is not as a screen reader needs it"
import pyatspi, sys
from gi.repository import GLib

def dump(node, depth=0):
    states = [pyatspi.stateToString(s) for s in node.getState().getStates()
              if s in (pyatspi.STATE_PRESSED, pyatspi.STATE_CHECKED, pyatspi.STATE_CHECKABLE)]
    print("  " * depth + " ".join(filter(None, [node.getRoleName(), repr(node.name),
                                                 node.description] + states)))
    for child in node:
        dump(child, depth + 1)

app = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "keyrill")
dump(app)
frame = app[0]
names = [button.name for button in frame]
expected = ["Kick Drum", "Button 2"] + [str(n) for n in range(3, 16)]
if (frame.getRoleName(), frame.name, names) != ("frame", "Keyrill", expected):
    sys.exit("frame %r %r holds %r" % (frame.getRoleName(), frame.name, names))
if frame[0].description != "Hot key A":
    sys.exit("button 1 is described as %r" % frame[0].description)

announced = []
pyatspi.Registry.registerEventListener(
    lambda e: announced.append("%s %d %d" % (e.type, e.source.getIndexInParent(), e.detail1)),
    "object:property-change:accessible-name", "object:state-changed:checked")
action = frame[0].queryAction()
GLib.timeout_add(500, lambda: action.doAction(0) and frame[1].queryAction().doAction(0) and False)
GLib.timeout_add(3000, pyatspi.Registry.stop)
pyatspi.Registry.start()
name = "object:property-change:accessible-name %d 0"
# Button 1 shows "Stop" and its caption again; button 2 its Release side's caption, "2", and is on.
expected = [name % 0, name % 0, name % 1, "object:state-changed:checked 1 1"]
if action.getName(0) != "Press" or announced != expected:
    sys.exit("action %r announced %r" % (action.getName(0), announced))
PYTHON
wait_for 10 received '90 3c 64' || fail "the Press action sent no Press message"
wait_for 10 received '80 3c 00' || fail "the Press action sent no Release message"
close_keyrill
echo "accessibility: frame Keyrill, 15 named buttons, Press played 90 3C 64 / 80 3C 00"
