#!/usr/bin/env bash
# Installs the package into this machine, uses it, removes it and purges it: removing leaves
# only the administrator's configuration, purging leaves nothing of the package, and the users'
# own state stays. Changes the machine, so it runs only as root in CI (CI=true), or when
# WELCOMER_TEST_DPKG=1 asks for it, and never over an installed welcomer package.
# Usage: install_remove_purge_test.sh <folder with the .deb> <version>
. "$(dirname "$0")/common.sh"
if [ "$(id -u)" -ne 0 ] || { [ "${CI:-}" != true ] && [ "${WELCOMER_TEST_DPKG:-}" != 1 ]; }; then
  skip "installs into the machine; runs as root with CI=true or WELCOMER_TEST_DPKG=1"
fi
dpkg-query -W -f='${Status}' welcomer 2>/dev/null | grep -qv 'not-installed' &&
  skip "a welcomer package is installed here already and is left alone"
debs=("$1"/welcomer_"$2"_*.deb)
chmod 755 "$work"
on_exit='dpkg --purge welcomer >/dev/null 2>&1'
dpkg-deb --fsys-tarfile "${debs[0]}" | tar -tf - | sed 's/^\.//' | grep -v '/$' >"$work/paths"
# Every path of the list that is there.
present() { while read -r path; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done; }

dpkg -i "${debs[0]}" >"$work/log" 2>&1
verdict "dpkg -i" "$work/log"
# One line in the arguments file, and a console login runs the command through the hook.
printf '/ro\ntouch %s\n' "$work/ran" >/etc/welcomer/arguments
script -qec "env ENV=/etc/profile.d/welcomer.sh sh -i -c true" /dev/null </dev/null >/dev/null 2>&1
wait_for "$work/ran" && [ -f "$XDG_STATE_HOME/welcomer/directory.sqlite3" ]
verdict "a console login runs /etc/welcomer/arguments"

dpkg -r welcomer >"$work/log" 2>&1
verdict "dpkg -r" "$work/log"
grep -v '^/etc/' "$work/paths" | present >"$work/left"
empty "removing takes the program away" "$work/left"

dpkg -P welcomer >"$work/log" 2>&1
verdict "dpkg -P" "$work/log"
{
  present <"$work/paths"
  printf '%s\n' /etc/welcomer /usr/lib/welcomer /usr/share/welcomer /usr/share/doc/welcomer | present
} >"$work/left"
empty "purging leaves nothing of the package" "$work/left"
[ -f "$XDG_STATE_HOME/welcomer/directory.sqlite3" ]
verdict "the user's state stays"
finish
