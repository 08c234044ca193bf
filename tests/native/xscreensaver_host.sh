#!/usr/bin/env bash
# The real host: xscreensaver's daemon, run as an unprivileged user on the
# suite's display (as root it never starts a program), with settings whose
# program list starts with lumivane. Blanking with "-select 1" must put our
# frames on the screen, and "-deactivate" must end lumivane. Usage: xscreensaver_host.sh LUMIVANE [SCREENSHOT.png]
# (the screen it judged is kept there, for the README's picture).
set -u
saver=$1
screenshot=${2:-}
: "${DISPLAY:?the test needs a display}"
work=$(mktemp -d /tmp/lumivane-host-XXXXXX)
daemon=""
# Seconds to wait for each step of the daemon's.
patience=60
fail() { echo "FAIL: $*"; exit 1; }
cleanup() {
    xscreensaver-command -exit >/dev/null 2>&1
    [ -n "$daemon" ] && { kill "$daemon" 2>/dev/null; wait "$daemon" 2>/dev/null; }
    pkill -f "$work/lumivane" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Everything the daemon's user reads lives here, open to it: its home, its
# settings (no settings file of the saver's, so the options alone count)
# and a copy of the program, which a build tree may keep out of its reach.
mkdir -p "$work/home"
cp "$saver" "$work/lumivane"
cat >"$work/home/.xscreensaver" <<SETTINGS
mode: one
selected: 0
timeout: 0:30:00
lock: False
splash: False
fade: False
unfade: False
programs: \\
  "Lumivane" $work/lumivane --no-cycle --color=#FF8020 --speed 20 \\n\\

SETTINGS
chmod -R a+rX "$work"

run_as=()
[ "$(id -u)" -eq 0 ] && run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
start_daemon() {
    "${run_as[@]}" env -i HOME="$work/home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
        xscreensaver -no-splash -verbose >"$work/daemon.log" 2>&1 </dev/null &
    daemon=$!
}
# The daemon usually answers within a second, but it has been seen to take
# over ten on a freshly set-up machine under load: wait long, say how long it
# took. It has also been seen, once in many runs, to end within a fifth of a
# second of starting, silently: that start is said and made again, once; a
# daemon that ends twice fails the test.
start_daemon
started=$SECONDS
restarted=false
until xscreensaver-command -version >/dev/null 2>&1; do
    if ! kill -0 "$daemon" 2>/dev/null; then
        wait "$daemon"
        status=$?
        cat "$work/daemon.log"
        $restarted && fail "the daemon ended before it answered (exit status $status), twice"
        echo "the daemon ended before it answered (exit status $status); starting it again"
        restarted=true
        start_daemon
    fi
    [ $((SECONDS - started)) -lt "$patience" ] ||
        { cat "$work/daemon.log"; fail "the daemon did not answer within $patience s"; }
    sleep 0.1
done
echo "the daemon answered after $((SECONDS - started)) s"

xscreensaver-command -select 1 >/dev/null || { cat "$work/daemon.log"; fail "-select 1 was refused"; }
# The screen holds our frames: black and the text colour, and enough of it.
# The daemon starts its display helper only now, on the first blanking.
shown=""
started=$SECONDS
while [ $((SECONDS - started)) -lt "$patience" ]; do
    sleep 0.1
    shown=$(import -window root "$work/screen.png" 2>/dev/null &&
            /usr/bin/convert "$work/screen.png" -format %c histogram:info:- 2>/dev/null)
    lit=$(echo "$shown" | awk '/#FF8020/ { print $1 + 0 }')
    [ "${lit:-0}" -gt 500 ] && break
done
lit=$(echo "$shown" | awk '/#FF8020/ { print $1 + 0 }')
others=$(echo "$shown" | grep -v -e '#FF8020' -e '#000000' | grep -c ':' || true)
[ "${lit:-0}" -gt 500 ] || { echo "$shown"; cat "$work/daemon.log"; fail "no frames of ours on the screen within $patience s"; }
[ "$others" -eq 0 ] || { echo "$shown"; fail "colours on the screen that are not ours"; }
pgrep -f "$work/lumivane" >/dev/null || fail "lumivane is not running"
if [ -n "$screenshot" ]; then
    sleep 2
    import -window root -resize 50% "$screenshot"
fi

xscreensaver-command -deactivate >/dev/null || fail "-deactivate was refused"
# How quickly lumivane heeds SIGTERM is the saver test's; here the daemon
# only has to end it.
started=$SECONDS
while [ $((SECONDS - started)) -lt "$patience" ]; do
    sleep 0.1
    pgrep -f "$work/lumivane" >/dev/null || { echo "xscreensaver ran lumivane, showed $lit lit pixels, and ended it"; exit 0; }
done
cat "$work/daemon.log"
fail "lumivane still runs $patience s after -deactivate"
