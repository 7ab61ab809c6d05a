# Sourced by shell tests and benchmarks: a private slapd laid out by make_directory.sh in
# $work/slapd and run as the caller's child, on a free port below the ephemeral range and an
# ldapi socket in $work. Sets slapd_pid, port and ldapi. Expects $work to exist.
#   start_private_slapd [slapd's -d level]   (default none; "stats" logs to $work/slapd.log)
#   stop_private_slapd                       by PID, waiting for it

slapd_pid=
start_private_slapd() {
  local level=${1:-none} attempt low
  # The ldapi socket must be reachable whoever runs; the folder from mktemp is 0700.
  chmod 711 "$work"
  "$(dirname "${BASH_SOURCE[0]}")/make_directory.sh" "$work/slapd" "$(id -un)" "$(id -u)" >/dev/null
  ldapi="ldapi://$(printf '%s' "$work/ldapi" | sed 's|/|%2F|g')/"
  low=$(cut -f1 /proc/sys/net/ipv4/ip_local_port_range)
  for attempt in 1 2 3; do
    port=$((low / 2 + RANDOM % (low / 2)))
    [ -z "$(ss -Htan "sport = :$port" 2>/dev/null)" ] || continue
    slapd -d "$level" -f "$work/slapd/slapd.conf" -h "ldap://127.0.0.1:$port/ $ldapi" \
      2>>"$work/slapd.log" &
    slapd_pid=$!
    # Asked on its own socket: a TCP probe could be answered by someone else's server.
    for _ in $(seq 200); do
      LDAPNOINIT=1 ldapwhoami -x -H "$ldapi" >/dev/null 2>&1 && return 0
      kill -0 "$slapd_pid" 2>/dev/null || break
      sleep 0.05
    done
    stop_private_slapd
  done
  return 1
}

stop_private_slapd() {
  if [ -n "$slapd_pid" ]; then
    kill -CONT "$slapd_pid" 2>/dev/null || true
    kill "$slapd_pid" 2>/dev/null || true
    wait "$slapd_pid" 2>/dev/null || true
    slapd_pid=
  fi
}
