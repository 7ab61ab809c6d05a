#!/usr/bin/env bash
# Runs the built program as a login script would, without a display and without a terminal:
# every box goes to standard error, questions are answered No, nothing goes to standard output,
# nothing waits, and the exit codes tell how each run ended.
#   cli_test.sh PROGRAM
set -u
program=$1
. "$(dirname "$0")/harness.sh"
export XDG_STATE_HOME="$work/state"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failed=0
mkdir "$work/motd"
# Made out of order: pages come in the order of their names.
for name in zeta alpha Mid beta; do echo "$name" >"$work/motd/$name"; done

# check NAME EXPECTED_EXIT EXPECTED_STDERR_PATTERN [VARIABLE=VALUE...] -- ARGS...
check() {
  local name=$1 expected_exit=$2 expected=$3 code=0 variables=()
  shift 3
  while [ "$1" != -- ]; do variables+=("$1"); shift; done
  shift
  env "${variables[@]}" timeout 30 "$program" "$@" </dev/null >"$work/out" 2>"$work/err" || code=$?
  if [ "$code" -ne "$expected_exit" ] || [ -s "$work/out" ] ||
    ! tr -d '\r\n' <"$work/err" | grep -q -- "$expected"; then
    echo "FAIL $name: exit $code, expected $expected_exit and '$expected' on standard error only"
    cat "$work/out" "$work/err"
    failed=$((failed + 1))
  else
    echo "ok   $name"
  fi
}

check "no argument shows the usage" 10 "^welcomer: Information: Welcomer 1.3 Usage:" --
check "unknown word asks, No without a display" 0 "Do you want to see the help screen ?" -- /x
check "pages in name order" 0 "Files to display:.*/ALPHA=.*/BETA=.*/MID=.*/ZETA=" -- /v /f /@ "$work/motd"
check "changed files without a display are reported" 0 "4 changed page(s) cannot be shown" -- /@ "$work/motd"
# ":65000" names an X display nobody runs.
check "a display that does not answer is none" 0 "cannot be shown" DISPLAY=:65000 -- "$work/motd/beta"

# /ro starts the command in the case it was typed, and shows nothing; the GUI module is never
# loaded for a run that shows nothing.
check "ro runs the command" 0 "" LD_DEBUG=files -- /ro "touch $work/Marker"
for _ in $(seq 100); do [ -e "$work/Marker" ] && break; sleep 0.05; done
if [ ! -e "$work/Marker" ] || grep -E "libwelcomer-ui|libQt6" "$work/err" | head -3 | grep .; then
  echo "FAIL ro: the command did not run, or the GUI was loaded"
  failed=$((failed + 1))
fi
[ "$failed" -eq 0 ]
