#!/usr/bin/env bash
# The manual page formats without a single warning, as groff checks it and as man renders it.
# Usage: manual_page_test.sh <welcomer.1>
set -u
page=$1
passed=0
failed=0

# check NAME WARNINGS
check() {
  if [ -z "$2" ]; then
    echo "ok   $1"; passed=$((passed + 1))
  else
    echo "FAIL $1:"; echo "$2"; failed=$((failed + 1))
  fi
}

check "groff -ww -man" "$(groff -ww -man -z "$page" 2>&1 || echo "groff failed")"
check "man --warnings" \
  "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null ||
     echo "man failed")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
