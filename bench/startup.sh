#!/usr/bin/env bash
# Start-up benchmark: time from exec to the first frame of the main window, and resident memory
# then, for Keyrill with a 400-button settings file and for a bare Qt program painting 400 plain
# widgets in the same window size. Runs interleaved on a private Xvfb and prints the medians and
# their ratio.  Usage: bench/startup.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:-build}
runs=${2:-15}
keyrill=$build/app/keyrill
bare=$build/bench/bare_window
probe=$(realpath "$build/bench/libfirst_frame_probe.so")
width=800
height=600

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

display=
for n in $(seq 140 199); do
    if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 100); do
            [[ -e /tmp/.X11-unix/X$n ]] && break
            sleep 0.05
        done
        if kill -0 "$xvfb_pid" 2>/dev/null; then display=":$n"; break; fi
        xvfb_pid=
    fi
done
[[ -n "$display" ]] || { echo "no free display for Xvfb" >&2; exit 1; }

# A 20 x 20 set of 400 buttons that differ from the defaults.
ini=$work/keyrill.ini
{
    printf '[Windows]\r\nMain Top=0\r\nMain Left=0\r\nMain Height=%d\r\nMain Width=%d\r\n\r\n' \
        "$height" "$width"
    printf '[General]\r\nButton Rows=20\r\nButton Cols=20\r\n\r\n'
    for n in $(seq 1 400); do
        printf '[Button %d]\r\nAction=1\r\nHotKey=\r\nCaption=Note\\n%d\r\nMessage=1\r\n' "$n" "$n"
        printf 'Channel=0\r\nNote=%d\r\nVelocity=100\r\nOutput=1\r\nButton Colour=#FFFBF0\r\n' \
            $((n % 128))
        printf 'Text Colour=#000000\r\nImage Index=%d\r\n\r\n' $((n % 135))
        printf '[Button %d Release]\r\nCaption=%d\r\nMessage=0\r\nNote=%d\r\n\r\n' "$n" "$n" \
            $((n % 128))
    done
} >"$ini"
cp "$ini" "$work/pristine.ini"

# One run: prints "<microseconds to the first frame> <resident KiB>".
measure() {
    local out=$work/frame
    rm -f "$out"
    local start=${EPOCHREALTIME/./}
    DISPLAY=$display QT_QPA_PLATFORM=xcb LD_PRELOAD=$probe KEYRILL_FIRST_FRAME_FILE=$out \
        JACK_NO_START_SERVER=1 timeout 30 "$@" >/dev/null 2>&1 || true
    [[ -s "$out" ]] || { echo "no first frame from $1" >&2; exit 1; }
    read -r frame rss <"$out"
    echo "$((frame - start)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One warm-up each, not counted: the first start reads the libraries from disk.
measure "$keyrill" "$ini" >/dev/null
measure "$bare" "$width" "$height" >/dev/null
: >"$work/k"
: >"$work/b"
for _ in $(seq "$runs"); do
    cp "$work/pristine.ini" "$ini"
    measure "$keyrill" "$ini" >>"$work/k"
    measure "$bare" "$width" "$height" >>"$work/b"
done

k_time=$(cut -d' ' -f1 "$work/k" | median)
b_time=$(cut -d' ' -f1 "$work/b" | median)
k_rss=$(cut -d' ' -f2 "$work/k" | median)
b_rss=$(cut -d' ' -f2 "$work/b" | median)
awk -v kt="$k_time" -v bt="$b_time" -v kr="$k_rss" -v br="$b_rss" -v n="$runs" 'BEGIN {
    printf "Start-up to the first frame, medians of %d interleaved runs (Xvfb, 400 buttons):\n", n
    printf "  Keyrill      %8.1f ms   resident %6.1f MB\n", kt / 1000, kr / 1024
    printf "  bare Qt      %8.1f ms   resident %6.1f MB\n", bt / 1000, br / 1024
    printf "  ratio        %8.2f      memory   %+6.1f MB\n", kt / bt, (kr - br) / 1024
}'
