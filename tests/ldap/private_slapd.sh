# Sourced by the LDAP tests and the login benchmark: a private slapd on loopback, laid out in
# $work (which must exist) and run as the caller's child, and for GSSAPI a private MIT KDC of the
# realm EXAMPLE.TEST beside it; both stopped by their PIDs.
#   start_private_kdc     before slapd; exports what slapd and a client of alice's need, her
#                         ticket included, and writes $work/krb/ldap.conf for such a client
#   start_private_slapd   sets slapd_pid, port (kept when it starts again) and ldapi; slapd.log
#                         in $work holds its connections and operations
#   stop_private_slapd; stop_private_servers (slapd and the KDC, for the exit trap)
#   free_port             prints a port below the ephemeral range that nothing uses now
# The directory (cn=admin,dc=example,dc=org, password adminpw) holds alice and bob, who write
# their own "l", and carol, who may only read hers; the password of each is <name>pw, also in
# $work/slapd/<name>.pw. SASL EXTERNAL over ldapi maps the caller's uid to alice; Kerberos
# principals map to uid=<principal>.

slapd_pid= kdc_pid=

free_port() {
  local low port
  low=$(cut -f1 /proc/sys/net/ipv4/ip_local_port_range)
  for _ in $(seq 50); do
    # Below the ephemeral range no TIME-WAIT socket of someone else's test is in the way.
    port=$((low / 2 + RANDOM % (low / 2)))
    [ -n "$(ss -Htuan "sport = :$port" 2>/dev/null)" ] || { echo "$port" && return 0; }
  done
  return 1
}

# Stops the child $1 (a stopped one takes the signal only once it runs again) and reaps it.
stop_child() { [ -z "$1" ] || { kill -CONT "$1" && kill "$1" && wait "$1"; } 2>/dev/null || true; }
stop_private_slapd() { stop_child "$slapd_pid" && slapd_pid=; }
stop_private_servers() { stop_private_slapd && stop_child "$kdc_pid" && kdc_pid=; }

# Waits up to ten seconds for the command after $1 to succeed, while the child $1 lives.
ready() {
  for _ in $(seq 200); do
    "${@:2}" >/dev/null 2>&1 && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

make_private_directory() {
  local dir=$work/slapd suffix=dc=example,dc=org entry name
  mkdir -p "$dir/db"
  cat >"$dir/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
modulepath /usr/lib/ldap
moduleload back_mdb
authz-regexp "gidNumber=[0-9]+[+]uidNumber=$(id -u),cn=peercred,cn=external,cn=auth" "uid=alice,ou=people,$suffix"
authz-regexp "uid=([^,]+)(,cn=example.test)?,cn=gssapi,cn=auth" "uid=\$1,ou=people,$suffix"
sasl-realm EXAMPLE.TEST
sasl-host localhost
database mdb
suffix "$suffix"
rootdn "cn=admin,$suffix"
rootpw adminpw
directory $dir/db
access to dn.exact="uid=carol,ou=people,$suffix" attrs=l by self read by * none
access to attrs=l by self write by * none
access to * by self read by users read by anonymous auth
CONF
  {
    printf 'dn: %s\nobjectClass: dcObject\nobjectClass: organization\no: Example\ndc: example\n\n' \
      "$suffix"
    printf 'dn: ou=people,%s\nobjectClass: organizationalUnit\nou: people\n\n' "$suffix"
    for entry in alice:Berlin bob:Hamburg carol:Welcomer.RunOnce=seeded; do
      name=${entry%%:*}
      printf 'dn: uid=%s,ou=people,%s\nobjectClass: inetOrgPerson\nuid: %s\ncn: %s\nsn: %s\n' \
        "$name" "$suffix" "$name" "$name" "$name"
      printf 'userPassword: %spw\nl: %s\n\n' "$name" "${entry#*:}"
      (umask 077 && echo "${name}pw" >"$dir/$name.pw")
    done
  } >"$dir/data.ldif"
  slapadd -q -f "$dir/slapd.conf" -l "$dir/data.ldif"
}

start_private_slapd() {
  local attempt
  [ -f "$work/slapd/slapd.conf" ] || make_private_directory || return 1
  # The ldapi socket must be reachable whoever runs; the folder from mktemp is 0700.
  chmod 711 "$work"
  ldapi="ldapi://$(printf '%s' "$work/ldapi" | sed 's|/|%2F|g')/"
  for attempt in 1 2 3; do
    # Starting again keeps the port that the clients' configurations name.
    [ -n "${port:-}" ] && [ "$attempt" = 1 ] || port=$(free_port) || return 1
    slapd -d stats -f "$work/slapd/slapd.conf" -h "ldap://127.0.0.1:$port/ $ldapi" \
      2>>"$work/slapd.log" &
    slapd_pid=$!
    # Asked on its own socket: a TCP probe could be answered by someone else's server.
    ready "$slapd_pid" env LDAPNOINIT=1 ldapwhoami -x -H "$ldapi" && return 0
    stop_private_slapd
  done
  return 1
}

start_private_kdc() {
  local realm=$work/krb kdc_port
  mkdir -p "$realm"
  kdc_port=$(free_port) || return 1
  # The KDC's own settings sit in the same file as the clients'.
  export KRB5_CONFIG=$realm/krb5.conf KRB5_KDC_PROFILE=$realm/krb5.conf KRB5RCACHEDIR=$realm \
    KRB5_KTNAME=FILE:$realm/ldap.keytab KRB5CCNAME=FILE:$realm/cc_alice
  cat >"$KRB5_CONFIG" <<CONF
[libdefaults]
  default_realm = EXAMPLE.TEST
  rdns = false
  dns_canonicalize_hostname = false
[kdcdefaults]
  kdc_listen = 127.0.0.1:$kdc_port
  kdc_tcp_listen = 127.0.0.1:$kdc_port
[realms]
  EXAMPLE.TEST = {
    kdc = 127.0.0.1:$kdc_port
    database_name = $realm/principal
    key_stash_file = $realm/stash
  }
CONF
  # On loopback libldap would otherwise ask for a ticket to ldap/<this machine's name>.
  echo "SASL_NOCANON on" >"$realm/ldap.conf"
  kdb5_util create -s -r EXAMPLE.TEST -P masterpw >/dev/null || return 1
  printf '%s\n' "addprinc -pw alicepw alice" "addprinc -randkey ldap/localhost" \
    "ktadd -k $realm/ldap.keytab -norandkey ldap/localhost" | kadmin.local >/dev/null 2>&1
  krb5kdc -n -r EXAMPLE.TEST 2>>"$realm/kdc.log" &
  kdc_pid=$!
  # Ready when it hands out alice's ticket, which is also the one the tests bind with.
  ready "$kdc_pid" sh -c "echo alicepw | kinit alice"
}
