# Sourced by the Wayland saver's tests and by tools/bench: a headless sway of
# our own, run as nobody when we are root (sway refuses to run as root), with
# no input devices and one 1920x1080 output (an output added later is
# 1280x720); clients of ours, as root, reach its socket.
#   start_sway WORK    starts it with its runtime folder in WORK; sets
#                      WAYLAND_DISPLAY, SWAYSOCK and sway_pid
#   stop_sway          ends it
# Seconds to wait for sway's sockets.
sway_patience=30
sway_pid=""

start_sway() {
    local work=$1
    local runtime="$work/runtime"
    local run_as=()
    mkdir -p "$runtime"
    if [ "$(id -u)" -eq 0 ]; then
        run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        chown nobody "$runtime"
    fi
    chmod 0700 "$runtime"
    cat >"$work/sway.config" <<CONFIG
xwayland disable
output HEADLESS-1 mode 1920x1080@60Hz position 0 0
output HEADLESS-2 mode 1280x720@60Hz position 1920 0
CONFIG
    chmod a+r "$work/sway.config"
    chmod a+x "$work"
    "${run_as[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway --config "$work/sway.config" >"$work/sway.log" 2>&1 </dev/null &
    sway_pid=$!
    local started=$SECONDS socket=""
    while [ $((SECONDS - started)) -lt "$sway_patience" ]; do
        kill -0 "$sway_pid" 2>/dev/null || { cat "$work/sway.log"; echo "sway ended at its start" >&2; return 1; }
        socket=$(find "$runtime" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -type s | head -n 1)
        SWAYSOCK=$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*.sock' -type s | head -n 1)
        [ -n "$socket" ] && [ -n "$SWAYSOCK" ] && swaymsg -s "$SWAYSOCK" -t get_outputs >/dev/null 2>&1 && break
        sleep 0.1
    done
    [ -n "$socket" ] && [ -n "$SWAYSOCK" ] || { cat "$work/sway.log"; echo "sway made no sockets within $sway_patience s" >&2; return 1; }
    export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket SWAYSOCK
}

stop_sway() {
    [ -n "$sway_pid" ] && { kill "$sway_pid" 2>/dev/null; wait "$sway_pid" 2>/dev/null; }
    sway_pid=""
}
