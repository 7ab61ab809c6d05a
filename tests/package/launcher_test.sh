#!/usr/bin/env bash
# welcomer-login: the arguments file becomes the program's arguments, one per line; nothing to
# do is no error; a file that others could have changed is not followed.
# Usage: launcher_test.sh <welcomer-login>
. "$(dirname "$0")/common.sh"
mkdir "$work/bin"
cp "$1" "$work/bin/welcomer-login"
# A stand-in program beside the launcher: it lists its arguments one per line, in brackets.
printf '#!/bin/sh\nfor a in "$@"; do printf "[%%s]\\n" "$a"; done\nexit 3\n' >"$work/bin/welcomer"
chmod 755 "$work/bin/welcomer" "$work/bin/welcomer-login"

# check NAME EXIT ARGUMENTS-SEEN STANDARD-ERROR-HOLDS: runs the launcher on $work/arguments.
check() {
  (cd / && WELCOMER_ARGUMENTS="$work/arguments" "$work/bin/welcomer-login") \
    >"$work/out" 2>"$work/err" </dev/null
  [ $? -eq "$2" ] && [ "$(cat "$work/out")" = "$3" ] &&
    if [ -z "$4" ]; then [ ! -s "$work/err" ]; else grep -qF -- "$4" "$work/err"; fi
  verdict "$1" "$work/out" "$work/err"
}

printf '%s\n' '# Messages of the day' '' '/@' '   /srv/motd of the day  ' \
  '  # an indented comment' '/nt' "	_please _read &this	" '/ro' \
  'touch /tmp/a #1' '/srv/motd/*.txt' >"$work/arguments"
printf 'last line without a line feed\r' >>"$work/arguments"
check "one argument a line, comments and blank lines skipped" 3 \
  "$(printf '[%s]\n' /@ '/srv/motd of the day' /nt '_please _read &this' /ro 'touch /tmp/a #1' \
    '/srv/motd/*.txt' 'last line without a line feed')" ""
: >"$work/arguments"
check "an empty file starts nothing" 0 "" ""
rm -f "$work/arguments"
check "a missing file starts nothing" 0 "" ""
printf '/v\n' >"$work/arguments"
chmod 666 "$work/arguments"
check "a file others may change is ignored" 1 "" "others may change it"
chmod 644 "$work/arguments"
if [ "$(id -u)" -eq 0 ]; then
  chown 4242 "$work/arguments"
  check "a file of another user is ignored" 1 "" "belongs to neither root nor you"
else
  echo "skip a file of another user is ignored: needs root to give the file away"
fi
finish
