#!/usr/bin/env bash
# The modules in the program's library folder hold no copy of anything the program defines and
# find every symbol of the program they use in the executable; the client libraries, which may
# compile in what they need of the platform layer, hold none of the program's state.
# Usage: module_symbols.sh <welcomer> <library folder> <archive of a layer>...
set -euo pipefail
program=$1
folder=$2
shift 2

# Functions and data that one object file owns: global definitions, and data of a file's own
# (static or anonymous). Vague linkage (inline functions, templates, class tables: W V) is emitted
# wherever it is used and does not count, except the program's unique globals (u), which would
# be state when mutable. Names stay mangled so that like names of different scopes stay apart.
owned() {
  nm --defined-only "$@" 2>/dev/null |
    awk -v kinds="$kinds" 'NF == 3 && (index(kinds, $2) || ($2 == "u" && $3 ~ /welcomer/)) {print $3}' |
    sort -u
}

kinds=TDBRdb
core=$(owned "$@")
kinds=DBdb
core_state=$(owned "$@")
exported=$(nm -D --defined-only "$program" | awk '{print $3}' | sort -u)

failures=0
while IFS= read -r library; do
  name=$(basename "$library")
  if [[ $name == libwelcomer-* ]]; then
    kinds=TDBRdb
    copies=$(comm -12 <(echo "$core") <(owned "$library"))
    what="defines what the program defines"
    # Undefined here and not exported by the program: the module would not load.
    missing=$(comm -23 <(nm -D --undefined-only "$library" | awk '$2 ~ /welcomer/ {print $2}' | sort -u) \
      <(echo "$exported"))
    if [ -n "$missing" ]; then
      echo "FAIL: $name uses what the program does not export:"
      echo "$missing" | c++filt | sed 's/^/  /'
      failures=$((failures + 1))
    fi
  else
    kinds=DBdb
    copies=$(comm -12 <(echo "$core_state") <(owned "$library"))
    what="holds state of the program"
  fi
  if [ -n "$copies" ]; then
    echo "FAIL: $name $what:"
    echo "$copies" | c++filt | sed 's/^/  /'
    failures=$((failures + 1))
  fi
  echo "checked $name"
done < <(find "$folder" -maxdepth 1 -type f -name '*.so' | sort)

[ "$failures" -eq 0 ] && echo "PASS"
exit $((failures > 0))
