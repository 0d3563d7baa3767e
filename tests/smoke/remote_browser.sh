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
# Ahead of the browser: a late JACK cycle drops MIDI on its way to the receiver.
start_jack keyrill-remote -15
start_receiver -15

port=$(free_port)
token=$(head -c 24 /dev/urandom | base64 | tr '+/' '-_')
# A 2 x 2 grid: buttons 1 and 2 (left column) play notes 60 and 62 while held, button 3 (top
# right) is a toggle of note 64.
printf '%s\r\n' '[Windows]' 'Main Top=50' 'Main Left=60' 'Main Height=200' 'Main Width=300' '' \
    '[General]' 'Button Rows=2' 'Button Cols=2' '' '[Output 1]' 'MIDI Device=0' 'Active=1' '' \
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
# coprocess "driver"; sets $browser, the leader of the browser's process group.
start_browser() {
    local devtools target
    devtools=$(free_port)
    nice -n 10 setsid chromium --headless=new --no-sandbox --disable-gpu --user-data-dir="$work/chromium$devtools" \
        --remote-debugging-port="$devtools" --window-size=400,600 "$page" \
        >"$work/chromium.log" 2>&1 &
    browser=$!
    pids+=("$browser")
    wait_for 20 curl -sf "http://127.0.0.1:$devtools/json/list" || fail "Chromium did not start"
    target=$(curl -s "http://127.0.0.1:$devtools/json/list" |
        jq -r '[.[] | select(.type == "page")][0].webSocketDebuggerUrl')
    coproc driver { "$cdp_driver" "$target" 2>>"$work/driver.log"; }
    pids+=("$driver_PID")
    exec {to_driver}>&"${driver[1]}" {from_driver}<&"${driver[0]}" # coprocess pipes close in $(...)
    wait_for 10 is "document.querySelectorAll('[role=button]').length" 4 ||
        fail "the page shows no grid"
}
cdp() { # cdp COMMAND...: the driver's answer
    echo "$*" >&"$to_driver"
    read -r answer <&"$from_driver" || fail "the DevTools driver ended"
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
both_held() { pressed 1 true && pressed 2 true; }
wait_for 5 both_held || fail "the held buttons are not pressed on the page"
cdp touch touchEnd "$one" >/dev/null
wait_for 5 received '80 3c 00' || fail "lifting the first finger did not release its note"
sleep 0.5
[[ $(count '80 3e 00') -eq 0 ]] || fail "lifting the first finger released the second one too"
pressed 2 true || fail "the second button is no longer pressed on the page"
echo "remote: two fingers play two notes, lifting one releases its note alone"

# released_after SIGNAL LIMIT_MS: the browser's processes get the signal with button 2 held; its
# note must end once, within the limit.
released_after() {
    local before ms start
    before=$(count '80 3e 00')
    kill "-$1" -- "-$browser"
    start=$(date +%s%N)
    released() { (($(count '80 3e 00') > before)); }
    wait_for 5 released || fail "the note held by a browser sent SIG$1 was never released"
    ms=$((($(date +%s%N) - start) / 1000000))
    ((ms <= $2)) || fail "the note held by a browser sent SIG$1 ended after $ms ms"
    sleep 0.5
    (($(count '80 3e 00') == before + 1)) || fail "the note of a browser sent SIG$1 ended twice"
    echo "remote: the note held by a browser sent SIG$1 ended after $ms ms"
}
released_after KILL 2000

# A browser that stops answering (a phone gone off the network) is dropped: 2 s of silence.
kill "$driver_PID" && wait "$driver_PID" || true
start_browser
cdp touch touchStart "$(centre 2)" >/dev/null
played_again() { (($(count '90 3e 5a') == 2)); }
wait_for 5 played_again || fail "the finger on the new page played nothing"
released_after STOP 3000
kill -KILL -- "-$browser"

close_keyrill
