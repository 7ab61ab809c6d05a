#!/usr/bin/env bash
# Every login loads the client, so it must not bring libldap and the libraries behind it (TLS,
# SASL, IDN, ...): those belong to the LDAP module, which only `backend ldap` loads.
# Usage: needed_libraries.sh <libnetwin32.so> <libwelcomer-ldap.so>
set -euo pipefail
needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }

# What the client may name itself: the C and C++ run-times, SQLite, and a sanitizer's run-time.
allowed='^(libc\.so\.6|libm\.so\.6|libdl\.so\.2|libpthread\.so\.0|libstdc\+\+\.so\.6|libgcc_s\.so\.1|libsqlite3\.so\.0|libasan\.so\.[0-9]+|libubsan\.so\.[0-9]+)$'
client_needs=$(needed "$1")
[ -n "$client_needs" ] || { echo "FAIL: readelf names nothing the client needs"; exit 1; }
unexpected=$(grep -vE "$allowed" <<<"$client_needs" || true)
[ -z "$unexpected" ] || { echo "FAIL: the client needs more than it may:" $unexpected; exit 1; }
# The split has a place to go: the module is where libldap is needed.
needed "$2" | grep -qE '^libldap' || { echo "FAIL: the LDAP module does not need libldap"; exit 1; }
echo "PASS: the client needs only" $client_needs
