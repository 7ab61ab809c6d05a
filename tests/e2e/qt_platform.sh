#!/usr/bin/env bash
# No environment aborts or hangs a login. Whatever QT_QPA_PLATFORM says, the window appears on
# the X display when one answers (on top, off the task bar, at its size), and the run ends on the
# no-display path when none does, also when a display answers the probe and then refuses Qt.
#   qt_platform.sh PROGRAM
set -euo pipefail

program=$1
. "$(dirname "$0")/x11_session.sh"
mkdir "$work/motd"
printf 'A message\n' >"$work/motd/a.txt"

# Runs the program to its end with the given environment changes; it must take the no-display
# path: exit code 0, in time, and say so on standard error.
expect_no_display() {
  local what=$1 status=0
  shift
  env "$@" timeout 60 "$program" /@ "$work/motd" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 0 ] && grep -q "cannot be shown" "$work/err" ||
    fail "$what: exit code $status, not the no-display path: $(cat "$work/err")"
}

for platform in wayland offscreen linuxfb minimal vnc eglfs bogus "xcb;offscreen"; do
  expect_no_display "QT_QPA_PLATFORM=$platform, no display" -u DISPLAY QT_QPA_PLATFORM="$platform"
  QT_QPA_PLATFORM=$platform start_program /@ "$work/motd"
  window=$(window_of "Information")
  # Off the task bar, staying on top, with a client area of 501 x 316.
  seen="$(xprop -id "$window" _NET_WM_STATE) $(xwininfo -id "$window" | tr -s ' \n' ' ')"
  for want in _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_ABOVE "Width: 501 " "Height: 316 "; do
    grep -q "$want" <<<"$seen" || fail "QT_QPA_PLATFORM=$platform: no '$want' in $seen"
  done
  xdotool windowfocus --sync "$window" key Return
  expect_program_exit 0
done

# A screen this server does not have: the probe's connection is let in, Qt's is refused.
expect_no_display "X display refusing Qt" -u WAYLAND_DISPLAY DISPLAY="$DISPLAY.1"
grep -q "the display answered but refused the GUI" "$work/err" ||
  fail "the probe was not let in, or Qt was not refused: $(cat "$work/err")"
# A server that lets the probe in and never answers (stopped; the kernel still takes the
# connection): the probe gives up in time. It goes on first, whatever the row's outcome.
kill -STOP "$server_pids"
status=0
(expect_no_display "X display that never answers" -u WAYLAND_DISPLAY) || status=$?
kill -CONT "$server_pids"
[ "$status" -eq 0 ] || exit 1
echo "PASS: no QT_QPA_PLATFORM aborts or hangs; a display that refuses or never answers ends on the no-display path"
