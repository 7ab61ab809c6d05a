#!/usr/bin/env bash
# Where the display named in the environment does not answer, the program must not abort: it
# says on standard error that it cannot show its pages and ends with exit code 0.
#   no_display.sh PROGRAM
set -euo pipefail

program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/motd"
printf 'A message\n' >"$work/motd/a.txt"

status=0
# ":65000" names an X display nobody runs.
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:65000 XDG_STATE_HOME="$work/state" \
  "$program" /@ "$work/motd" >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: exit code $status: $(cat "$work/err")" >&2; exit 1; }
grep -q "cannot be shown" "$work/err" || { echo "FAIL: nothing said: $(cat "$work/err")" >&2; exit 1; }
echo "PASS: no display, exit code 0: $(cat "$work/err")"
