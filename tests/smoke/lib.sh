# Set-up shared by the end-to-end scripts: an X server, a JACK server, a MIDI receiver and the
# program, each stopped again on exit.
# Usage (first lines of a script): source "$(dirname "$0")/lib.sh" KEYRILL WM_CLOSE
set -euo pipefail
keyrill=$1
wm_close=$2

work=$(mktemp -d)
pids=()
app=""
window=""
cleanup() {
    # Last started, first stopped, with a pause after each: JACK's clients go before the server,
    # and the server must have seen them go (one stopped while writing to a client that has just
    # died dies of a broken pipe and never leaves the server registry), then the server before X.
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        stop_process "${pids[i]}"
        sleep 0.3
    done
    # Semaphores of clients still attached when the server stopped.
    rm -f /dev/shm/jack_sem.*_"${JACK_DEFAULT_SERVER:-none}"_* 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# stop_process PID: TERM, and KILL after 10 s with a note; a process that hangs on its way out
# (a JACK server waiting on a client, a client on a dead server) must not hang the script.
stop_process() {
    local i
    kill "$1" 2>/dev/null || return 0
    for ((i = 0; i < 100; i++)); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$1" 2>/dev/null; then
        echo "note: $(ps -o args= -p "$1" | cut -c 1-60) ($1) did not end on TERM; killed" >&2
        kill -KILL "$1" 2>/dev/null || true
    fi
    wait "$1" 2>/dev/null || true
}

fail() {
    local f
    echo "FAIL: $*" >&2
    for f in "$work"/*.log "$work"/*.ini; do
        [[ -e "$f" ]] || continue
        echo "--- $f" >&2
        cat "$f" >&2
    done
    exit 1
}
wait_for() { # wait_for SECONDS COMMAND...: retries the command until it succeeds
    local i limit=$(($1 * 10))
    shift
    for ((i = 0; i < limit; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
# start_x: an Xvfb of 1024 x 768 on a display of its own, exports DISPLAY. The number is picked at
# random among high ones, not the lowest free one: a server of another script that has just
# stopped may still remove the socket of the lowest number when a new server takes it over.
start_x() {
    local try n
    for try in 1 2 3 4 5; do
        n=$((100 + RANDOM % 900))
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        pids+=("$!")
        export DISPLAY=":$n"
        wait_for 10 xdotool getmouselocation && return 0
    done
    fail "Xvfb did not start"
}

# start_atspi: a session bus of our own with at-spi2-core's accessibility bus, Qt's reaching it.
start_atspi() {
    export XDG_RUNTIME_DIR="$work" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 # the bus socket: ours alone
    dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >"$work/dbus.log" 2>&1 &
    pids+=("$!")
    wait_for 10 test -s "$work/bus" || fail "no session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
    pids+=("$!") # asked for by name, not called: a call would have the bus start a second one
    wait_for 10 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true' || fail "no AT-SPI bus"
}

# at_priority NICENESS: sets $priority to the command prefix for that priority ("" for the
# ordinary one). A prefix, not a function: a function run in the background is a subshell, and
# its pid in $pids would not be the process to stop.
at_priority() {
    priority=()
    if [[ -n "$1" ]]; then priority=(nice -n "$1"); fi
}

# start_jack NAME [NICENESS]: a JACK server on the dummy driver; exports JACK_DEFAULT_SERVER.
# The server and the receiver run ahead of everything else (niceness -15 unless given): on a
# loaded machine a late JACK cycle drops the MIDI on its way to the receiver (seen: a fresh
# clone's first run beside two busy loops, nothing received, the server log full of XRuns).
# Give a fixed name: JACK frees a dead server's registry entry only for a new server of the same
# name.
# Periods of 1024 frames (21 ms): a client late by a few milliseconds on a loaded machine still
# finishes its cycle (at 256 frames, one run in ten beside a loaded machine lost a message to a
# client "not finished" in its cycle).
start_jack() {
    # One name per build tree: two trees' suites running at once must not share a server.
    export JACK_DEFAULT_SERVER=$1-$(printf '%s' "$keyrill" | cksum | cut -d ' ' -f 1)
    at_priority "${2--15}"
    "${priority[@]}" jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -p 1024 >"$work/jackd.log" 2>&1 &
    pids+=("$!")
    wait_for 10 jack_lsp || fail "jackd did not start"
}

# start_receiver [NICENESS]: jack_midi_dump writing what it gets to $work/dump.log.
start_receiver() {
    at_priority "${1--15}"
    "${priority[@]}" stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
    pids+=("$!")
    wait_for 10 sh -c 'jack_lsp | grep -q midi-monitor:input' || fail "no MIDI receiver"
}
# start_device: a MIDI device of JACK's ($jack_send, the helper, as "keyrill-device"): what comes
# to its port "in" goes to $work/device.log, and `device BYTES` sends from its port "out".
start_device() {
    rm -f "$work/device" && mkfifo "$work/device"
    "$jack_send" keyrill-device <"$work/device" >"$work/device.log" 2>&1 &
    pids+=("$!")
    exec 5>"$work/device"
    wait_for 10 sh -c 'jack_lsp | grep -q "^keyrill-device:in$"' || fail "no device client"
}
device() { echo "$1" >&5; }
# What the receiver got, as lower-case hex bytes without "0x": "90 3c 64".
dump_bytes() { tr 'A-F' 'a-f' <"$work/dump.log" | sed 's/0x//g'; }
received() { dump_bytes | grep -q "$1"; } # received BYTES: whether the receiver got a message

# find_window TITLE: the first visible window whose name matches; fails when there is none.
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
# open_configuration: the context menu of button 1, then "Configuration..." by keyboard (Up from
# the top wraps to "Exit", then "About...", then "Configuration..."); true once the dialog shows.
open_configuration() {
    xdotool windowfocus --sync "$window" && xdotool mousemove --window "$window" 20 10 click 3
    sleep 0.5 && xdotool key Up Up Up Return
    wait_for 5 find_window '^Configuration$' && sleep 0.3
}
# start_other_window: another program's window (xev, its key events in $work/xev.log); sets $other.
start_other_window() {
    stdbuf -oL xev -event keyboard >"$work/xev.log" 2>&1 &
    pids+=("$!")
    wait_for 10 find_window '^Event Tester$' || fail "no xev window"
    other=$(find_window '^Event Tester$')
}

# launch_keyrill INI [LOG]: starts the program on a settings file and sets $app.
launch_keyrill() {
    "$keyrill" "$1" >>"${2:-$work/keyrill.log}" 2>&1 &
    app=$!
    pids+=("$app")
}
# await_window [OTHER]: waits for the main window (one that is not OTHER) and sets $window.
await_window() {
    local i
    window=""
    for ((i = 0; i < 100; i++)); do
        window=$(find_window '^Keyrill$' || true)
        [[ -n "$window" && "$window" != "${1:-}" ]] && return 0
        window=""
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    fail "the Keyrill window did not appear"
}
start_keyrill() { # start_keyrill INI [LOG]
    launch_keyrill "$@"
    await_window
}
# await_end [WHAT]: waits up to 10 s for the program to end; fails with WHAT if it does not.
await_end() {
    local i
    for ((i = 0; i < 100; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$app" 2>/dev/null || fail "${1:-Keyrill did not end after the close request}"
}
await_exit() { # await_exit [WHAT]: as await_end, and the program ended without an error
    await_end "$@"
    wait "$app" || fail "Keyrill exited with an error"
}
# request_close: the window manager's close request to $window; waits for the program to end.
request_close() {
    "$wm_close" "$window" || fail "could not send the close request"
    await_end
}
close_keyrill() { # request_close, and the program ended without an error
    "$wm_close" "$window" || fail "could not send the close request"
    await_exit
}
