#!/usr/bin/env bash
# The modules in the program's library folder hold no copy of anything the program defines and
# find every symbol of the program they use in the executable; the client libraries, which may
# compile in what they need of the platform layer, hold none of the program's state.
# Usage: module_symbols.sh <welcomer> <library folder> <archive of a layer>...
set -euo pipefail
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort -u)
folder=$2
shift 2

# Names an object file defines, mangled so that like names of different scopes stay apart:
#   globals  its global definitions that are not vague linkage (inline functions, templates and
#            class tables are emitted wherever they are used);
#   state    its variables in writable sections, global or a file's own; constants, read-only
#            after relocation, are not state;
#   all      everything it defines, also what it keeps to itself.
# Only the program's own names count: what the compiler adds (DW.ref...) is in every object.
defined() {
  local what=$1
  shift
  nm -f sysv --defined-only "$@" 2>/dev/null | awk -F'|' -v what="$what" '
    NF == 7 && $1 ~ /welcomer/ {
      gsub(/ /, "", $3); gsub(/ /, "", $7)
      writable = $7 ~ /^\.(data|bss|tdata|tbss)/ && $7 !~ /^\.data\.rel\.ro/
      if (what == "all" || (what == "globals" && $3 ~ /^[TDBR]$/) || (what == "state" && writable))
        print $1
    }' | sort -u
}

core_globals=$(defined globals "$@")
core_state=$(defined state "$@")
failures=0
for library in "$folder"/*.so; do
  [ -L "$library" ] && continue
  # A copy linked in from a static library may have been made local to the module.
  if [[ $(basename "$library") == libwelcomer-* ]]; then
    copies=$(sort -u <(comm -12 <(echo "$core_globals") <(defined all "$library")) \
      <(comm -12 <(echo "$core_state") <(defined state "$library")))
    # Undefined here and not exported by the program: the module would not load.
    missing=$(comm -23 <(nm -D --undefined-only "$library" | awk '$2 ~ /welcomer/ {print $2}' |
      sort -u) <(echo "$exported"))
    if [ -n "$missing" ]; then
      echo "FAIL: $(basename "$library") uses what the program does not export:"
      echo "$missing" | c++filt | sed 's/^/  /'
      failures=$((failures + 1))
    fi
  else
    copies=$(comm -12 <(echo "$core_state") <(defined state "$library"))
  fi
  if [ -n "$copies" ]; then
    echo "FAIL: $(basename "$library") holds what the program defines:"
    echo "$copies" | c++filt | sed 's/^/  /'
    failures=$((failures + 1))
  fi
  echo "checked $(basename "$library")"
done
[ "$failures" -eq 0 ] && echo "PASS"
exit $((failures > 0))
