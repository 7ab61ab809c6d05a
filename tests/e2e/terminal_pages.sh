#!/usr/bin/env bash
# SSH and console logins: without a display the pages are read and answered in the terminal.
# Drives the built program in a real terminal, a private tmux server, as a user would.
#   terminal_pages.sh PROGRAM
set -euo pipefail

program=$1
command -v tmux >/dev/null || { echo "SKIP: tmux is not installed"; exit 77; }
examples="$(cd "$(dirname "$0")/../.." && pwd)/examples/motd"
work=$(mktemp -d)
tmux="tmux -L welcomer-e2e-$$"
session=0
trap '$tmux kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() {
  echo "FAIL: $*" >&2
  sed 's/^/  | /' "$work/screen" >&2 2>/dev/null || true
  exit 1
}

# Runs the program with the given arguments in a fresh 80 x 24 pane, state in $state. When it
# ends, the pane shows its exit code and whether line editing and echo are on again.
start() {
  session=$((session + 1))
  {
    echo "export XDG_STATE_HOME=$(printf %q "$state")"
    printf '%q ' "$program" "$@"
    echo
    echo 'echo "EXIT=$?"'
    echo "echo \"MODES=\$(stty -a | tr ' ;' '\n\n' | grep -xE -- '-?(icanon|echo)' | tr '\n' ' ')\""
    echo 'exec sleep 600'
  } >"$work/run$session.sh"
  # The new session starts before the last one goes, so that the server stays up.
  $tmux -f /dev/null new-session -d -s "t$session" -x 80 -y 24 "bash $work/run$session.sh"
  $tmux set-option -g set-clipboard on
  [ "$session" -eq 1 ] || $tmux kill-session -t "t$((session - 1))"
}
keys() { $tmux send-keys -t "t$session" "$@"; }
capture() { $tmux capture-pane -p "$@" -t "t$session" >"$work/screen"; }
shows() { grep -qE -- "$1" "$work/screen"; }
# Waits up to twenty seconds (a sanitised build starts slowly) for the screen to show a pattern.
wait_screen() {
  for _ in $(seq 400); do
    capture
    shows "$1" && return 0
    sleep 0.05
  done
  fail "the screen never showed '$1'"
}
expect_exit() {
  wait_screen "^MODES="
  shows "^EXIT=$1\$" || fail "expected exit code $1"
  shows "^MODES=icanon echo ?\$" || fail "the terminal's modes were not restored"
}
# The file records stored for the user, as /v lists them.
stored() { XDG_STATE_HOME="$state" "$program" /v </dev/null 2>&1 | grep -c "^Welcomer.File." || true; }

m="$work/motd"
mkdir "$m"
printf 'First page\n' >"$m/a_one.txt"
printf 'Second page\n' >"$m/b_two.txt"
printf 'Third page\n' >"$m/c_three.txt"
pages=("$m/a_one.txt" "$m/b_two.txt" "$m/c_three.txt")

# n on the first page and Enter on the others stores exactly the first page's record; the next
# login shows only the other two.
state="$work/state1"
start "${pages[@]}"
wait_screen "^First page"
shows "^Page 1 of 3: .*/a_one.txt" && shows "\[Y/n\]" || fail "no heading or question"
keys n
wait_screen "^Page 2 of 3: .*/b_two.txt"
keys Enter
wait_screen "^Page 3 of 3: .*/c_three.txt"
keys Enter
expect_exit 0
[ "$(stored)" -eq 1 ] && XDG_STATE_HOME="$state" "$program" /v 2>&1 | grep -q "A_ONE.TXT=" ||
  fail "stored: $(XDG_STATE_HOME="$state" "$program" /v 2>&1)"
start "${pages[@]}"
wait_screen "^Page 1 of 2: .*/b_two.txt"
keys Enter
wait_screen "^Page 2 of 2: .*/c_three.txt"
echo "ok   answers are stored and the next login shows the rest"

