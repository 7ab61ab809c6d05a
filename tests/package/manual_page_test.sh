#!/usr/bin/env bash
# The manual page formats without a single warning, as groff checks it and as man renders it.
# Usage: manual_page_test.sh <welcomer.1>
. "$(dirname "$0")/common.sh"
page=$1
groff -ww -man -z "$page" >"$work/said" 2>&1 && [ ! -s "$work/said" ]
verdict "groff -ww -man" "$work/said"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>"$work/said" >/dev/null &&
  [ ! -s "$work/said" ]
verdict "man --warnings" "$work/said"
finish
