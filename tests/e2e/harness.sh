# Sourced by the end-to-end tests: a folder $work (a fresh one unless the caller has one),
# removed at the end together with what the test started ($program_pid and $server_pids,
# stopped by PID), and the helpers they share. Expects $program.

work=${work:-$(mktemp -d)}
server_pids=
program_pid=
cleanup() {
  for pid in $program_pid $server_pids; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Fails the test, showing the terminal's screen when a terminal test captured one.
fail() {
  echo "FAIL: $*" >&2
  sed 's/^/  | /' "$work/screen" >&2 2>/dev/null || true
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

# The file records stored for the user, as the program lists them without a display.
stored() { DISPLAY= "$program" /v </dev/null 2>&1 | grep "^Welcomer.File." || true; }