# Ctrl-C and Ctrl-D in the middle store what was answered and leave the terminal usable.
for stop in C-c C-d; do
  state="$work/state-$stop"
  start "${pages[@]}"
  wait_screen "^Page 1 of 3"
  keys n
  wait_screen "^Page 2 of 3"
  keys "$stop"
  expect_exit 0
  ! shows "^Page 3 of 3" && [ "$(stored)" -eq 1 ] || fail "$stop stored $(stored) record(s)"
  echo "ok   $stop stores what was answered"
done

# Escape sequences are shown as placeholders: no title, colour, cursor move or clipboard write.
printf 'Title\033]0;pwned\007 red\033[31m colour \033[1;1Hmoved clip\033]52;c;cHduZWQ=\007 end\n' \
  >"$m/escapes.txt"
start "$m/escapes.txt"
title=$($tmux display-message -p -t "t$session" '#{pane_title}')
wait_screen "\[Y/n\]"
shows '\^\[\]0;pwned\^G red\^\[\[31m colour \^\[\[1;1Hmoved clip\^\[\]52;c;cHduZWQ=\^G end' ||
  fail "no placeholders"
head -n1 "$work/screen" | grep -q "escapes.txt" || fail "the heading was overwritten"
capture -e
shows $'\033\\[[0-9;]*3[0-7]m' && fail "a colour reached the terminal"
[ "$($tmux display-message -p -t "t$session" '#{pane_title}')" = "$title" ] || fail "title changed"
[ -z "$($tmux list-buffers)" ] || fail "the clipboard was written"
echo "ok   escape sequences are shown, not obeyed"

# A long page is held at each screenful of the pane; q goes to the question.
seq -f 'line %g' 1 60 >"$m/long.txt"
start "$m/long.txt"
wait_screen "^-- More --"
shows "^line 22\$" && ! shows "^line 23\$" || fail "the first screen is not 23 rows and a prompt"
keys Space
wait_screen "^line 45\$"
wait_screen "^-- More --"
shows "^line 46\$" && fail "the second screen ran past the pane"
keys q
wait_screen "\[Y/n\]"
shows "^line 60\$" && fail "q did not skip the rest of the page"
echo "ok   a long page pages at the pane's height"

# A picture is announced; force mode asks nothing and stores nothing.
state="$work/state3"
# Copied so that the announcement wraps at the same place whatever the checkout's path.
cp "$examples/c_logo.bmp" "$work/c_logo.bmp"
start "$work/c_logo.bmp"
wait_screen "^Picture .*/c_logo.bmp, 96 x 48 pixels: it can"
# Wrapped at a blank, the announcement reads whole once its lines are joined again.
tr '\n' ' ' <"$work/screen" | grep -q "it can be seen in a graphical session\." ||
  fail "the announcement is cut"
keys n
expect_exit 0
start /f "${pages[@]}"
expect_exit 0
shows "^Page 3 of 3" && ! shows "\[Y/n\]" && [ "$(stored)" -eq 1 ] || fail "force mode asked or stored"
echo "ok   a picture is announced; /f asks nothing"

# A pattern given as an argument shows the file it matched.
start "$m/B_*"
wait_screen "^$m/b_two.txt\$"
keys n
expect_exit 0
echo "ok   a pattern shows its file"

# The no-file question is asked on the terminal; y shows the usage.
start /@ "$work/nowhere"
wait_screen "\[y/N\]"
keys y
expect_exit 10
echo "ok   the no-file question is asked on the terminal"

# Without a terminal on both sides nothing waits and nothing goes to standard output.
state="$work/state4"
status=0
XDG_STATE_HOME="$state" timeout 30 "$program" "${pages[@]}" </dev/null >"$work/out" 2>"$work/err" ||
  status=$?
[ "$status" -eq 0 ] && [ ! -s "$work/out" ] && grep -q "cannot be shown" "$work/err" ||
  fail "standard input not a terminal: exit $status, $(cat "$work/out" "$work/err")"
echo "ok   without a terminal nothing waits"
echo "PASS: the pages reach terminal users"
