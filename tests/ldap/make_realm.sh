#!/usr/bin/env bash
# Lays out a private Kerberos realm EXAMPLE.TEST in a folder, for the GSSAPI tests: krb5.conf
# and kdc.conf whose KDC listens on 127.0.0.1:<port>, the database, the principals alice
# (password alicepw) and ldap/localhost, and the service's key table ldap.keytab. Starting the
# KDC (krb5kdc -n) is left to the caller. Usage: make_realm.sh <folder> <port>
set -euo pipefail
dir=$1
port=$2
mkdir -p "$dir"
cat >"$dir/krb5.conf" <<CONF
[libdefaults]
  default_realm = EXAMPLE.TEST
  dns_lookup_kdc = false
  dns_lookup_realm = false
  rdns = false
  dns_canonicalize_hostname = false
[realms]
  EXAMPLE.TEST = {
    kdc = 127.0.0.1:$port
  }
CONF
cat >"$dir/kdc.conf" <<CONF
[kdcdefaults]
  kdc_listen = 127.0.0.1:$port
  kdc_tcp_listen = 127.0.0.1:$port
[realms]
  EXAMPLE.TEST = {
    database_name = $dir/principal
    key_stash_file = $dir/stash
    acl_file = $dir/kadm5.acl
  }
[logging]
  kdc = FILE:$dir/kdc.log
  admin_server = FILE:$dir/kadmin.log
  default = FILE:$dir/krb5.log
CONF
export KRB5_CONFIG="$dir/krb5.conf" KRB5_KDC_PROFILE="$dir/kdc.conf"
kdb5_util create -s -r EXAMPLE.TEST -P masterpw >/dev/null
kadmin.local >/dev/null 2>&1 <<ADMIN
addprinc -pw alicepw alice
addprinc -randkey ldap/localhost
ktadd -k $dir/ldap.keytab -norandkey ldap/localhost
ADMIN
[ -s "$dir/ldap.keytab" ] || { echo "make_realm.sh: no key table" >\&2; exit 1; }
