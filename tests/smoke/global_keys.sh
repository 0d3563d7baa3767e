#!/usr/bin/env bash
# Global hot keys on a real X server: with another client's window (xev) holding the keyboard,
# a hot key typed there with XTEST plays (bytes checked at a JACK receiver) and xev still gets
# it; a key held while the focus goes to Keyrill and back, or is let go in Keyrill, is released
# once; a key typed into Keyrill plays once; with the switch off nothing is sent. F14 is typed as
# the key that Linux layouts give XF86Launch5.
# Usage: global_keys.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

count() { dump_bytes | grep -c "$1" || true; }
# expect BYTES N WHAT: the receiver has had the message N times in all
expect() {
    local i
    for ((i = 0; i < 50 && $(count "$1") < $2; i++)); do sleep 0.1; done
    sleep 0.3
    [[ $(count "$1") -eq $2 ]] || fail "$3: '$1' received $(count "$1") times, expected $2"
}
settings() { # settings SWITCH: button 1 plays note 60 on hot key F14
    printf '%s\r\n' '[General]' "Global Hot Keys=$1" '[Output 1]' 'MIDI Device=0' 'Active=1' \
        '[Button 1]' 'Action=1' 'HotKey=F14' 'Message=1' 'Note=60' 'Velocity=100' \
        '[Button 1 Release]' 'Note=60' >"$work/keyrill.ini"
}
focus() { xdotool windowfocus --sync "$1" && sleep 0.5; }
hold() { xdotool keydown XF86Launch5; }
let_go() { xdotool keyup XF86Launch5; }

start_x
unset QT_QPA_PLATFORM
wait_for 5 setxkbmap -layout us || fail "setxkbmap failed"
start_jack keyrill-global
start_receiver
xev -event keyboard >"$work/xev.log" 2>&1 &
pids+=("$!")
wait_for 10 find_window '^Event Tester$' || fail "no xev window"
other=$(find_window '^Event Tester$')

settings 1
start_keyrill "$work/keyrill.ini"
focus "$other"
hold && sleep 0.2 && let_go
expect '90 3c 64' 1 "typed into another program"
expect '80 3c 00' 1 "typed into another program"
[[ $(grep -c 'keycode 192' "$work/xev.log") -eq 2 ]] || fail "xev did not get the key"

hold
expect '90 3c 64' 2 "held in another program"
focus "$window"
focus "$other"
let_go
expect '80 3c 00' 2 "held while the focus went to Keyrill and back"

hold
expect '90 3c 64' 3 "held in another program"
focus "$window"
let_go
expect '80 3c 00' 3 "let go in Keyrill"

hold && sleep 0.2 && let_go
expect '90 3c 64' 4 "typed into Keyrill"
expect '80 3c 00' 4 "typed into Keyrill"
close_keyrill

settings 0
start_keyrill "$work/keyrill.ini"
focus "$other"
hold && sleep 0.2 && let_go
sleep 1
expect '90 3c 64' 4 "switched off"
close_keyrill
echo "global hot keys: played from another window, which kept its keys; released once; off: silent"
