# Sourced by the package tests: a private work folder (removed at exit, after $on_exit), a run
# of the program as a login without a display makes it, and a tally of the checks.
set -u
work=$(mktemp -d)
on_exit=:
trap 'eval "$on_exit"; rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config"
export LDAPNOINIT=1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
passed=0
failed=0

ok() { echo "ok   $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1"; failed=$((failed + 1)); }
skip() { echo "skip: $1"; exit 77; }
# verdict NAME [FILE...]: passes NAME when the command before it succeeded, else shows the files.
verdict() {
  local status=$? name=$1
  shift
  if [ "$status" -eq 0 ]; then ok "$name"; else fail "$name"; [ $# -eq 0 ] || cat "$@"; fi
}
# empty NAME FILE: passes NAME when FILE is empty, else shows it.
empty() { [ ! -s "$2" ]; verdict "$1" "$2"; }
# Waits for a file that a detached command makes: up to 20 seconds, as a login shell on a
# machine busy with builds can take several to start.
wait_for() {
  for _ in $(seq 1 400); do [ -e "$1" ] && return 0; sleep 0.05; done
  return 1
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
