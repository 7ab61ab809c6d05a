# Sourced by the end-to-end tests that drive the window: a private X server, a private state
# folder, and helpers to find windows and wait for the program. Expects $program and, when set,
# $work (a folder of the caller's; a fresh one otherwise) and $screen (the screen's size;
# 1024x768x24 otherwise); sets DISPLAY, XDG_STATE_HOME and XDG_RUNTIME_DIR.

for tool in Xvfb xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

. "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

# The server picks a free display number itself and tells it on a file descriptor. Without
# -noreset it resets whenever its last client leaves (each xdotool call, each run of the
# program) and turns away whoever connects meanwhile, which no desktop session ever does.
Xvfb -displayfd 3 -screen 0 "${screen:-1024x768x24}" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
server_pids=$!
wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")" XDG_STATE_HOME="$work/state"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
has_window() { [ -n "$(find_window "$1")" ]; }
# Waits for a window whose title matches $1 and prints its id.
window_of() {
  wait_for has_window "$1" || fail "no window titled '$1': $(cat "$work/program.log")"
  find_window "$1"
}

# Starts the program in the background with the given arguments.
start_program() {
  "$program" "$@" >"$work/program.log" 2>&1 &
  program_pid=$!
}

# Waits for the program started last to end and checks its exit code.
expect_program_exit() {
  local status=0
  wait_for eval '! kill -0 "$program_pid"' || fail "the program did not end"
  wait "$program_pid" || status=$?
  program_pid=
  [ "$status" -eq "$1" ] || fail "exit code $status, expected $1: $(cat "$work/program.log")"
}

# Presses keys in the window titled $1 (a pattern), which must appear first.
press_in() {
  local window
  window=$(window_of "$1") || exit 1
  shift
  xdotool windowfocus --sync "$window" key "$@"
}
