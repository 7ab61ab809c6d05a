#!/usr/bin/env bash
# The client against a private slapd, one case a run, each with a server of its own. A run of
# directory_probe (DirectoryProbe.cpp says what it prints) stands for one login on a
# workstation whose configuration and state live in $work/<workstation>; EndToEnd runs the
# program itself.
#   slapd_tests.sh CASE PROBE CLIENT_FOLDER [PROGRAM]
set -euo pipefail
case_name=$1 probe=$2 client_folder=$3 program=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$here/private_slapd.sh"
trap 'stop_private_servers; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
export LDAPNOINIT=1
alice="0 UID=alice.OU=people.DC=example.DC=org"
with=()

now() { echo $((${EPOCHREALTIME/./} / 1000)); }
# A code of the client's, by its name in ClientErrors.h.
code() { sed -n "s/^ *$1 = \(-[0-9]*\).*/\1/p" "$here/../../client/ClientErrors.h"; }
# Writes the directory.conf of workstation $1 from the lines that follow.
configure() {
  mkdir -p "$work/$1/config/welcomer"
  printf '%s\n' "${@:2}" >"$work/$1/config/welcomer/directory.conf"
}
# The lines of a simple bind as $1 with the password file $2 to the URI $3 (by default their own
# file and slapd).
simple() {
  printf '%s\n' "backend ldap" "uri ${3:-ldap://127.0.0.1:$port}" "base dc=example,dc=org" \
    "bind simple" "binddn uid=$1,ou=people,dc=example,dc=org" \
    "bindpw_file ${2:-$work/slapd/$1.pw}" "timeout 2"
}
# One login of workstation $1 making the steps that follow, in the environment "with" adds:
# $out holds what it printed, $started when it began; its standard error is in $work/$1.err.
run() {
  started=$(now)
  env XDG_CONFIG_HOME="$work/$1/config" XDG_STATE_HOME="$work/$1/state" env "${with[@]}" \
    "$probe" "${@:2}" >"$work/$1.out" 2>"$work/$1.err" || fail "probe ${*:2}: $(cat "$work/$1.err")"
  out=$(cat "$work/$1.out")
}
# As run, with slapd stopped once the first step, a read, has answered.
run_stopping_slapd() {
  : >"$work/$1.out"
  started=$(now)
  run "$1" read wait "$work/resume" "${@:2}" &
  while kill -0 $! 2>/dev/null && ! grep -q '^read 0' "$work/$1.out"; do sleep 0.01; done
  stop_private_slapd
  touch "$work/resume"
  wait $! || exit 1
  out=$(cat "$work/$1.out")
}
# Fails unless the lines of $out that begin with the word $1 hold, after it, the lines that
# follow.
expect() {
  local got
  got=$(sed -n "s/^$1 //p" <<<"$out" | sed 's/ *$//')
  [ "$got" = "$(printf '%s\n' "${@:2}")" ] || fail "$1: [$got], expected [${*:2}] in: $out"
}
# Fails unless a line of $out that begins with the word $1 holds the text $2.
holds() { grep "^$1 " <<<"$out" | grep -qF -- "$2" || fail "no $1 with \"$2\" in: $out"; }
# Fails unless from $started until now took at least $1 and less than $2 milliseconds.
took() { ms=$(($(now) - started)) && [ "$ms" -ge "$1" ] && [ "$ms" -lt "$2" ] || fail "$ms ms"; }
# The values of "l" of uid=$1 as the administrator sees them, one a line.
values() {
  ldapsearch -LLL -o ldif-wrap=no -x -H "$ldapi" -D cn=admin,dc=example,dc=org -w adminpw \
    -b "uid=$1,ou=people,dc=example,dc=org" -s base l | sed -n 's/^l: //p'
}
expect_values() { local out && out=$(values "$1" | sed 's/^/l /') && expect l "${@:2}"; }
# A login of workstation ws that asks who the user is and reads. With whoami's answer $1 being
# alice's, it reads her value; otherwise it reads nothing, and the failure holds $2.
login_as_alice() {
  run ws whoami read
  expect whoami "$1"
  [ "$1" != "$alice" ] || { expect value Berlin && return; }
  expect value
  holds failure "$2"
}
start_slapd() { start_private_slapd || fail "slapd did not start: $(cat "$work/slapd.log")"; }

