#!/usr/bin/env bash
# End to end: the built program with the client we ship, each scenario with a state folder of its
# own. Usage: e2e_run_once.sh <welcomer executable>
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without a display every message goes to standard error, which is what these checks read. The
# program upper-cases its arguments, so the command gets an upper-case name.
unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR
mkdir "$work/bin"
printf '#!/bin/sh\necho run >>%s/marker\n' "$work" >"$work/bin/MARK"
chmod +x "$work/bin/MARK"
export PATH="$work/bin:$PATH"
fresh_state() { rm -rf "$work/state" "$work/marker"; export XDG_STATE_HOME="$work/state/$1"; }
# The command is started detached: wait until it has run as often as expected, then a little
# longer so that a run too many would show.
runs() { cat "$work/marker" 2>/dev/null | wc -l; }
expect_runs() {
  for _ in $(seq 50); do [ "$(runs)" -ge "$1" ] && break || sleep 0.1; done
  sleep 0.3
  [ "$(runs)" -eq "$1" ] || fail "$2: expected $1 runs of the command, saw $(runs)"
}
welcomer() { "$program" "$@" 2>"$work/stderr" || fail "welcomer $* exited with $?: $(cat "$work/stderr")"; }

# /ro runs its command once and the state it keeps is listed under /v; /remove clears it.
fresh_state once
welcomer /ro MARK
expect_runs 1 "first /ro"
welcomer /ro MARK /v
expect_runs 1 "second /ro"
grep -q "Welcomer.RunOnce" "$work/stderr" || fail "/v does not list the stored run-once record"
[ "$(stat -c %a "$XDG_STATE_HOME/welcomer" "$XDG_STATE_HOME/welcomer/directory.sqlite3")" = \
  "$(printf '700\n600')" ] || fail "the state folder or the database is not private"
welcomer /remove /v
grep -q "Succesfully removed" "$work/stderr" || fail "/remove did not confirm: $(cat "$work/stderr")"
welcomer /ro MARK
expect_runs 2 "/ro after /remove"

# A trial with /f runs the command every time and leaves the real /ro its one run.
fresh_state force
for expected in 1 2 3 3; do
  welcomer $([ "$expected" -le 2 ] && echo /f) /ro MARK
  expect_runs "$expected" "run $expected of /f /ro, /f /ro, /ro, /ro"
done

# Twenty logins of one user at the same instant run the command once; the lock sits in the
# state folder when there is no runtime folder, and in the runtime folder when there is one.
for runtime in "" "$work/runtime"; do
  fresh_state "concurrent${runtime:+-own}"
  [ -z "$runtime" ] || { mkdir -m 700 "$runtime" && export XDG_RUNTIME_DIR="$runtime"; }
  pids=()
  for i in $(seq 20); do "$program" /ro MARK 2>"$work/concurrent-$i" & pids+=($!); done
  for pid in "${pids[@]}"; do wait "$pid" || fail "a run at once failed: $(cat "$work"/concurrent-*)"; done
  expect_runs 1 "twenty runs at once (runtime folder: ${runtime:-none})"
  [ "$(sqlite3 "$XDG_STATE_HOME/welcomer/directory.sqlite3" 'PRAGMA integrity_check')" = ok ] ||
    fail "the database is damaged"
done
[ -f "$work/runtime/welcomer.lock" ] || fail "the lock is not in the runtime folder"

echo "PASS"
