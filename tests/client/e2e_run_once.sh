#!/usr/bin/env bash
# End to end: the built program with the client we ship, each scenario with a state folder of its
# own. Usage: e2e_run_once.sh <welcomer executable>
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Without a display every message goes to standard error, which is what these checks read.
unset DISPLAY WAYLAND_DISPLAY
# The program upper-cases its arguments, so the command gets an upper-case name and finds the
# file it writes through the environment.
mkdir -p "$work/bin"
cat >"$work/bin/MARK" <<'EOF'
#!/bin/sh
echo run >>"$WELCOMER_E2E_MARKER"
EOF
chmod +x "$work/bin/MARK"
export PATH="$work/bin:$PATH"
export WELCOMER_E2E_MARKER="$work/marker"

fresh_state() {
  rm -rf "$work/state" "$WELCOMER_E2E_MARKER"
  export XDG_STATE_HOME="$work/state/$1"
}

runs() {
  if [ -f "$WELCOMER_E2E_MARKER" ]; then wc -l <"$WELCOMER_E2E_MARKER"; else echo 0; fi
}

# The command is started detached: wait until it has run as often as expected, then a little
# longer so that a run too many would show.
expect_runs() {
  for _ in $(seq 50); do
    [ "$(runs)" -ge "$1" ] && break
    sleep 0.1
  done
  sleep 0.3
  [ "$(runs)" -eq "$1" ] || fail "$2: expected $1 runs of the command, saw $(runs)"
}

welcomer() {
  local code=0
  "$program" "$@" 2>"$work/stderr" || code=$?
  [ "$code" -eq 0 ] || fail "welcomer $* exited with $code: $(cat "$work/stderr")"
}

database() { echo "$XDG_STATE_HOME/welcomer/directory.sqlite3"; }

# The state the program keeps through the client is what it lists under /v.
fresh_state listed
welcomer /ro MARK
expect_runs 1 "first run"
welcomer /v
grep -q "Welcomer.RunOnce" "$work/stderr" || fail "/v does not list the stored run-once record"

# /ro runs its command once; /remove clears the state; /f runs it every time and stores nothing.
fresh_state once
welcomer /ro MARK
expect_runs 1 "first /ro"
welcomer /ro MARK
expect_runs 1 "second /ro"
[ "$(stat -c %a "$(database)")" = 600 ] || fail "the database is not private"
[ "$(stat -c %a "$XDG_STATE_HOME/welcomer")" = 700 ] || fail "the state folder is not private"
welcomer /remove /v
grep -q "Succesfully removed" "$work/stderr" || fail "/remove did not confirm: $(cat "$work/stderr")"
welcomer /ro MARK
expect_runs 2 "/ro after /remove"

# A trial with /f runs the command every time and leaves the real /ro its one run.
fresh_state force
welcomer /f /ro MARK
expect_runs 1 "/f /ro"
welcomer /f /ro MARK
expect_runs 2 "/f /ro again"
welcomer /ro MARK
expect_runs 3 "/ro after /f"
welcomer /ro MARK
expect_runs 3 "/ro once more"

# A command that cannot start is reported under /v and, recorded, not tried again.
fresh_state broken
welcomer /v /ro NO-SUCH-PROGRAM
grep -q 'Could not launch external command "NO-SUCH-PROGRAM": No such file' "$work/stderr" ||
  fail "a failed start was not reported: $(cat "$work/stderr")"
grep -q "Succesfully launched" "$work/stderr" && fail "a failed start was reported as success"
welcomer /v /ro NO-SUCH-PROGRAM
grep -q "launch" "$work/stderr" && fail "a recorded command was tried again"

# Twenty logins of one user at the same instant run the command once; the lock sits in the
# state folder when there is no runtime folder, and in the runtime folder when there is one.
for runtime in none own; do
  fresh_state "concurrent-$runtime"
  if [ "$runtime" = none ]; then
    unset XDG_RUNTIME_DIR
  else
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  fi
  pids=()
  for i in $(seq 20); do
    "$program" /ro MARK 2>"$work/concurrent-$i" &
    pids+=($!)
  done
  codes=0
  for pid in "${pids[@]}"; do wait "$pid" || codes=$?; done
  [ "$codes" -eq 0 ] || fail "a concurrent run failed: $(cat "$work"/concurrent-*)"
  expect_runs 1 "twenty runs at once ($runtime runtime folder)"
  [ "$(sqlite3 "$(database)" 'PRAGMA integrity_check')" = ok ] || fail "the database is damaged"
done
[ -f "$work/runtime/welcomer.lock" ] || fail "the lock is not in the runtime folder"

# The program alone, without its library folder, says why it keeps no state.
mkdir -p "$work/alone/bin"
cp "$program" "$work/alone/bin/welcomer"
"$work/alone/bin/welcomer" /v 2>"$work/stderr" || true
grep -q "No state can be kept: the directory client could not be loaded: .*libcalwin32.so" \
  "$work/stderr" || fail "/v does not say why there is no state: $(cat "$work/stderr")"

echo "PASS"
