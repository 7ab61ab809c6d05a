#!/usr/bin/env bash
# Boxes as a window manager sees them: a verbose list taller than the screen keeps its buttons
# on the screen, and the print boxes have an empty title, not the program's name.
#   boxes.sh PROGRAM
set -euo pipefail

program=$1
work=$(mktemp -d)
screen=1280x1024x24
. "$(dirname "$0")/x11_session.sh"

# A hundred pages: the verbose list of files to display has a hundred lines.
mkdir "$work/motd"
for i in $(seq 100); do
  printf 'Message %d\n' "$i" >"$work/motd/message_number_$i.txt"
done
start_program /v /f /@ "$work/motd"
wait_for_title "Information" || fail "no list box: $(cat "$work/program.log")"
box=$(find_window "Information")
eval "$(xwininfo -id "$box" | awk '/Absolute upper-left Y:/ {print "top=" $4} /Height:/ {print "height=" $2}')"
[ "$top" -ge 0 ] && [ $((top + height)) -le 1024 ] ||
  fail "the list box runs off the 1024-pixel screen: top $top, height $height"
# Its OK button is on the screen and has the focus.
xdotool windowfocus --sync "$box" key Return
wait_for_title "Information Page 1 of 100" || fail "OK did not close the list box"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=

# Printing without a printer: the shell's and the window's own printing both fail, and say so.
export CUPS_SERVER="$work/no-cups-here"
start_program /f "$work/motd/message_number_1.txt"
wait_for_title "Information" || fail "no window: $(cat "$work/program.log")"
window=$(find_window "Information")
# The print button, at 358,293 in the window.
xdotool mousemove --window "$window" 368 303 click 1
print_box() {
  xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | grep -vx "$window" | head -n1
}
has_print_box() {
  [ -n "$(print_box)" ]
}
wait_for has_print_box || fail "no print box: $(cat "$work/program.log")"
box=$(print_box)
names=$(xprop -id "$box" _NET_WM_NAME WM_NAME)
grep -Eqx '_NET_WM_NAME\(UTF8_STRING\) = ("")?' <<<"$names" &&
  grep -Eqx 'WM_NAME\(STRING\) = ("")?' <<<"$names" ||
  fail "the print box has a title: $names"
echo "PASS: a 100-line box fits a 1024-pixel screen; the print box has an empty title"
