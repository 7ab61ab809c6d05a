#!/usr/bin/env bash
# End to end: the built program against a private slapd, with two state folders standing for two
# workstations of the same user. The run-once record, acknowledged pages and /remove follow the
# user from one to the other; with the server silent a login still ends within the timeout and
# a second, and the cached run-once record holds.
#   e2e_directory.sh PROGRAM
set -euo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$here/../e2e/x11_session.sh"
for tool in slapd slapadd ldapwhoami ldapsearch; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

. "$here/private_slapd.sh"
trap 'stop_private_slapd; cleanup' EXIT
start_private_slapd || fail "slapd did not start: $(cat "$work/slapd.log")"
export LDAPNOINIT=1

values() {
  ldapsearch -LLL -o ldif-wrap=no -x -H "$ldapi" -D cn=admin,dc=example,dc=org -w adminpw \
    -b uid=alice,ou=people,dc=example,dc=org -s base l | sed -n 's/^l: //p'
}

# Two workstations of alice, configured as the README shows.
workstation() {
  export XDG_STATE_HOME="$work/ws$1/state" XDG_CONFIG_HOME="$work/ws$1/config"
  if [ ! -d "$XDG_CONFIG_HOME" ]; then
    mkdir -p "$XDG_CONFIG_HOME/welcomer"
    cat >"$XDG_CONFIG_HOME/welcomer/directory.conf" <<CONF
backend ldap
uri ldap://127.0.0.1:$port
base dc=example,dc=org
bind simple
binddn uid=alice,ou=people,dc=example,dc=org
bindpw_file $work/slapd/alice.pw
timeout 2
CONF
  fi
}

mkdir -p "$work/bin"
cat >"$work/bin/MARK" <<'SCRIPT'
#!/bin/sh
echo run >>"$WELCOMER_E2E_MARKER"
SCRIPT
chmod +x "$work/bin/MARK"
export PATH="$work/bin:$PATH" WELCOMER_E2E_MARKER="$work/marker"
runs() { if [ -f "$WELCOMER_E2E_MARKER" ]; then wc -l <"$WELCOMER_E2E_MARKER"; else echo 0; fi; }
expect_runs() {
  for _ in $(seq 50); do
    [ "$(runs)" -ge "$1" ] && break
    sleep 0.1
  done
  sleep 0.3
  [ "$(runs)" -eq "$1" ] || fail "$2: expected $1 runs of the command, saw $(runs)"
}
# A run without a display; what it says goes to $work/stderr.
login() {
  local code=0
  DISPLAY= "$program" "$@" 2>"$work/stderr" || code=$?
  [ "$code" -eq 0 ] || fail "welcomer $* exited with $code: $(cat "$work/stderr")"
}

# /ro runs on the first workstation and not on the second.
workstation 1
login /ro MARK
expect_runs 1 "first workstation"
workstation 2
login /ro MARK
expect_runs 1 "second workstation"
values | grep -q '^Welcomer.RunOnce=' || fail "no run-once record in the directory: $(values)"

# A page acknowledged in the window on the first does not show on the second.
messages="$work/Motd"
mkdir "$messages"
printf 'News of the day\n' >"$messages/news.txt"
touch -d '2026-01-02 03:04:06' "$messages/news.txt"
workstation 1
start_program /@ "$messages"
press_in "Information" alt+s
sleep 0.4
press_in "Information" Return
expect_program_exit 0
values | grep -q '^Welcomer.File.*NEWS.TXT=' || fail "the acknowledgement was not stored: $(values)"
workstation 2
start_program /@ "$messages"
expect_program_exit 0
has_window "Information.*" && fail "the acknowledged page showed on the second workstation"

# The server goes silent (stopped, its socket still accepting): the login ends within the
# timeout and a second, and the run-once record from the cache holds.
workstation 1
kill -STOP "$slapd_pid"
started=$(date +%s%N)
login /v /ro MARK
elapsed=$((($(date +%s%N) - started) / 1000000))
kill -CONT "$slapd_pid"
[ "$elapsed" -lt 3000 ] || fail "the login with a silent server took $elapsed ms"
expect_runs 1 "silent server"
grep -q "State from the offline cache" "$work/stderr" ||
  fail "/v did not say the state came from the cache: $(cat "$work/stderr")"
grep -q "Welcomer.RunOnce=" "$work/stderr" || fail "/v listed no cached record"

# /remove clears only the values beginning "Welcomer.", and then /ro runs again.
workstation 2
login /remove /v
grep -q "Succesfully removed" "$work/stderr" || fail "/remove did not confirm: $(cat "$work/stderr")"
[ "$(values)" = "Berlin" ] || fail "/remove left or took the wrong values: $(values)"
workstation 1
login /ro MARK
expect_runs 2 "/ro after /remove"
echo "PASS: the state follows the user from one workstation to the other"