case_Binds() {
  start_private_kdc || fail "the KDC did not start: $(cat "$work/krb/kdc.log")"
  start_slapd
  local bobs=$work/slapd/bob.pw bad=$work/ws/config refused unusable
  local kerberos=(-u LDAPNOINIT "LDAPCONF=$work/krb/ldap.conf" LDAPRC=none LD_DEBUG=files)
  refused=$(code kNWErrFailedAuthentication) && unusable=$(code kNWErrConfiguration)
  # WHOAMI FAILURE MECHANISM CONFIGURATION...: only GSSAPI has SASL load a mechanism, and
  # Kerberos's libraries with it, at a login.
  bind_row() {
    configure ws "${@:4}"
    login_as_alice "$1" "$2"
    [ -n "$3" ] || ! grep -q /sasl2/ "$work/ws.err" || fail "a SASL mechanism was loaded"
    [ -z "$3" ] || grep -q "/sasl2/$3" "$work/ws.err" || fail "no $3 loaded"
  }
  with=(LD_DEBUG=files)
  bind_row "$alice" "" "" "$(simple alice)"
  bind_row "$alice" "" "" "backend ldap" "uri $ldapi" "sasl_mech EXTERNAL"
  bind_row "$refused" "Invalid credentials (49)" "" "$(simple alice "$bobs")"
  chmod 640 "$bobs"
  bind_row "$unusable" "others may read or change it" "" "$(simple bob)"
  [ "$(id -u)" != 0 ] || { chown 4321 "$bobs" &&
    bind_row "$unusable" "belongs to neither" "" "$(simple bob)"; }
  bind_row "$unusable" 'line 2: unknown keyword "bindpw"' "" "backend ldap" "bindpw /x"
  with=("${kerberos[@]}")
  # localhost, not 127.0.0.1: the service principal is ldap/localhost. GSSAPI is the default.
  bind_row "$alice" "" libgssapiv2.so "backend ldap" "uri ldap://localhost:$port"
  with=("${kerberos[@]}" "KRB5CCNAME=FILE:$work/no-ticket")
  bind_row "$refused" "SASL GSSAPI bind" libgssapiv2.so "backend ldap" \
    "uri ldap://localhost:$port"

  # Which file counts: the user's ($XDG_CONFIG_HOME, else ~/.config, also in place of a relative
  # $XDG_CONFIG_HOME), else the first folder of $XDG_CONFIG_DIRS that has one.
  configure ws "backend nowhere"
  configure good "$(simple alice)"
  mkdir -p "$work/home/.config"
  cp -r "$work/good/config/welcomer" "$work/home/.config/"
  for row in "$work/good/config|$bad" "$work/none|$work/none:$work/good/config:$bad" "good|$bad"; do
    with=("HOME=$work/home" "XDG_CONFIG_HOME=${row%|*}" "XDG_CONFIG_DIRS=${row#*|}")
    login_as_alice "$alice"
  done
}

case_Values() {
  start_slapd
  local before
  before=$(grep -c ' ACCEPT \| BIND .*method=' "$work/slapd.log")
  configure alice "$(simple alice)"
  run alice add Welcomer.RunOnce=now add welcomer.runonce=NOW remove Welcomer.Missing \
    add "Welcomer.File.A=1 2" remove "Welcomer.File.A=1 2" read
  expect add 0 "$(code kNWErrDuplicateValue)" 0
  expect remove "$(code kNWErrNoSuchValue)" 0
  expect value Berlin Welcomer.RunOnce=now
  # Answers the program expects of a directory are no news; only refusals are told.
  expect notice
  # One connection and one bind for the whole run.
  [ $(($(grep -c ' ACCEPT \| BIND .*method=' "$work/slapd.log") - before)) = 2 ] || fail "sessions"
  expect_values alice Berlin Welcomer.RunOnce=now
  expect_values bob Hamburg

  configure carol "$(simple carol)"
  run carol read add Welcomer.X
  expect value Welcomer.RunOnce=seeded
  expect add "$(code kNWErrNoAccess)"
  holds notice 'add of "Welcomer.X": Insufficient access (50)'
  holds failure "Insufficient access (50)"
  expect_values carol Welcomer.RunOnce=seeded

  local pages
  pages=$(seq -f 'Welcomer.File./SHARE/PAGE-%g' 0 299)
  configure bob "$(simple bob)" "cache no"
  run bob $(printf 'add %s ' $pages) read
  expect value Hamburg $pages
  [ "$(sed -n 's/^read 0 //p' <<<"$out")" -gt 1 ] || fail "all values fitted one result buffer"

  # Two runs of one user at once on one workstation lose nothing, in the directory or the cache.
  configure one "$(simple alice)"
  with=("XDG_CONFIG_HOME=$work/one/config" "XDG_STATE_HOME=$work/one/state")
  run one $(printf 'add Welcomer.One-%s ' $(seq 25)) &
  run two $(printf 'add Welcomer.Two-%s ' $(seq 25))
  wait $! || exit 1
  [ "$(sort -u "$work"/{one,two}.out)" = "add 0" ] || fail "$(cat "$work"/{one,two}.out)"
  [ "$(values alice | grep -c '^Welcomer\.\(One\|Two\)-')" = 50 ] || fail "$(values alice)"
}

case_Unreachable() {
  start_slapd
  # URI CODE FASTEST SLOWEST FAILURE: a login without cache, where each call after the first
  # fails at once.
  unreachable_row() {
    configure ws "$(simple alice "" "$1")" "cache no"
    login_as_alice "$2" "$5"
    took "$3" "$4"
  }
  unreachable_row "ldap://127.0.0.1:$(free_port)" "$(code kNWErrServerDown)" 0 1000 \
    "Can't contact LDAP server (-1)"
  # Accepted by the kernel and never read: the bind waits for an answer that never comes.
  kill -STOP "$slapd_pid"
  unreachable_row "" "$(code kNWErrTimeout)" 1900 3000 "Timed out (-5)"
  kill -CONT "$slapd_pid"
}

