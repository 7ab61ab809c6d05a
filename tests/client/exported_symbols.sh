#!/usr/bin/env bash
# The client exports the entry points of its interface and nothing else, under the four names the
# program binds it by, all one object so that they share one client state.
# Usage: exported_symbols.sh <libnetwin32.so> <ClientAbi.h>
set -euo pipefail
for name in netwin32 locwin32 calwin32 clxwin32; do
  [ "$(dirname "$1")/lib$name.so" -ef "$1" ] || { echo "FAIL: lib$name.so is not the client"; exit 1; }
done
declared=$(grep -oE 'NWCLIENT_API [a-z0-9_]+ NW[A-Za-z]+\(' "$2" | sed -E 's/.* (NW[A-Za-z]+)\(/\1/' | sort)
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort)
if [ "$declared" != "$exported" ]; then
  diff <(echo "$declared") <(echo "$exported") || true
  echo "FAIL: the exported symbols differ from the declared entry points (< declared, > exported)"
  exit 1
fi
echo "PASS: $(echo "$exported" | wc -l) entry points, nothing else"
