#!/usr/bin/env bash
# --help and --version: answered on standard output with status 0, before and instead of the
# program's own argument handling, and never reported as done when the answer was lost.
# Usage: conventional_options.sh <welcomer> <version>
set -u
program=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
passed=0
failed=0
fail() { echo "FAIL $1"; failed=$((failed + 1)); }
ok() { echo "ok   $1"; passed=$((passed + 1)); }

run() {
  LD_DEBUG=files "$program" "$@" </dev/null >"$work/out" 2>"$work/err"
  code=$?
  # The loader's trace tells which libraries were loaded; it is not the program's output.
  grep -v '^ *[0-9]*:' "$work/err" >"$work/said"
}

# name | arguments | exit | standard output must hold (grep -F) | standard output must lack
while IFS='|' read -r name arguments expected_exit must_hold must_lack; do
  read -ra words <<<"$arguments"
  run "${words[@]}"
  if [ "$code" -ne "$expected_exit" ]; then
    fail "$name: exit $code, expected $expected_exit"; cat "$work/said"; continue
  fi
  if ! grep -qF -- "$must_hold" "$work/out"; then
    fail "$name: standard output lacks '$must_hold'"; cat "$work/out"; continue
  fi
  if [ -n "$must_lack" ] && grep -qF -- "$must_lack" "$work/out"; then
    fail "$name: standard output holds '$must_lack'"; continue
  fi
  if [ -s "$work/said" ]; then
    fail "$name: standard error not silent"; cat "$work/said"; continue
  fi
  if grep -qE 'libwelcomer-ui|libnetwin32' "$work/err" || [ -e "$work/state" ]; then
    fail "$name: loaded the GUI or the client, or made the state folder"; continue
  fi
  ok "$name"
done <<EOF_ROWS
help prints the usage text|--help|0|Welcomer $version Usage:|&&
help shows the mnemonic markers as the box does|--help /v|0|(use _ for Capitals and & for underline).|
help ends on the attribute line|--help|0|stored in NDS in the "L" attribute|
EOF_ROWS

# Lines end in a line feed alone, as on any terminal, and the last one too.
"$program" --help </dev/null >"$work/out" 2>/dev/null
if grep -q $'\r' "$work/out" || [ "$(tail -c 1 "$work/out" | od -An -c | tr -d ' ')" != '\n' ]; then
  fail "help lines end in a line feed"
else
  ok "help lines end in a line feed"
fi
"$program" --version </dev/null >"$work/out" 2>/dev/null
if [ "$(cat "$work/out")" = "welcomer $version" ]; then
  ok "version names program and version, one line"
else
  fail "version names program and version, one line: $(cat "$work/out")"
fi

# Elsewhere than first the words keep their old meaning: a file argument that is not found.
run /v --help
if [ "$code" -eq 0 ] && grep -qF "Could not find file --HELP" "$work/said" && [ ! -s "$work/out" ]; then
  ok "help later on is a file argument"
else
  fail "help later on is a file argument: exit $code"; cat "$work/said"
fi

# An answer that cannot be written is an error, not a success.
for option in --help --version; do
  "$program" "$option" </dev/null >/dev/full 2>"$work/err"
  code=$?
  if [ "$code" -eq 1 ] && grep -qF "cannot write" "$work/err"; then
    ok "$option to a full device fails"
  else
    fail "$option to a full device fails: exit $code"; cat "$work/err"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
