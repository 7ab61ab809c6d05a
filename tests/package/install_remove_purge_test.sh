#!/usr/bin/env bash
# Installs the package into this machine, uses it, removes it and purges it: removing leaves
# only the administrator's configuration, purging leaves nothing of the package, and the users'
# own state stays. Changes the machine, so it runs only as root in CI (CI=true), or when
# WELCOMER_TEST_DPKG=1 asks for it, and never over an installed welcomer package.
# Usage: install_remove_purge_test.sh <folder with the .deb> <version>
set -u
folder=$1
version=$2
if [ "$(id -u)" -ne 0 ] || { [ "${CI:-}" != true ] && [ "${WELCOMER_TEST_DPKG:-}" != 1 ]; }; then
  echo "skip: installs into the machine; runs as root with CI=true or WELCOMER_TEST_DPKG=1"
  exit 77
fi
if dpkg-query -W -f='${Status}' welcomer 2>/dev/null | grep -qv 'not-installed'; then
  echo "skip: a welcomer package is installed here already and is left alone"
  exit 77
fi
debs=("$folder"/welcomer_"$version"_*.deb)
deb=${debs[0]}
work=$(mktemp -d)
chmod 755 "$work"
trap 'dpkg --purge welcomer >/dev/null 2>&1; rm -rf "$work"' EXIT
passed=0
failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1"; failed=$((failed + 1)); }

wait_for() {
  for _ in $(seq 1 100); do [ -e "$1" ] && return 0; sleep 0.05; done
  return 1
}

dpkg-deb --fsys-tarfile "$deb" | tar -tf - | sed 's/^\.//' | grep -v '/$' >"$work/paths"
grep '^/etc/' "$work/paths" >"$work/conffiles"
grep -v '^/etc/' "$work/paths" >"$work/other"

if dpkg -i "$deb" >"$work/log" 2>&1; then ok "dpkg -i"; else fail "dpkg -i"; cat "$work/log"; fi
[ "$(/usr/bin/welcomer --version </dev/null)" = "welcomer $version" ] && ok "installed --version" ||
  fail "installed --version"
if command -v man >/dev/null; then
  [ "$(man -w welcomer 2>/dev/null)" = /usr/share/man/man1/welcomer.1.gz ] &&
    ok "man finds the page" || fail "man finds the page"
fi

# One line in the arguments file, and a console login runs the command through the hook.
printf '/ro\ntouch %s\n' "$work/ran" >/etc/welcomer/arguments
export XDG_STATE_HOME="$work/state"
unset DISPLAY WAYLAND_DISPLAY
script -qec "env ENV=/etc/profile.d/welcomer.sh sh -i -c true" /dev/null </dev/null >/dev/null 2>&1
wait_for "$work/ran" && [ -f "$work/state/welcomer/directory.sqlite3" ] &&
  ok "a console login runs /etc/welcomer/arguments" || fail "a console login runs /etc/welcomer/arguments"

if dpkg -r welcomer >"$work/log" 2>&1; then ok "dpkg -r"; else fail "dpkg -r"; cat "$work/log"; fi
left=()
while read -r path; do [ -e "$path" ] || [ -L "$path" ] && left+=("$path"); done <"$work/other"
[ ${#left[@]} -eq 0 ] && ok "removing takes the program away" || fail "left after -r: ${left[*]}"
gone=()
while read -r path; do [ -e "$path" ] || gone+=("$path"); done <"$work/conffiles"
[ ${#gone[@]} -eq 0 ] && ok "removing keeps the configuration" || fail "gone after -r: ${gone[*]}"
# What stays of a removed package must not disturb a login.
rm -f "$work/ran"
output=$(script -qec "env ENV=/etc/profile.d/welcomer.sh sh -i -c 'echo login goes on'" /dev/null \
           </dev/null 2>&1 | tr -d '\r')
[ "$output" = "login goes on" ] && [ ! -e "$work/ran" ] &&
  ok "the kept hook of a removed package is silent" || fail "kept hook: $output"

if dpkg -P welcomer >"$work/log" 2>&1; then ok "dpkg -P"; else fail "dpkg -P"; cat "$work/log"; fi
left=()
while read -r path; do [ -e "$path" ] || [ -L "$path" ] && left+=("$path"); done <"$work/paths"
for path in /etc/welcomer /usr/lib/welcomer /usr/share/welcomer /usr/share/doc/welcomer; do
  [ -e "$path" ] && left+=("$path")
done
[ ${#left[@]} -eq 0 ] && ok "purging leaves nothing of the package" || fail "left after -P: ${left[*]}"
[ -f "$work/state/welcomer/directory.sqlite3" ] && ok "the user's state stays" ||
  fail "the user's state stays"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
