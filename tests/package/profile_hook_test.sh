#!/usr/bin/env bash
# The console login hook, sourced as /etc/profile sources it, by bash and by dash: it runs
# welcomer-login only in an interactive shell on a terminal without a graphical session, and the
# login goes on whatever welcomer-login does. The terminal is a private tmux server's.
# Usage: profile_hook_test.sh <welcomer.sh>
set -u
hook=$1
work=$(mktemp -d)
socket="welcomer-hook-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
command -v tmux >/dev/null || { echo "skip: tmux is not installed"; exit 77; }

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
# What the rest of a login runs after the hook.
printf '. "%s"\necho $? >"%s/ready"\n' "$hook" "$work" >"$work/rc"
# The same in login scripts that stop at the first failing command.
printf 'set -e\n. "%s"\necho $? >"%s/ready"\n' "$hook" "$work" >"$work/rc-errexit"

# A tmux server ends with its last session; one that waits keeps it up between the rows.
tmux -L "$socket" new-session -d -s keeper "sleep 600"

passed=0
failed=0
session=0

wait_for() {
  for _ in $(seq 1 100); do [ -e "$1" ] && return 0; sleep 0.05; done
  return 1
}

# name | shell | environment | fake mode | launcher runs
while IFS='|' read -r name shell environment mode expect_run; do
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
  session=$((session + 1))
  tmux -L "$socket" new-session -d -s "s$session" -x 100 -y 30 \
    "env -i HOME=$work TERM=screen PATH=$path HOOK_WORK=$work FAKE_MODE=$mode $environment $command"
  if [ "$mode" = wait ]; then
    if wait_for "$work/waiting"; then
      tmux -L "$socket" send-keys -t "s$session" C-c
    fi
  fi
  wait_for "$work/ready"
  screen=$(tmux -L "$socket" capture-pane -p -t "s$session" 2>/dev/null)
  tmux -L "$socket" kill-session -t "s$session" 2>/dev/null
  ran=no
  [ -e "$work/ran" ] && ran=yes
  if [ ! -e "$work/ready" ]; then
    echo "FAIL $name: the rest of the login did not run"; echo "$screen"; failed=$((failed + 1))
  elif [ "$(cat "$work/ready")" != 0 ]; then
    echo "FAIL $name: the hook ended with status $(cat "$work/ready")"; failed=$((failed + 1))
  elif [ "$ran" != "$expect_run" ]; then
    echo "FAIL $name: launcher ran: $ran, expected $expect_run"; failed=$((failed + 1))
  elif [ "$mode" = fail ] && ! grep -qF "cannot read the arguments" <<<"$screen"; then
    echo "FAIL $name: the launcher's error was not shown"; echo "$screen"; failed=$((failed + 1))
  elif [ "$mode" = missing ] && grep -qiE "not found|no such" <<<"$screen"; then
    echo "FAIL $name: a missing launcher was complained about"; echo "$screen"
    failed=$((failed + 1))
  else
    echo "ok   $name"; passed=$((passed + 1))
  fi
done <<EOF_ROWS
bash on a terminal runs it|bash|||yes
dash on a terminal runs it|dash|||yes
an X session's terminal does not|bash|DISPLAY=:7||no
a Wayland session's terminal does not|dash|WAYLAND_DISPLAY=wayland-1||no
a non-interactive shell on a terminal does not|bash-command|||no
standard input not a terminal does not|bash-no-terminal-input|||no
standard output not a terminal does not|bash-no-terminal-output|||no
a failing launcher is reported and the login goes on|bash||fail|yes
a failing launcher under dash too|dash||fail|yes
a failing launcher under set -e|dash-errexit||fail|yes
Ctrl-C ends the launcher and the login goes on|bash||wait|yes
Ctrl-C under dash too|dash||wait|yes
a removed package's hook does nothing|bash||missing|no
EOF_ROWS

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
