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
for tool in Xvfb xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits up to twenty seconds (a sanitised build starts slowly) for a command to succeed.
wait_for() {
  for _ in $(seq 400); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# The server picks a free display number itself and tells it on a file descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_STATE_HOME="$work/state"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

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

"$program" "${arguments[@]}" >"$work/program.log" 2>&1 &
program_pid=$!

find_window() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1
}
has_window() {
  [ -n "$(find_window "$1")" ]
}
wait_for_title() {
  wait_for has_window "$1"
}

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

for _ in $(seq 400); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the last page"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "exit code $status: $(cat "$work/program.log")"
echo "PASS: paged through 3 pages, exit code 0"
