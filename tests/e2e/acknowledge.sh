#!/usr/bin/env bash
# A user acknowledges pages in the window and the directory client we ship remembers it: an
# unticked page stays away until its file changes, a ticked one comes back, and /f shows all.
#   acknowledge.sh PROGRAM
set -euo pipefail

program=$1
work=$(mktemp -d)
. "$(dirname "$0")/x11_session.sh"

messages="$work/Motd"
mkdir "$messages"
printf 'News of the day\n' >"$messages/a_news.txt"
printf 'House rules\n' >"$messages/b_rules.txt"
touch -d '2026-01-02 03:04:06' "$messages"/*

# The state as the program itself lists it, without a display.
stored() { DISPLAY= "$program" /v 2>&1 | grep -c "^Welcomer.File." || true; }

# Unticks "Show this message next time I login" through its mnemonic. The button clicks itself
# a moment after the key, so the next key waits for that.
untick() {
  press_in "$1" alt+s
  sleep 0.4
}

# Untick both pages.
start_program /@ "$messages"
untick "Information Page 1 of 2"
press_in "Information Page 1 of 2" Return
untick "Information Page 2 of 2"
press_in "Information Page 2 of 2" Return
expect_program_exit 0
[ "$(stored)" -eq 2 ] || fail "expected two file records: $(DISPLAY= "$program" /v 2>&1)"

# Nothing changed: no window, and the program ends at once.
start_program /@ "$messages"
expect_program_exit 0
has_window "Information.*" && fail "a window came up although nothing changed"

# A touched file comes back; left ticked, it is not stored and shows again next time.
touch -d '2026-01-02 03:04:08' "$messages/b_rules.txt"
start_program /@ "$messages"
press_in "Information" Return
expect_program_exit 0
[ "$(stored)" -eq 1 ] || fail "the changed file's stale record was not removed"
start_program /@ "$messages"
press_in "Information" Return
expect_program_exit 0

# Force mode shows every page regardless of the state, and stores nothing.
start_program /f /@ "$messages"
untick "Information Page 1 of 2"
press_in "Information Page 1 of 2" Return
press_in "Information Page 2 of 2" Return
expect_program_exit 0
[ "$(stored)" -eq 1 ] || fail "force mode changed the state"
# A folder with "=" in its name: the page is acknowledged and stays away.
mkdir "$work/m=dir"
printf 'Equals\n' >"$work/m=dir/a=b.txt"
start_program /@ "$work/m=dir"
untick "Information"
press_in "Information" Return
expect_program_exit 0
start_program /@ "$work/m=dir"
expect_program_exit 0
has_window "Information.*" && fail "a page in a folder named m=dir came back"
echo "PASS: acknowledged pages stay away until their files change"
