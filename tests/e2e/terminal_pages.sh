#!/usr/bin/env bash
# SSH and console logins: without a display the pages are read and answered in the terminal.
# Drives the built program in a real terminal, a private tmux server, as a user would.
#   terminal_pages.sh PROGRAM
set -euo pipefail

program=$1
command -v tmux >/dev/null || { echo "SKIP: tmux is not installed"; exit 77; }
examples="$(cd "$(dirname "$0")/../.." && pwd)/examples/motd"
. "$(dirname "$0")/harness.sh"
# The server's socket lives in the work folder, so that it goes with it.
tmux="tmux -S $work/tmux.socket"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# One 80 x 24 pane, which every run of the program takes over afresh. When the program ends,
# the pane shows its exit code and whether line editing and echo are on again.
$tmux -f /dev/null new-session -d -s t -x 80 -y 24 "exec sleep 600"
$tmux set-option -g set-clipboard on
server_pids=$($tmux display-message -p '#{pid}')
cat >"$work/run.sh" <<'EOF'
"$@"
echo "EXIT=$?"
echo "MODES=$(stty -a | tr ' ;' '\n\n' | grep -xE -- '-?(icanon|echo)' | tr '\n' ' ')"
exec sleep 600
EOF
# Runs the program with the given arguments, its state where XDG_STATE_HOME says.
start() {
  $tmux respawn-pane -k -e "XDG_STATE_HOME=$XDG_STATE_HOME" -t t bash "$work/run.sh" "$program" "$@"
}
capture() { $tmux capture-pane -p "$@" -t t >"$work/screen"; }
shows() { grep -qE -- "$1" "$work/screen"; }
shown() { capture && shows "$1"; }

# Works through the steps in the pane: "?PATTERN" waits up to twenty seconds (a sanitised build
# starts slowly) for the screen to show it, "!PATTERN" fails if the screen shows it now, "=CODE"
# waits for the end and checks the exit code and that the terminal's modes are back, "#N"
# checks that N file records are stored; anything else is sent as keys.
steps() {
  local step
  for step in "$@"; do
    case $step in
      \?*) wait_for shown "${step:1}" || fail "the screen never showed '${step:1}'" ;;
      \!*) ! shows "${step:1}" || fail "the screen shows '${step:1}'" ;;
      =*)
        steps "?^MODES="
        shows "^EXIT=${step:1}\$" || fail "expected exit code ${step:1}"
        shows "^MODES=icanon echo ?\$" || fail "the terminal's modes were not restored" ;;
      \#*) [ "$(stored | wc -l)" -eq "${step:1}" ] || fail "stored: $(stored)" ;;
      *) $tmux send-keys -t t "$step" ;;
    esac
  done
}

m="$work/motd"
mkdir "$m"
printf 'First page\n' >"$m/a_one.txt"
printf 'Second page\n' >"$m/b_two.txt"
printf 'Third page\n' >"$m/c_three.txt"
pages=("$m/a_one.txt" "$m/b_two.txt" "$m/c_three.txt")

# n on the first page and Enter on the others stores exactly the first page's record; the next
# login shows only the other two.
export XDG_STATE_HOME="$work/state1"
start "${pages[@]}"
steps "?^First page" "?^Page 1 of 3: .*/a_one.txt" "?\[Y/n\]" n "?^Page 2 of 3: .*/b_two.txt" \
  Enter "?^Page 3 of 3: .*/c_three.txt" Enter =0 "#1"
stored | grep -q "/A_ONE.TXT=" || fail "stored: $(stored)"
start "${pages[@]}"
steps "?^Page 1 of 2: .*/b_two.txt" Enter "?^Page 2 of 2: .*/c_three.txt"
echo "ok   answers are stored and the next login shows the rest"

# Ctrl-C and Ctrl-D in the middle store what was answered and leave the terminal usable. A page
# that went away meanwhile is named, and asks nothing.
for stop in C-c C-d; do
  export XDG_STATE_HOME="$work/state-$stop"
  start "${pages[@]}"
  steps "?^Page 1 of 3" n "?^Page 2 of 3" "$stop" =0 "!^Page 3 of 3" "#1"
done
cp "$m/a_one.txt" "$work/gone.txt"
export XDG_STATE_HOME="$work/state2"
start "$m/a_one.txt" "$work/gone.txt"
steps "?\[Y/n\]"
mv "$work/gone.txt" "$work/went.txt"
steps Enter "?^Cannot open file .*/gone.txt" =0 "!\[Y/n\] *$"
echo "ok   an interrupt or the end of input stores what was answered"

# Escape sequences in a page, its name or the caption are shown as placeholders: no title,
# colour, cursor move or clipboard write reaches the terminal.
escapes="$m/"$'\033]0;x\007'
printf 'Title\033]0;pwned\007 red\033[31m colour \033[1;1Hmoved clip\033]52;c;cHduZWQ=\007 end\n' \
  >"$escapes"
start /nt $'&please \033[1mread' "$escapes"
title=$($tmux display-message -p -t t '#{pane_title}')
steps "?^please \^\[\[1mread \[Y/n\]" \
  '?\^\[\]0;pwned\^G red\^\[\[31m colour \^\[\[1;1Hmoved clip\^\[\]52;c;cHduZWQ=\^G end'
head -n1 "$work/screen" | grep -q "/\^\[\]0;x\^G\$" || fail "the heading was overwritten"
capture -e
shows $'\033\\[[0-9;]*3[0-7]m' && fail "a colour reached the terminal"
[ "$($tmux display-message -p -t t '#{pane_title}')" = "$title" ] || fail "title changed"
[ -z "$($tmux list-buffers)" ] || fail "the clipboard was written"
echo "ok   escape sequences are shown, not obeyed"

# A long page is held at each screenful of the pane; q goes to the question.
seq -f 'line %g' 1 60 >"$m/long.txt"
start "$m/long.txt"
steps "?^-- More --" "?^line 22\$" "!^line 23\$" Space "?^line 45\$" "?^-- More --" "!^line 46\$" \
  q "?\[Y/n\]" "!^line 60\$"
echo "ok   a long page pages at the pane's height"

# A picture is announced, copied so that the announcement wraps at the same place whatever the
# checkout's path; wrapped at a blank, it reads whole once its lines are joined again.
export XDG_STATE_HOME="$work/state3"
cp "$examples/c_logo.bmp" "$work/c_logo.bmp"
start "$work/c_logo.bmp"
steps "?^Picture .*/c_logo.bmp, 96 x 48 pixels: it can"
tr '\n' ' ' <"$work/screen" | grep -q "it can be seen in a graphical session\." ||
  fail "the announcement is cut"
steps n =0
# Force mode asks nothing and stores nothing.
start /f "${pages[@]}"
steps =0 "?^Page 3 of 3" "!\[Y/n\]" "#1"
echo "ok   a picture is announced; /f asks nothing"

# A pattern given as an argument shows the file it matched; the no-file question is asked on
# the terminal, and y shows the usage.
start "$m/B_*"
steps "?^$m/b_two.txt\$" n =0
start /@ "$work/nowhere"
steps "?\[y/N\]" y =10
echo "ok   a pattern shows its file; the no-file question is asked on the terminal"

# Without a terminal the pages are not shown: the command-line test runs them so.
echo "PASS: the pages reach terminal users"
