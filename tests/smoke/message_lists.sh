#!/usr/bin/env bash
# A button that sends several messages, a system-exclusive one and a wait among them, played on
# a real X server and a private JACK server: the receiver gets the bytes in order, the wait holds
# the rest for its time, and a release during the wait still ends with both Note Offs after the
# last Note On.
# Usage: message_lists.sh KEYRILL WM_CLOSE
source "$(dirname "$0")/lib.sh" "$@"

start_x
start_jack keyrill-lists
# Absolute frame times: the gap of the wait is measured on the server's clock.
stdbuf -oL jack_midi_dump -a >"$work/dump.log" 2>&1 &
pids+=("$!")
wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"
rate=$(jack_samplerate)
period=1024 # start_jack's -p

printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[General]' 'Button Rows=1' 'Button Cols=1' '' '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Message=1' 'Note=60' 'Velocity=100' \
    'More Messages=F0 7F 01 02 01 01 31 F7; wait 300; 90 40 64' '' \
    '[Button 1 Release]' 'Message=0' 'Note=60' 'More Messages=80 40 00' '' >"$work/keyrill.ini"
start_keyrill "$work/keyrill.ini"
sleep 0.5

expected='90 3c 64|f0 7f 01 02 01 01 31 f7|90 40 64|80 3c 00|80 40 00'
# play HOLD: presses button 1 for HOLD seconds, then checks what the receiver got for it.
play() {
    local from got gap
    from=$(wc -l <"$work/dump.log")
    xdotool mousemove --window "$window" 40 40 mousedown 1
    sleep "$1"
    xdotool mouseup 1
    wait_for 10 sh -c "tail -n +$((from + 1)) '$work/dump.log' | grep -qi '^ *[0-9]*: 80 40 00'" ||
        fail "hold $1 s: no Note Off 64"
    sleep 0.3
    # "46336: 90 3c 64 note on ..." -> "46336|90 3c 64"
    tail -n +$((from + 1)) "$work/dump.log" | tr 'A-F' 'a-f' | awk '/^ *[0-9]+:/ {
        line = $1 "|"; sep = ""
        for (i = 2; i <= NF && $i ~ /^[0-9a-f][0-9a-f]$/; i++) { line = line sep $i; sep = " " }
        sub(":", "", line); print line }' >"$work/case.log"
    got=$(cut -d'|' -f2 "$work/case.log" | paste -sd'|')
    [[ "$got" == "$expected" ]] || fail "hold $1 s: received '$got', expected '$expected'"
    # The server hands messages over once a period: the gap it shows may lose up to one.
    frames=$(awk -F'|' '$2 ~ /^f0/ {s = $1} $2 == "90 40 64" {print $1 - s}' "$work/case.log")
    ((frames + period >= rate * 300 / 1000)) ||
        fail "hold $1 s: Note On 64 came $((frames * 1000 / rate)) ms after the SysEx, not 300"
    echo "message lists: hold $1 s: in order, wait of $((frames * 1000 / rate)) ms" \
        "($frames frames at $rate Hz, period $period)"
}

play 1
# Released during the wait: the release waits its turn.
play 0.05
close_keyrill
echo "message lists: passed"
