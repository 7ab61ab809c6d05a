#!/usr/bin/env bash
# --help and --version: answered on standard output with status 0, before and instead of the
# program's own argument handling, and never reported as done when the answer was lost.
# Usage: conventional_options.sh <welcomer> <version>
. "$(dirname "$0")/common.sh"
program=$1
version=$2

# Runs the program; $code, its standard output in $work/out, what it said on standard error in
# $work/said (the loader's trace in $work/err tells which libraries were loaded).
run() {
  LD_DEBUG=files "$program" "$@" </dev/null >"$work/out" 2>"$work/err"
  code=$?
  grep -v '^ *[0-9]*:' "$work/err" >"$work/said"
}
# Status 0, silence on standard error, neither the GUI nor the client loaded, no state made.
answered_alone() {
  [ "$code" -eq 0 ] && [ ! -s "$work/said" ] && [ ! -e "$XDG_STATE_HOME" ] &&
    ! grep -qE 'libwelcomer-ui|libnetwin32' "$work/err"
}

# The usage text is the one the box shows, as a terminal reads it: markers applied, lines ending
# in a line feed alone, and the version from the build.
"$program" </dev/null 2>&1 >/dev/null | sed 's/^welcomer: Information: //; s/\r$//' >"$work/box"
for arguments in --help "--help /v"; do
  run $arguments
  answered_alone && cmp -s "$work/box" "$work/out" && ! grep -qF '&&' "$work/out" &&
    [ "$(head -n 1 "$work/out")" = "Welcomer $version Usage:" ]
  verdict "$arguments prints the usage text" "$work/out"
done
run --version
answered_alone && [ "$(cat "$work/out")" = "welcomer $version" ]
verdict "--version names program and version, one line" "$work/out"

# Elsewhere than first the word keeps its old meaning: a file argument that is not found.
run /v --help
[ "$code" -eq 0 ] && grep -qF "Could not find file --HELP" "$work/said" && [ ! -s "$work/out" ]
verdict "--help later on is a file argument" "$work/said"

# An answer that cannot be written is an error, not a success.
for option in --help --version; do
  "$program" "$option" </dev/null >/dev/full 2>"$work/err"
  [ $? -eq 1 ] && grep -qF "cannot write" "$work/err"
  verdict "$option to a full device fails" "$work/err"
done
finish
