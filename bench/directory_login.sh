#!/usr/bin/env bash
# Times an unchanged login (50 pages, every one acknowledged before: nothing to show) of the
# built program, once with the embedded directory and once against a private slapd on loopback,
# and counts the connections and binds slapd saw per login.
#   bench/directory_login.sh PROGRAM DIRECTORY_PROBE [LOGINS]
set -euo pipefail
program=$(realpath "$1")
probe=$(realpath "$2")
logins=${3:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$here/../tests/ldap/private_slapd.sh"
trap 'stop_private_slapd; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY
export LDAPNOINIT=1
# slapd records connections and operations in $work/slapd.log, where they are counted.
start_private_slapd || { echo "slapd did not start" >&2; exit 1; }

mkdir -p "$work/motd" "$work/sqlite/config" "$work/ldap/config/welcomer"
for i in $(seq -w 1 50); do printf 'Message %s\n' "$i" >"$work/motd/page$i.txt"; done
cat >"$work/ldap/config/welcomer/directory.conf" <<CONF
backend ldap
uri ldap://127.0.0.1:$port
base dc=example,dc=org
bind simple
binddn uid=alice,ou=people,dc=example,dc=org
bindpw_file $work/slapd/alice.pw
CONF

# Every page acknowledged: the program's own list of what it would show, stored as file records.
pages=$(XDG_STATE_HOME="$work/scratch" "$program" /f /v /@ "$work/motd" 2>&1 | tr -d '\r' |
  grep -E '^/.*=' || true)
[ "$(echo "$pages" | wc -l)" -eq 50 ] || { echo "expected 50 pages, got: $pages" >&2; exit 1; }
for backend in sqlite ldap; do
  args=()
  while IFS= read -r page; do args+=(add "Welcomer.File.$page"); done <<<"$pages"
  XDG_STATE_HOME="$work/$backend/state" XDG_CONFIG_HOME="$work/$backend/config" \
    "$probe" "${args[@]}" | grep -qv '^add 0$' && { echo "seeding $backend failed" >&2; exit 1; }
done

before=$(grep -c ' ACCEPT ' "$work/slapd.log" || true)
binds_before=$(grep -c ' BIND .*method=' "$work/slapd.log" || true)
# The two in turn (see in_turn.py); the processor time is the program's own, without slapd's.
"$here/in_turn.py" "$logins" \
  "XDG_STATE_HOME=$work/sqlite/state XDG_CONFIG_HOME=$work/sqlite/config $program /@ $work/motd" \
  "XDG_STATE_HOME=$work/ldap/state XDG_CONFIG_HOME=$work/ldap/config $program /@ $work/motd" |
  paste -d' ' <(printf 'sqlite\nldap\n') - >"$work/times"
accepts=$(($(grep -c ' ACCEPT ' "$work/slapd.log") - before))
# slapd writes two lines per bind; the request's names the method.
binds=$(($(grep -c ' BIND .*method=' "$work/slapd.log") - binds_before))
awk -v n="$logins" -v a="$accepts" -v b="$binds" '
  { wall[$1] = $2; cpu[$1] = $3 }
  END {
    printf "unchanged login, 50 pages, median of %d taken in turn (wall clock; the program'"'"'s processor time):\n", n
    printf "  embedded directory  %6.1f ms  %5.1f ms\n", wall["sqlite"], cpu["sqlite"]
    printf "  slapd on loopback   %6.1f ms  %5.1f ms  (%.2fx; %.2fx)\n", wall["ldap"], cpu["ldap"],
           wall["ldap"] / wall["sqlite"], cpu["ldap"] / cpu["sqlite"]
    printf "  per login: %.2f connection(s), %.2f bind(s)\n", a / (n + 1), b / (n + 1)
  }' "$work/times"
