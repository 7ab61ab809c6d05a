#!/usr/bin/env bash
# A user acknowledges pages in the window and the directory client we ship remembers it: an
# unticked page stays away until its file changes, a ticked one comes back, and /f shows all.
#   acknowledge.sh PROGRAM
set -euo pipefail

program=$1
. "$(dirname "$0")/x11_session.sh"

messages="$work/Motd"
mkdir "$messages" "$work/m=dir"
printf 'News of the day\n' >"$messages/a_news.txt"
printf 'House rules\n' >"$messages/b_rules.txt"
printf 'Equals\n' >"$work/m=dir/a=b.txt"
touch -d '2026-01-02 03:04:06' "$messages"/*

# Runs the program on folder $1 and answers each page in turn: u unticks "Show this message next
# time I login" through its mnemonic and goes on, n goes on. The button clicks itself a moment
# after the mnemonic, so the next key waits for that.
answer() {
  local folder=$1 keys=$2 page=0 title
  shift 2
  start_program "$@" /@ "$folder"
  for key in $(grep -o . <<<"$keys"); do
    page=$((page + 1))
    title="Information Page $page of ${#keys}"
    [ "${#keys}" -eq 1 ] && title="Information"
    [ "$key" = u ] && press_in "$title" alt+s && sleep 0.4
    press_in "$title" Return
  done
  expect_program_exit 0
}

answer "$messages" uu
[ "$(stored | wc -l)" -eq 2 ] || fail "expected two file records: $(stored)"
# Nothing changed: no window, and the program ends at once.
answer "$messages" ""

# A touched file comes back; left ticked, it is not stored and shows again next time.
touch -d '2026-01-02 03:04:08' "$messages/b_rules.txt"
answer "$messages" n
[ "$(stored | wc -l)" -eq 1 ] || fail "the changed file's stale record was not removed"
answer "$messages" n

# Force mode shows every page regardless of the state, and stores nothing.
answer "$messages" un /f
[ "$(stored | wc -l)" -eq 1 ] || fail "force mode changed the state"

# A folder with "=" in its name: the page is acknowledged and stays away.
answer "$work/m=dir" u
answer "$work/m=dir" ""
echo "PASS: acknowledged pages stay away until their files change"
