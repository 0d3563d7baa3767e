#!/usr/bin/env bash
# Devices that go and come back while the program runs: the receiver quits or is killed, a client
# that stays unregisters its port and registers it again, the input's device goes and returns,
# the JACK server stops and starts. A press to the absent device shows the error; back, the next
# press arrives, a note held across the loss gets its release, feedback lights again.
# Usage: reconnect.sh KEYRILL WM_CLOSE JACK_SEND
source "$(dirname "$0")/lib.sh" "$@"
jack_send=$3
start_x
start_jack keyrill-reconnect && jackd_pid=${pids[-1]}
start_receiver && receiver_pid=${pids[-1]}
start_device
# Buttons: 1 Note On 60 on output 1, 2 Note On 62 on output 2, 3 holds note 64, 4 toggles note 65.
printf '%s\r\n' '[General]' 'Show Output Errors=1' 'Button Rows=1' 'Button Cols=4' '[Windows]' \
    'Main Top=50' 'Main Left=60' 'Main Height=100' 'Main Width=400' '[Output 1]' 'MIDI Device=0' \
    'MIDI Device Name=midi-monitor:input' 'Active=1' '[Output 2]' 'MIDI Device=0' \
    'MIDI Device Name=keyrill-device:in' 'Active=1' '[Input]' 'MIDI Device=0' \
    'MIDI Device Name=keyrill-device:out' 'Active=1' '[Button 1]' 'Message=1' 'Note=60' \
    'Velocity=100' '[Button 2]' 'Message=1' 'Note=62' 'Velocity=90' 'Output=2' '[Button 3]' \
    'Action=1' 'Message=1' 'Note=64' 'Velocity=100' '[Button 3 Release]' 'Note=64' \
    '[Button 4]' 'Action=2' 'Message=1' 'Note=65' 'Velocity=100' '[Button 4 Release]' 'Note=65' \
    >"$work/keyrill.ini"
at() { xdotool mousemove --window "$window" "$1" 20; }
click() { at "$1" && xdotool click 1; }
gone() { wait_for 10 eval "! jack_lsp | grep -q '^$1$'" || fail "$1 did not go"; }
linked() { jack_lsp -c "$1" | grep -q '^ *Keyrill'; } # a port of Keyrill's is connected to it
error_box() { xdotool search --onlyvisible --name '^Error$' | head -n 1; }
dismiss_error() { # the send's error box shows; Return closes it
    wait_for 5 error_box || fail "$1: no error box"
    xdotool windowfocus --sync "$(error_box)" key Return
    wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Error\$'" || fail "$1: box stayed"
    xdotool windowfocus --sync "$window"
}
stop_receiver() { # stop_receiver SIGNAL
    kill "-$1" "$receiver_pid"
    stop_process "$receiver_pid"
    gone midi-monitor:input
}
restart_receiver() {
    start_receiver && receiver_pid=${pids[-1]}
    wait_for 10 linked midi-monitor:input || fail "$1: output 1 was not connected again"
}
lit() { # feedback (after an unterminated system exclusive) lights button 4: its click sends Off
    device 'f0 7e 7f 06 01'
    device '90 41 64' && sleep 0.5
    local before=$(dump_bytes | grep -c '90 41 64')
    click 320
    wait_for 5 received '80 41 00' || fail "$1: the feedback did not light button 4"
    [[ $(dump_bytes | grep -c '90 41 64') -eq $before ]] || fail "$1: the toggle was not lit"
}

start_keyrill "$work/keyrill.ini"
wait_for 10 linked midi-monitor:input || fail "output 1 not connected at start"
for signal in TERM KILL; do
    stop_receiver "$signal"
    click 20
    dismiss_error "receiver stopped with $signal"
    restart_receiver "receiver stopped with $signal"
    click 20
    wait_for 5 received '90 3c 64' || fail "receiver stopped with $signal: no press after return"
done
at 220 && xdotool mousedown 1 # a note held while its receiver is away
wait_for 5 received '90 40 64' || fail "the held note did not start"
stop_receiver TERM
xdotool mouseup 1
dismiss_error "release while away"
restart_receiver "release while away"
wait_for 5 received '80 40 00' || fail "the release owed was not sent on the return"
! received '90 40 64' || fail "the press was sent again on the return"
echo "reconnect: receiver quit or killed: error, then presses and the owed Note Off on its return"

device -in && gone keyrill-device:in
click 120
dismiss_error "port unregistered"
device +in
wait_for 10 linked keyrill-device:in || fail "output 2 was not connected to the port again"
click 120
wait_for 5 grep -q '90 3e 5a' "$work/device.log" || fail "no press after the port's return"
[[ $(grep -c '90 3e 5a' "$work/device.log") -eq 1 ]] || fail "the press while away arrived"
lit "at start"
device -out && gone keyrill-device:out
device +out
wait_for 10 linked keyrill-device:out || fail "the input was not connected again"
lit "input back"
echo "reconnect: ports unregistered and registered again: presses and feedback flow again"

stop_process "$jackd_pid"
exec 5>&- && sleep 0.5
rm -f /dev/shm/jack_sem.*_"$JACK_DEFAULT_SERVER"_* # left by clients that were attached
click 20
dismiss_error "server stopped"
start_jack keyrill-reconnect
start_device
restart_receiver "server restarted"
wait_for 10 linked keyrill-device:out || fail "server restarted: the input was not connected"
click 20
wait_for 5 received '90 3c 64' || fail "server restarted: the press did not arrive"
lit "server restarted"
echo "reconnect: the JACK server stopped and started again: presses and feedback flow again"
close_keyrill
