#!/usr/bin/env bash
# Runs the program as a login script would, on a folder of three messages, under a private X
# server, and pages through its window with the keyboard as a user would.
#   information_window.sh PROGRAM [SCREENSHOT.png GRAB-TOOL]
# With a screenshot file, the first page of examples/motd is saved there instead, through the
# grab tool.
set -euo pipefail

program=$1
screenshot=${2:-}
grab=${3:-}
work=$(mktemp -d)
. "$(dirname "$0")/x11_session.sh"

if [ -n "$screenshot" ]; then
  # The sample messages in name order, so that the welcome text is the first page.
  arguments=("$(cd "$(dirname "$0")/../../examples/motd" && pwd)"/*)
else
  messages="$work/motd"
  mkdir "$messages"
  printf 'First message\r\n' >"$messages/a_first.txt"
  printf 'Second message\n' >"$messages/b_second.txt"
  printf 'Third message\n' >"$messages/c_third.txt"
  arguments=(/@ "$messages")
fi

start_program "${arguments[@]}"

if [ -n "$screenshot" ]; then
  wait_for_title "Information Page 1 of [0-9]*" || fail "no window: $(cat "$work/program.log")"
  window=$(find_window "Information Page 1 of [0-9]*")
  # Let the first paint reach the server.
  sleep 0.5
  "$grab" "$window" "$screenshot"
  echo "saved $screenshot"
  exit 0
fi

wait_for_title "Information Page 1 of 3" ||
  fail "no window titled 'Information Page 1 of 3': $(cat "$work/program.log")"
window=$(find_window "Information Page 1 of 3")

state=$(xprop -id "$window" _NET_WM_STATE)
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" || fail "window is on the task bar: $state"
grep -q _NET_WM_STATE_ABOVE <<<"$state" || fail "window does not stay on top: $state"
geometry=$(xwininfo -id "$window")
grep -q 'Width: 501$' <<<"$geometry" || fail "client area is not 501 wide: $geometry"
grep -q 'Height: 316$' <<<"$geometry" || fail "client area is not 316 high: $geometry"

for page in 2 3; do
  xdotool windowfocus --sync "$window" key Return
  wait_for_title "Information Page $page of 3" || fail "Enter did not bring page $page"
done
xdotool windowfocus --sync "$window" key Return
expect_program_exit 0
echo "PASS: paged through 3 pages, exit code 0"