case_OfflineCache() {
  start_slapd
  configure alice "$(simple alice)"
  run alice read add Welcomer.RunOnce=1
  expect add 0
  # The server goes away in the middle of a run: the rest of the run works on the cache.
  run_stopping_slapd alice add Welcomer.File.A=1 remove Welcomer.RunOnce=1 add welcomer.file.a=1 read
  expect add 0 "$(code kNWErrDuplicateValue)"
  expect remove 0
  expect value Berlin Welcomer.RunOnce=1 Berlin Welcomer.File.A=1
  took 0 1500

  run alice whoami read
  expect whoami "$alice"
  expect value Berlin Welcomer.File.A=1
  holds notice "State from the offline cache"
  took 0 1000

  start_slapd
  # Another workstation made the same change meanwhile: replaying it counts as done.
  printf 'dn: uid=alice,ou=people,dc=example,dc=org\nchangetype: modify\nadd: l\nl: %s\n' \
    Welcomer.File.A=1 | ldapmodify -x -H "$ldapi" -D cn=admin,dc=example,dc=org -w adminpw >/dev/null
  run alice read
  expect value Berlin Welcomer.File.A=1
  holds notice "Sent 2 change(s)"
  expect_values alice Berlin Welcomer.File.A=1
  run alice read
  expect notice
  [ "$(stat -c %a "$work/alice/state/welcomer/ldap-cache.sqlite3")" = 600 ] || fail "cache mode"
}

case_Module() {
  start_slapd
  # The client looks for its module beside itself, so a copy of the client in a folder of its
  # own, found first through LD_LIBRARY_PATH, sees only the module that folder holds.
  local module=$work/lib/libwelcomer-ldap.so unavailable
  unavailable=$(code kNWErrStoreUnavailable)
  mkdir "$work/lib" && cp "$client_folder/libnetwin32.so" "$work/lib/"
  configure ws "$(simple alice)"
  with=("LD_LIBRARY_PATH=$work/lib")
  # FILE WHOAMI FAILURE: the module's file (none when empty).
  module_row() {
    rm -f "$module"
    [ -z "$1" ] || cp "$1" "$module"
    login_as_alice "$2" "${3:-}"
    [ "$2" = "$alice" ] || holds failure "$module"
  }
  # First, so that the offline cache knows her values: they must not hide a broken module.
  module_row "$client_folder/libwelcomer-ldap.so" "$alice"
  module_row "" "$unavailable" "cannot open shared object file"
  module_row "$client_folder/libnetwin32.so" "$unavailable" "has no entry point"
}

# The program from two workstations of alice: the run-once record, acknowledged pages and
# /remove follow her; with the server silent a login ends within the timeout and a second, and
# the cached run-once record holds.
case_EndToEnd() {
  . "$here/../e2e/x11_session.sh"
  trap 'stop_private_servers; cleanup' EXIT
  start_slapd
  for ws in ws1 ws2; do configure "$ws" "$(simple alice)"; done
  local command="mktemp $work/ran.XXXXXX"
  at() { export XDG_STATE_HOME=$work/$1/state XDG_CONFIG_HOME=$work/$1/config; }
  login() { DISPLAY='' "$program" "$@" 2>"$work/stderr" || fail "$*: $(cat "$work/stderr")"; }
  ran() { [ "$(find "$work" -maxdepth 1 -name 'ran.*' | wc -l)" -ge "$1" ]; }
  # The command ran $1 times in all, and not once more a moment later.
  expect_runs() {
    wait_for ran "$1" || fail "$2: the command did not run"
    sleep 0.3 && ! ran $(($1 + 1)) || fail "$2: the command ran again"
  }

  at ws1 && login /ro "$command"
  expect_runs 1 "first workstation"
  at ws2 && login /ro "$command"
  expect_runs 1 "second workstation"

  mkdir "$work/motd"
  echo "News of the day" >"$work/motd/news.txt"
  touch -d '2026-01-02 03:04:06' "$work/motd/news.txt"
  at ws1 && start_program /@ "$work/motd"
  press_in "Information" alt+s
  sleep 0.4
  press_in "Information" Return
  expect_program_exit 0
  # Shown on ws2, the page would wait for a key and the program would not end.
  at ws2 && start_program /@ "$work/motd"
  expect_program_exit 0

  # Silent: slapd stopped, its socket still accepting.
  at ws1
  kill -STOP "$slapd_pid"
  started=$(now)
  login /v /ro "$command"
  took 0 3000
  kill -CONT "$slapd_pid"
  expect_runs 1 "silent server"
  grep -q "State from the offline cache" "$work/stderr" || fail "not from the cache"

  at ws2 && login /remove /v
  expect_values alice Berlin
  at ws1 && login /ro "$command"
  expect_runs 2 "/ro after /remove"
}

"case_$case_name"
echo "PASS: $case_name"
