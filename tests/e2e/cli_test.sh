#!/usr/bin/env bash
# Runs the built program as a login script would, without a display: every box goes to standard
# error, questions are answered No, and the exit codes tell how each run ended.
# Usage: cli_test.sh <path to welcomer>
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
passed=0
failed=0

# check NAME EXPECTED_EXIT EXPECTED_STDERR_TEXT -- ARGS...
check() {
  local name=$1 expected_exit=$2 expected_text=$3
  shift 4
  "$program" "$@" >"$work/out" 2>"$work/err"
  local code=$?
  if [ "$code" -ne "$expected_exit" ]; then
    echo "FAIL $name: exit $code, expected $expected_exit"; cat "$work/err"; failed=$((failed + 1)); return
  fi
  if [ -n "$expected_text" ] && ! grep -qF -- "$expected_text" "$work/err"; then
    echo "FAIL $name: standard error lacks '$expected_text'"; cat "$work/err"; failed=$((failed + 1)); return
  fi
  if [ -z "$expected_text" ] && [ -s "$work/err" ]; then
    echo "FAIL $name: expected silence"; cat "$work/err"; failed=$((failed + 1)); return
  fi
  echo "ok   $name"; passed=$((passed + 1))
}

check "no argument shows the usage" 10 "Welcomer 1.3 Usage:" --
check "question mark shows the usage" 10 "Timestamps for each textfile are stored in NDS in the \"L\" attribute" -- /?
check "force with remove shows the usage" 10 "Welcomer 1.3 Usage:" -- /f /remove
check "ro without command shows the usage" 10 "Welcomer 1.3 Usage:" -- x /ro
check "unknown word asks, No without a display" 0 "Do you want to see the help screen ?" -- /x
check "verbose alone lists the state" 0 "Config found in NDS:" -- /v
check "nothing found by /@ asks without the hint" 0 "on the commandline. " -- /@ "$work/nowhere"

# /ro starts the command in the case it was typed, and shows nothing; the GUI module is never
# loaded for a run that shows nothing.
LD_DEBUG=files "$program" /ro "touch $work/Marker" >"$work/out" 2>"$work/err"
code=$?
for _ in $(seq 1 100); do [ -e "$work/Marker" ] && break; sleep 0.05; done
if [ "$code" -eq 0 ] && [ -e "$work/Marker" ] && ! grep -q "libwelcomer-ui" "$work/err" &&
   ! grep -q "libQt6" "$work/err"; then
  echo "ok   ro runs the command without loading the GUI"; passed=$((passed + 1))
else
  echo "FAIL ro: exit $code, marker $( [ -e "$work/Marker" ] && echo present || echo missing)"
  grep -E "libwelcomer-ui|libQt6" "$work/err" | head -3
  failed=$((failed + 1))
fi

mkdir -p "$work/motd"
echo "hello" >"$work/motd/a.txt"
check "changed files without a display are reported" 0 "cannot be shown" -- /@ "$work/motd"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
