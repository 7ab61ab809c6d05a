#!/usr/bin/env bash
# The console login hook, sourced as /etc/profile sources it, by bash and by dash: it runs
# welcomer-login only in an interactive shell on a terminal without a graphical session, and the
# login goes on whatever welcomer-login does. The terminal is a private tmux server's.
# Usage: profile_hook_test.sh <welcomer.sh>
. "$(dirname "$0")/common.sh"
command -v tmux >/dev/null || skip "tmux is not installed"
socket="welcomer-hook-$$"
on_exit='tmux -L "$socket" kill-server 2>/dev/null'

# A stand-in launcher that notes each run; FAKE_MODE makes it fail or wait for Ctrl-C.
mkdir "$work/bin"
cat >"$work/bin/welcomer-login" <<'EOS'
#!/bin/sh
echo ran >>"$HOOK_WORK/ran"
case ${FAKE_MODE:-} in
  fail) echo "welcomer-login: cannot read the arguments" >&2; exit 1 ;;
  wait) echo >"$HOOK_WORK/waiting"; sleep 30 ;;
esac
EOS
chmod 755 "$work/bin/welcomer-login"
# What the rest of a login runs after the hook, also in login scripts that stop at the first
# failing command.
printf '. "%s"\necho $? >"%s/ready"\n' "$1" "$work" >"$work/rc"
printf 'set -e\n. "%s"\necho $? >"%s/ready"\n' "$1" "$work" >"$work/rc-errexit"
# A tmux server ends with its last session; one that waits keeps it up between the rows.
tmux -L "$socket" new-session -d -s keeper "sleep 600"

# name | shell | environment | fake mode | launcher runs | the screen shows (grep -E)
while IFS='|' read -r name shell environment mode expect_run shows; do
  rm -f "$work/ran" "$work/ready" "$work/waiting"
  path="$work/bin:/usr/bin:/bin"
  [ "$mode" = missing ] && path=/usr/bin:/bin
  case $shell in
    bash) command="bash --noprofile --rcfile $work/rc -i" ;;
    dash) command="env ENV=$work/rc sh -i" ;;
    dash-errexit) command="env ENV=$work/rc-errexit sh -i" ;;
    bash-command) command="bash -c '. $work/rc'" ;;
    bash-no-terminal-input) command="bash --noprofile --rcfile $work/rc -i </dev/null" ;;
    bash-no-terminal-output) command="bash --noprofile --rcfile $work/rc -i >$work/output" ;;
  esac
  tmux -L "$socket" new-session -d -s row -x 100 -y 30 \
    "env -i HOME=$work TERM=screen PATH=$path HOOK_WORK=$work FAKE_MODE=$mode $environment $command"
  [ "$mode" = wait ] && wait_for "$work/waiting" && tmux -L "$socket" send-keys -t row C-c
  wait_for "$work/ready"
  tmux -L "$socket" capture-pane -p -t row >"$work/screen" 2>&1
  tmux -L "$socket" kill-session -t row 2>/dev/null
  ran=no
  [ -e "$work/ran" ] && ran=yes
  # The rest of the login ran, the hook ended with 0, and the launcher ran or not as expected;
  # its error shows, and a missing launcher is no complaint.
  [ "$(cat "$work/ready" 2>/dev/null)" = 0 ] && [ "$ran" = "$expect_run" ] &&
    if [ -n "$shows" ]; then grep -qE "$shows" "$work/screen"; else true; fi &&
    ! grep -qiE "not found|no such" "$work/screen"
  verdict "$name" "$work/screen"
done <<EOF_ROWS
bash on a terminal runs it|bash|||yes|
dash on a terminal runs it|dash|||yes|
an X session's terminal does not|bash|DISPLAY=:7||no|
a Wayland session's terminal does not|dash|WAYLAND_DISPLAY=wayland-1||no|
a non-interactive shell on a terminal does not|bash-command|||no|
standard input not a terminal does not|bash-no-terminal-input|||no|
standard output not a terminal does not|bash-no-terminal-output|||no|
a failing launcher is reported and the login goes on|bash||fail|yes|cannot read the arguments
a failing launcher under dash's set -e too|dash-errexit||fail|yes|cannot read the arguments
Ctrl-C ends the launcher and the login goes on|bash||wait|yes|
Ctrl-C under dash too|dash||wait|yes|
a removed package's hook does nothing|bash||missing|no|
EOF_ROWS
finish
