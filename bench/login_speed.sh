#!/usr/bin/env bash
# Times the built program with the client we ship, as a login meets it, side by side with a
# plain `ls -l` of the same folder:
#   1. the common login: 50 pages, every one unchanged, nothing shown;
#   2. 3,000 pages whose stored records are all stale (removed one by one at start-up), against
#      3,000 unchanged pages (nothing removed).
# Usage: bench/login_speed.sh [build folder]   (default build/default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/default}/bin/welcomer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A folder of `count` pages and a database whose records match each page's stamp, with the
# stamp replaced by `stamp` when one is given. The program lists each page's key and stamp
# under /v ("Files to track"), so the records are exactly what it would store.
prepare() {
  local name=$1 count=$2 stamp=${3:-}
  local pages="$work/$name" state="$work/state-$name"
  mkdir -p "$pages"
  for i in $(seq "$count"); do printf 'page %d\n' "$i" >"$pages/page$i.txt"; done
  export XDG_STATE_HOME="$state"
  "$program" /v /@ "$pages" 2>"$work/listing" || true
  local database="$state/welcomer/directory.sqlite3"
  sed -n '/Files to track:/,/Files to display:/p' "$work/listing" | tr -d '\r' |
    grep '=' | grep -v 'Files to' | sed "s/^/Welcomer.File./; ${stamp:+s/=[^=]*\$/=$stamp/}" >"$work/records"
  sqlite3 "$database" >/dev/null <<SQL
CREATE TEMP TABLE records(value TEXT);
.import $work/records records
INSERT INTO attribute_values(object_id, attribute, syntax, value, match_key)
  SELECT (SELECT id FROM objects WHERE name_key LIKE 'cn=%'), 'L', 3,
         CAST(value AS BLOB), CAST(lower(value) AS BLOB)
  FROM records;
SQL
  cp "$database" "$work/saved-$name.sqlite3"
}

prepare common 50
prepare unchanged 3000
prepare stale 3000 "0 0"

restore() { echo "cp '$work/saved-$1.sqlite3' '$work/state-$1/welcomer/directory.sqlite3'"; }

echo "== the common login: 50 unchanged pages, nothing shown; the program and ls -l in turn"
"$root/bench/in_turn.py" 300 "XDG_STATE_HOME=$work/state-common $program /@ $work/common" \
  "ls -l $work/common" >"$work/common.txt"

echo "== 3,000 stale records removed, against 3,000 unchanged pages"
hyperfine --warmup 2 --min-runs 10 --export-json "$work/stale.json" \
  --prepare "$(restore unchanged); $(restore stale)" \
  "XDG_STATE_HOME=$work/state-unchanged $program /@ $work/unchanged" \
  "XDG_STATE_HOME=$work/state-stale $program /@ $work/stale"
left=$(sqlite3 "$work/state-stale/welcomer/directory.sqlite3" \
  "SELECT count(*) FROM attribute_values WHERE value LIKE 'Welcomer.File.%'")
[ "$left" -eq 0 ] || { echo "FAIL: $left stale records were not removed" >&2; exit 1; }

# Medians: on a shared machine a few runs that waited for the processor would move a mean.
python3 - "$work/common.txt" "$work/stale.json" <<'PY'
import json, sys
common = [[float(x) for x in line.split()] for line in open(sys.argv[1])]
stale = [r["median"] for r in json.load(open(sys.argv[2]))["results"]]
print(f"common login {common[0][0]:.2f} ms, ls -l {common[1][0]:.2f} ms, "
      f"ratio {common[0][0]/common[1][0]:.2f} (processor time {common[0][1]:.2f} ms, "
      f"{common[1][1]:.2f} ms, ratio {common[0][1]/common[1][1]:.2f})")
print(f"3,000 unchanged {stale[0]*1000:.0f} ms, 3,000 stale {stale[1]*1000:.0f} ms, "
      f"removals add {(stale[1]-stale[0])*1000:.0f} ms")
PY
