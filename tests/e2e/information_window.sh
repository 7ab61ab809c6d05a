#!/usr/bin/env bash
# Runs the program as a login script would, on a folder of three messages, under a private X
# server, and pages through its window with the keyboard as a user would.
#   information_window.sh PROGRAM [SCREENSHOT.png GRAB-TOOL]
# With a screenshot file, the first page of examples/motd is saved there instead, through the
# grab tool.
set -euo pipefail

program=$1
work=$(mktemp -d)
. "$(dirname "$0")/x11_session.sh"

if [ -n "${2:-}" ]; then
  # The sample messages in name order, so that the welcome text is the first page.
  start_program "$(cd "$(dirname "$0")/../../examples/motd" && pwd)"/*
  window=$(window_of "Information Page 1 of [0-9]*")
  # Let the first paint reach the server.
  sleep 0.5
  "$3" "$window" "$2"
  echo "saved $2"
  exit 0
fi

mkdir "$work/motd"
printf 'First message\r\n' >"$work/motd/a_first.txt"
printf 'Second message\n' >"$work/motd/b_second.txt"
printf 'Third message\n' >"$work/motd/c_third.txt"
start_program /@ "$work/motd"
window=$(window_of "Information Page 1 of 3")

state=$(xprop -id "$window" _NET_WM_STATE)
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" || fail "window is on the task bar: $state"
grep -q _NET_WM_STATE_ABOVE <<<"$state" || fail "window does not stay on top: $state"
geometry=$(xwininfo -id "$window")
grep -q 'Width: 501$' <<<"$geometry" && grep -q 'Height: 316$' <<<"$geometry" ||
  fail "client area is not 501 x 316: $geometry"

for page in 2 3; do
  press_in "Information Page $((page - 1)) of 3" Return
  window_of "Information Page $page of 3" >/dev/null
done
press_in "Information Page 3 of 3" Return
expect_program_exit 0
echo "PASS: paged through 3 pages, exit code 0"
