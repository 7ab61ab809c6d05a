#!/usr/bin/env bash
# Pages come in the order of their names, whatever order the files were made in, and a pattern
# given as a plain argument shows the file it matched. What the window shows for each page is
# compared with what it shows when the files are named one by one on the command line, in the
# order wanted (plain arguments keep their order).
#   page_selection.sh PROGRAM GRAB-TOOL
set -euo pipefail

program=$1
grab=$2
work=$(mktemp -d)
. "$(dirname "$0")/x11_session.sh"

messages="$work/motd"
mkdir "$messages"
for name in zeta alpha Mid beta; do
  printf 'The page called %s\n' "$name" >"$messages/$name"
done

# Saves what the window titled $1 shows, once two grabs in a row agree (the first paint may
# still be on its way).
grab_page() {
  local title=$1 out=$2 window
  wait_for_title "$title" || fail "no window titled '$title': $(cat "$work/program.log")"
  window=$(find_window "$title")
  xdotool windowfocus --sync "$window"
  rm -f "$work/last.png"
  for _ in $(seq 40); do
    sleep 0.2
    "$grab" "$window" "$out" >/dev/null || fail "cannot grab the window '$title'"
    [ -f "$work/last.png" ] && cmp -s "$out" "$work/last.png" && return 0
    cp "$out" "$work/last.png"
  done
  fail "the window '$title' kept changing"
}

# Runs the program in force mode (no state involved) and grabs each of its $2 pages as $1-N.png.
grab_run() {
  local label=$1 count=$2 page title
  shift 2
  start_program /f "$@"
  for page in $(seq "$count"); do
    title="Information Page $page of $count"
    [ "$count" -eq 1 ] && title="Information"
    grab_page "$title" "$work/$label-$page.png"
    press_in "$title" Return
  done
  expect_program_exit 0
}

order=(alpha beta Mid zeta)
grab_run named 4 "${order[@]/#/$messages/}"
for i in 1 2 3; do
  cmp -s "$work/named-$i.png" "$work/named-$((i + 1)).png" &&
    fail "pages ${order[i - 1]} and ${order[i]} look alike, so the comparison proves nothing"
done

grab_run folder 4 /@ "$messages"
for i in 1 2 3 4; do
  cmp -s "$work/folder-$i.png" "$work/named-$i.png" ||
    fail "page $i of the folder is not ${order[i - 1]}"
done
echo "PASS: files made as zeta, alpha, Mid, beta show as alpha, beta, Mid, zeta"

# The pattern matches beta and zeta; its page is the first of them.
grab_run beta 1 "$messages/beta"
grab_run pattern 1 "$messages/*ETA"
cmp -s "$work/pattern-1.png" "$work/beta-1.png" || fail "the pattern *ETA did not show beta"
echo "PASS: a pattern argument shows the file it matched"
