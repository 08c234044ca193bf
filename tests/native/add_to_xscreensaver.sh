#!/usr/bin/env bash
# "lumivane --add-to-xscreensaver" as a user runs it, with HOME a fresh
# folder: without ~/.xscreensaver it makes one from xscreensaver's defaults
# with lumivane added; run again it changes nothing and says so; in a file
# of the user's it keeps every other line and entry, and the old file as
# ~/.xscreensaver.bak; a file it cannot read ends it with one line and 1.
# Usage: add_to_xscreensaver.sh LUMIVANE
set -u
saver=$1
defaults=/etc/X11/app-defaults/XScreenSaver
work=$(mktemp -d /tmp/lumivane-add-XXXXXX)
home=$work/home
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Runs the command; its exit code, stdout and stderr in code, said, errors.
add() {
    HOME=$home "$saver" --add-to-xscreensaver >"$work/out" 2>"$work/err"
    code=$?
    said=$(cat "$work/out")
    errors=$(cat "$work/err")
}
# The entries of the list in a settings or defaults file, blanks squeezed, one a line.
entries() {
    awk '/^\*?programs:/ { on = 1; sub(/^\*?programs:/, "") }
         on { more = sub(/\\$/, ""); printf "%s", $0; if (!more) exit }' "$1" |
        sed 's/\\n/\n/g' | tr -s ' \t' '  ' | sed 's/^ //; s/ $//' | grep -v '^$'
}
ours="lumivane --font arial"

mkdir "$home"
add
[ "$code" -eq 0 ] && [ -z "$errors" ] || fail "without ~/.xscreensaver: exit $code, $errors"
[[ $said == *"made $home/.xscreensaver from $defaults"* ]] || fail "it said: $said"
diff <(entries "$defaults"; echo "$ours") <(entries "$home/.xscreensaver") ||
    fail "the list made is not the defaults' list and ours"
[ ! -e "$home/.xscreensaver.bak" ] || fail "a backup of no file"

cp "$home/.xscreensaver" "$work/first"
add
[ "$code" -eq 0 ] && [[ $said == *"already lists lumivane; nothing changed"* ]] || fail "again: exit $code, $said"
cmp -s "$work/first" "$home/.xscreensaver" || fail "run again, it changed ~/.xscreensaver"
[ ! -e "$home/.xscreensaver.bak" ] || fail "run again, it made a backup"

printf '%s\n' 'mode:		one' 'programs:	\' '	"Qix"	qix --root	\n\' '-	maze --root \n\' '' 'lock:		False' \
    >"$home/.xscreensaver"
cp "$home/.xscreensaver" "$work/user"
add
[ "$code" -eq 0 ] && [[ $said == *"added to the programs in $home/.xscreensaver"* ]] || fail "user's file: exit $code, $said"
cmp -s "$work/user" "$home/.xscreensaver.bak" || fail "the backup is not the file as it was"
[ "$(entries "$home/.xscreensaver")" = $'"Qix" qix --root\n- maze --root\n'"$ours" ] ||
    fail "the user's entries, then ours, expected: $(entries "$home/.xscreensaver")"
[ "$(diff "$work/user" "$home/.xscreensaver" | grep -c '^[<>]')" -eq 1 ] || fail "lines other than ours changed"

rm "$home/.xscreensaver"
mkdir "$home/.xscreensaver"
add
[ "$code" -eq 1 ] && [ -z "$said" ] && [ "$(echo "$errors" | wc -l)" -eq 1 ] || fail "a folder: exit $code, $said $errors"
echo "made from the defaults, unchanged when run again, the user's file kept with a backup, a folder refused"
