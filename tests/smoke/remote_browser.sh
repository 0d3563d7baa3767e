#!/usr/bin/env bash
# The remote in a real browser: a headless Chromium opens the page of the running program, two
# touch points hold two buttons, one lifts, the browser dies with the other held; a toggle clicked
# in the window shows as pressed on the page. A JACK receiver counts the notes.
# Usage: remote_browser.sh KEYRILL WM_CLOSE CDP_DRIVER
source "$(dirname "$0")/lib.sh" "$@"
cdp_driver=$3

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
count() { dump_bytes | grep -c "$1" || true; }

start_x
unset QT_QPA_PLATFORM
start_jack keyrill-remote
start_receiver

port=$(free_port)
token=$(head -c 24 /dev/urandom | base64 | tr '+/' '-_')
# A 2 x 2 grid: buttons 1 and 2 (left column) play notes 60 and 62 while held, button 3 (top
# right) is a toggle of note 64.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
    '[Button 1]' 'Action=1' 'Caption=One' 'Message=1' 'Note=60' 'Velocity=100' '' \
    '[Button 1 Release]' 'Note=60' '' \
    '[Button 2]' 'Action=1' 'Caption=Two' 'Message=1' 'Note=62' 'Velocity=90' '' \
    '[Button 2 Release]' 'Note=62' '' \
    '[Button 3]' 'Action=2' 'Caption=Mute' 'Message=1' 'Note=64' 'Velocity=100' '' \
    '[Button 3 Release]' 'Caption=Muted' 'Message=0' 'Note=64' '' \
    '[Remote]' 'Active=1' "Port=$port" "Token=$token" >"$work/keyrill.ini"
start_keyrill "$work/keyrill.ini"
page="http://127.0.0.1:$port/?token=$token"
wait_for 10 curl -sf -o /dev/null "$page" || fail "the page is not served"

# start_browser: a headless Chromium on the page and the driver of its DevTools session as the
# coprocess "driver"; sets $browser.
start_browser() {
    local devtools target
    devtools=$(free_port)
    chromium --headless=new --no-sandbox --disable-gpu --user-data-dir="$work/chromium" \
        --remote-debugging-port="$devtools" --window-size=400,600 "$page" \
        >"$work/chromium.log" 2>&1 &
    browser=$!
    pids+=("$browser")
    wait_for 20 curl -sf "http://127.0.0.1:$devtools/json/list" || fail "Chromium did not start"
    target=$(curl -s "http://127.0.0.1:$devtools/json/list" |
        jq -r '[.[] | select(.type == "page")][0].webSocketDebuggerUrl')
    coproc driver { "$cdp_driver" "$target" 2>>"$work/driver.log"; }
    pids+=("$driver_PID")
    wait_for 10 is "document.querySelectorAll('[role=button]').length" 4 ||
        fail "the page shows no grid"
}
cdp() { # cdp COMMAND...: the driver's answer
    echo "$*" >&"${driver[1]}"
    read -r answer <&"${driver[0]}" || fail "the DevTools driver ended"
    echo "$answer"
}
is() { [[ $(cdp eval "$1") == "$2" ]]; } # is EXPRESSION JSON: the page's value
button() { echo "document.querySelector('[data-n=\"$1\"]')"; }
pressed() { is "$(button "$1").getAttribute('aria-pressed')" "\"$2\""; } # pressed N true|false
centre() { # centre N: the touch point ID:X:Y at the middle of button N
    cdp eval "(r => '$1:' + Math.round(r.x + r.width / 2) + ':' + Math.round(r.y + r.height / 2))($(button "$1").getBoundingClientRect())" | tr -d '"'
}

start_browser
is "$(button 1).getAttribute('aria-label')" '"One"' || fail "button 1 is not named One"

# A toggle turned on in the window shows as pressed on the page.
xdotool mousemove --window "$window" 220 60 click 1
wait_for 5 received '90 40 64' || fail "the click in the window played nothing"
wait_for 5 pressed 3 true || fail "the toggle turned on in the window is not pressed on the page"
is "$(button 3).getAttribute('aria-label')" '"Muted"' || fail "the toggle does not show its Release face"
echo "remote: a toggle turned on in the window is pressed on the page"

# Two fingers hold two buttons; the first lifts.
one=$(centre 1)
two=$(centre 2)
cdp touch touchStart "$one" "$two" >/dev/null
wait_for 5 received '90 3c 64' || fail "the first finger played nothing"
wait_for 5 received '90 3e 5a' || fail "the second finger played nothing"
wait_for 5 pressed 1 true && pressed 2 true || fail "the held buttons are not pressed on the page"
cdp touch touchEnd "$one" >/dev/null
wait_for 5 received '80 3c 00' || fail "lifting the first finger did not release its note"
sleep 0.5
[[ $(count '80 3e 00') -eq 0 ]] || fail "lifting the first finger released the second one too"
pressed 2 true || fail "the second button is no longer pressed on the page"
echo "remote: two fingers play two notes, lifting one releases its note alone"

# The browser dies with the second finger down: its note ends within 2 s.
kill -KILL "$browser"
died=$(date +%s%N)
wait_for 3 received '80 3e 00' || fail "the note of a dead browser was never released"
ms=$((($(date +%s%N) - died) / 1000000))
((ms <= 2000)) || fail "the note of a dead browser ended after $ms ms"
[[ $(count '80 3e 00') -eq 1 ]] || fail "the note of a dead browser was released more than once"
echo "remote: the note of a dead browser ended after $ms ms"

close_keyrill
