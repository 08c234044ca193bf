#!/usr/bin/env bash
# lumivane-wayland under a real compositor: a headless sway of our own
# (headless_sway.sh). Usage: wayland_host.sh CASE SAVER RENDER POINTER, where
# CASE is one of
#   pictures         the still of --frames N on the first output equals
#                    lumivane-render's, through the layer shell and through
#                    an xdg-shell fullscreen window (--xdg-shell)
#   outputs          an output added while it runs gets its own picture,
#                    seeded with the next seed, and shows it again after it
#                    was disabled and enabled (sway 1.7 keeps a disabled
#                    output's global, and cannot unplug a headless one)
#   input            which pointer moves, buttons, wheel and keys end it
#                    (status 0) and which leave it running
#   signals          SIGTERM, SIGINT and SIGHUP end it by the signal
#   compositor_gone  sway's end ends it quietly, with status 0
#   swayidle         swayidle starts it after the idle time, a key ends it,
#                    and swayidle starts it again after the next idle time
# Exit status 77 (skipped) where sway is not installed.
set -u
case_name=$1 saver=$2 render=$3 pointer=$4
command -v sway >/dev/null || { echo "sway is not installed: skipped"; exit 77; }
. "$(dirname "$0")/headless_sway.sh"
work=$(mktemp -d /tmp/lumivane-wayland-XXXXXX)
# Seconds to wait for a picture or an end.
patience=30
saver_pid=""
fail() { echo "FAIL: $*"; exit 1; }
cleanup() {
    [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
    [ -n "${idle_pid:-}" ] && kill "$idle_pid" 2>/dev/null
    stop_sway
    rm -rf "$work"
}
trap cleanup EXIT
start_sway "$work" || fail "sway did not start"

# A still of known frames, in the saver and in the renderer.
still=(--seed 7 --frames 120 --no-cycle --color "#FF8020" --method flexbeam)

# Starts the saver with its options; its stderr goes to $work/saver.err.
start_saver() {
    "$saver" "$@" 2>"$work/saver.err" &
    saver_pid=$!
}

# Waits until output $1 shows the picture in file $2; fails after patience.
wait_for_picture() {
    local output=$1 expected=$2 started=$SECONDS difference=""
    while [ $((SECONDS - started)) -lt "$patience" ]; do
        if grim -o "$output" "$work/screen.png" 2>/dev/null; then
            difference=$(/usr/bin/compare -metric AE "$work/screen.png" "$expected" null: 2>&1)
            [ "$difference" = 0 ] && return 0
        fi
        sleep 0.2
    done
    cat "$work/saver.err"
    fail "$output did not show $(basename "$expected") within $patience s (last: $difference pixels differ)"
}

# The renderer's still of the given seed and size: render_still SEED WxH FILE
render_still() {
    "$render" "${still[@]}" --seed "$1" --size "$2" "$3" 2>/dev/null || fail "lumivane-render failed"
}

# Waits, up to patience, for the saver to end: its exit status goes to
# saver_end ("running" when it has not ended).
saver_end=""
wait_end() {
    local started=$SECONDS
    while kill -0 "$saver_pid" 2>/dev/null && [ $((SECONDS - started)) -lt "$patience" ]; do
        sleep 0.1
    done
    saver_end=running
    kill -0 "$saver_pid" 2>/dev/null && return
    wait "$saver_pid"
    saver_end=$?
    saver_pid=""
}

# Whether the saver still runs a second after what was done to it: long
# enough for the events to have reached it.
runs_on() {
    sleep 1
    kill -0 "$saver_pid" 2>/dev/null
}

# Whether the saver's surface is an xdg-shell window in sway's tree.
has_window() {
    swaymsg -t get_tree | grep -q '"app_id": "lumivane-wayland"'
}

case_pictures() {
    render_still 7 1920x1080 "$work/first.png"
    local shell
    for shell in layer xdg; do
        if [ "$shell" = layer ]; then start_saver "${still[@]}"; else start_saver "${still[@]}" --xdg-shell; fi
        wait_for_picture HEADLESS-1 "$work/first.png"
        if [ "$shell" = layer ]; then
            ! has_window || fail "the layer shell's surface shows as a window"
        else
            has_window || fail "--xdg-shell made no xdg-shell window"
        fi
        kill "$saver_pid"
        wait_end
        echo "the $shell shell's picture equals lumivane-render's"
    done
}

case_outputs() {
    render_still 7 1920x1080 "$work/first.png"
    render_still 8 1280x720 "$work/second.png"
    start_saver "${still[@]}"
    wait_for_picture HEADLESS-1 "$work/first.png"
    swaymsg create_output >/dev/null || fail "sway made no second output"
    wait_for_picture HEADLESS-2 "$work/second.png"
    echo "the added output shows seed 8"
    swaymsg output HEADLESS-2 disable >/dev/null
    runs_on || fail "the saver ended when an output was disabled: $(cat "$work/saver.err")"
    swaymsg output HEADLESS-2 enable >/dev/null
    wait_for_picture HEADLESS-2 "$work/second.png"
    echo "the output disabled and enabled again shows its picture again"
    wait_for_picture HEADLESS-1 "$work/first.png"
}

# Each case: what the pointer does after a first nudge of 1 pixel (which
# may be where the saver first sees it), and whether the saver ends.
input_cases=(
    "2-pixel move|move 2 0|stays"
    "moves that wander back and forth, never more than 3 pixels away|move 2 0 move -2 0 move 0 2 move 0 -2 move 2 0|stays"
    "10-pixel move|move 10 0|ends"
    "two 3-pixel moves at right angles, far from the start together|move 3 0 move 0 3|ends"
    "a click|click|ends"
    "the wheel|scroll|ends"
)

case_input() {
    render_still 7 1920x1080 "$work/first.png"
    local entry what actions expected
    for entry in "${input_cases[@]}"; do
        IFS='|' read -r what actions expected <<<"$entry"
        start_saver "${still[@]}"
        wait_for_picture HEADLESS-1 "$work/first.png"
        # shellcheck disable=SC2086
        "$pointer" move 1 0 pause 200 $actions pause 200 || fail "$what: the pointer failed"
        if [ "$expected" = stays ]; then
            runs_on || { wait_end; fail "$what ended the saver (status $saver_end)"; }
            # A key ends what the pointer left running.
            wtype -s 300 a || fail "wtype failed"
        fi
        wait_end
        [ "$saver_end" = 0 ] || fail "$what: the saver's end is \"$saver_end\", not status 0: $(cat "$work/saver.err")"
        [ ! -s "$work/saver.err" ] || fail "$what: the saver said: $(cat "$work/saver.err")"
        echo "$what: $expected$([ "$expected" = stays ] && echo ", and a key ended it")"
    done
}

case_signals() {
    render_still 7 1920x1080 "$work/first.png"
    local signal number
    for signal in TERM INT HUP; do
        start_saver "${still[@]}"
        wait_for_picture HEADLESS-1 "$work/first.png"
        kill -s "$signal" "$saver_pid"
        wait_end
        number=$(kill -l "$signal")
        [ "$saver_end" = $((128 + number)) ] || fail "SIG$signal: the end is \"$saver_end\", not the signal"
        echo "SIG$signal ended it by the signal"
    done
}

case_compositor_gone() {
    render_still 7 1920x1080 "$work/first.png"
    start_saver "${still[@]}"
    wait_for_picture HEADLESS-1 "$work/first.png"
    stop_sway
    wait_end
    [ "$saver_end" = 0 ] || fail "the compositor's end gave \"$saver_end\", not status 0"
    [ ! -s "$work/saver.err" ] || fail "the saver said: $(cat "$work/saver.err")"
    echo "the compositor's end ended it quietly"
}

# How many times swayidle has started the saver.
starts() { cat "$work/idle.log" 2>/dev/null | grep -c '^started'; }

case_swayidle() {
    render_still 7 1920x1080 "$work/first.png"
    cat >"$work/run-saver" <<SCRIPT
#!/bin/sh
echo started >>"$work/idle.log"
"$saver" ${still[*]@Q} 2>>"$work/saver.err"
echo "ended \$?" >>"$work/idle.log"
SCRIPT
    chmod +x "$work/run-saver"
    swayidle -w timeout 1 "$work/run-saver" >"$work/swayidle.log" 2>&1 &
    idle_pid=$!
    local round started
    for round in 1 2; do
        started=$SECONDS
        until [ "$(starts)" -ge "$round" ]; do
            [ $((SECONDS - started)) -lt "$patience" ] || { cat "$work/swayidle.log"; fail "swayidle did not start the saver (round $round)"; }
            sleep 0.2
        done
        wait_for_picture HEADLESS-1 "$work/first.png"
        wtype -s 300 a || fail "wtype failed"
        started=$SECONDS
        until grep -q "^ended" <(sed -n "$((2 * round))p" "$work/idle.log"); do
            [ $((SECONDS - started)) -lt "$patience" ] || fail "a key did not end the saver swayidle started (round $round)"
            sleep 0.2
        done
        grep -qx "ended 0" <(sed -n "$((2 * round))p" "$work/idle.log") || fail "the saver ended with $(sed -n "$((2 * round))p" "$work/idle.log")"
        echo "swayidle started it after the idle time (round $round), and a key ended it"
    done
}

"case_$case_name"
