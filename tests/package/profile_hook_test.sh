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

# name | environment | fake mode | launcher runs | the screen shows (grep -E) | shell, where RC
# is what the rest of a login runs
while IFS='|' read -r name environment mode expect_run shows shell; do
  rm -f "$work/ran" "$work/ready" "$work/waiting"
  path="$work/bin:/usr/bin:/bin"
  [ "$mode" = missing ] && path=/usr/bin:/bin
  tmux -L "$socket" new-session -d -s row -x 100 -y 30 "env -i HOME=$work TERM=screen PATH=$path \
    HOOK_WORK=$work FAKE_MODE=$mode $environment ${shell//RC/$work/rc}"
  [ "$mode" = wait ] && wait_for "$work/waiting" && tmux -L "$socket" send-keys -t row C-c
  wait_for "$work/ready"
  # What the shell wrote may reach the pane a moment after the rest of the login went on.
  for _ in $(seq 1 50); do
    tmux -L "$socket" capture-pane -p -t row >"$work/screen" 2>&1
    grep -qE "${shows:-.?}" "$work/screen" && break
    sleep 0.1
  done
  tmux -L "$socket" kill-session -t row 2>/dev/null
  ran=no
  [ -e "$work/ran" ] && ran=yes
  # The rest of the login ran, the hook ended with 0, and the launcher ran or not as expected;
  # its error shows, and a missing launcher is no complaint.
  [ "$(cat "$work/ready" 2>/dev/null)" = 0 ] && [ "$ran" = "$expect_run" ] &&
    grep -qE "${shows:-.?}" "$work/screen" && ! grep -qiE "not found|no such" "$work/screen"
  verdict "$name" "$work/screen"
done <<'EOF_ROWS'
bash on a terminal runs it|||yes||bash --noprofile --rcfile RC -i
dash on a terminal runs it|||yes||env ENV=RC sh -i
an X session's terminal does not|DISPLAY=:7||no||bash --noprofile --rcfile RC -i
a Wayland session's terminal does not|WAYLAND_DISPLAY=wayland-1||no||env ENV=RC sh -i
a non-interactive shell on a terminal does not|||no||bash -c '. RC'
standard input not a terminal does not|||no||bash --noprofile --rcfile RC -i </dev/null
standard output not a terminal does not|||no||bash --noprofile --rcfile RC -i >/dev/null
a failing launcher is reported, and the login goes on under set -e||fail|yes|cannot read|env ENV=RC-errexit sh -i
Ctrl-C ends the launcher and the login goes on||wait|yes||bash --noprofile --rcfile RC -i
Ctrl-C under dash too||wait|yes||env ENV=RC sh -i
a removed package's hook does nothing||missing|no||bash --noprofile --rcfile RC -i
EOF_ROWS
finish
