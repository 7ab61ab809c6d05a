#!/usr/bin/env bash
# Lays out a private directory server in a folder: slapd.conf, its database loaded with the test
# users, and their password files. Starting and stopping slapd is left to the caller, so that the
# daemon is the caller's own child. Usage: make_directory.sh <folder> <account> <uid>
#   <account>, <uid>  the user the tests run as: the entry uid=<account> is theirs, and SASL
#                     EXTERNAL over ldapi maps <uid> to alice.
# Users (password <name>pw): alice and bob write their own "l"; carol may only read hers; two
# entries uid=twin make the user filter ambiguous. Kerberos principals map to uid=<principal>.
set -euo pipefail
dir=$1
account=$2
uid=$3
suffix="dc=example,dc=org"
mkdir -p "$dir/db"

cat >"$dir/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
modulepath /usr/lib/ldap
moduleload back_mdb
pidfile $dir/slapd.pid
argsfile $dir/slapd.args
authz-regexp "gidNumber=[0-9]+[+]uidNumber=$uid,cn=peercred,cn=external,cn=auth" "uid=alice,ou=people,$suffix"
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

person() {
  printf 'dn: uid=%s,%s\nobjectClass: inetOrgPerson\nuid: %s\ncn: %s\nsn: %s\nuserPassword: %spw\n' \
    "$1" "$2" "$1" "$1" "$1" "$1"
  shift 2
  for value in "$@"; do printf 'l: %s\n' "$value"; done
  echo
}
{
  printf 'dn: %s\nobjectClass: dcObject\nobjectClass: organization\no: Example\ndc: example\n\n' "$suffix"
  printf 'dn: ou=people,%s\nobjectClass: organizationalUnit\nou: people\n\n' "$suffix"
  printf 'dn: ou=other,%s\nobjectClass: organizationalUnit\nou: other\n\n' "$suffix"
  person alice "ou=people,$suffix" "Berlin"
  person bob "ou=people,$suffix" "Hamburg"
  person carol "ou=people,$suffix" "Welcomer.RunOnce=seeded"
  person twin "ou=people,$suffix"
  person twin "ou=other,$suffix"
  [ "$account" = alice ] || [ "$account" = bob ] || person "$account" "ou=people,$suffix"
} >"$dir/data.ldif"
slapadd -q -f "$dir/slapd.conf" -l "$dir/data.ldif"

for name in alice bob carol; do
  (umask 077 && printf '%spw\n' "$name" >"$dir/$name.pw")
done
