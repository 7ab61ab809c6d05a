#!/usr/bin/env bash
# The Debian package holds what an installation needs and nothing else, depends on what its
# binaries need, and works as unpacked: the program finds its libraries beside it and keeps state.
# Owners, conffiles and stripping are lintian's errors (lintian_test.sh).
# Usage: package_contents_test.sh <folder with the .deb> <version> <source folder>
. "$(dirname "$0")/common.sh"
version=$2
debs=("$1"/welcomer_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "one welcomer_${version}_*.deb in $1"; finish; exit; }
deb=${debs[0]}

# The libraries come from dpkg-shlibdeps, so each stands for a binary's need.
tr ',' '\n' <<<"$(dpkg-deb -f "$deb" Depends)" | awk '{print $1}' | sort >"$work/depends"
printf '%s\n' libc6 libcups2 libqt6printsupport6 libqt6widgets6 libsqlite3-0 libstdc++6 libxcb1 \
  qt6-qpa-plugins | sort | comm -23 - "$work/depends" >"$work/missing"
empty "depends on what the binaries need" "$work/missing"

# The file list, exactly.
{
  printf './%s\n' etc/profile.d/welcomer.sh etc/welcomer/arguments \
    etc/xdg/autostart/welcomer.desktop usr/bin/welcomer usr/bin/welcomer-login \
    usr/lib/welcomer/{libcalwin32,libclxwin32,liblocwin32,libnetwin32}.so \
    usr/lib/welcomer/libwelcomer-{ldap,terminal,ui}.so usr/share/doc/welcomer/changelog.gz \
    usr/share/doc/welcomer/{copyright,directory.conf} usr/share/man/man1/welcomer{,-login}.1.gz
  for sample in "$3"/examples/motd/*; do echo "./usr/share/welcomer/examples/${sample##*/}"; done
} | sort >"$work/expected"
dpkg-deb --fsys-tarfile "$deb" | tar -tvf - >"$work/listing"
awk '$1 !~ /^d/ {print $6}' "$work/listing" | sort | diff -u "$work/expected" - >"$work/diff"
verdict "file list (- expected, + in the package)" "$work/diff"
# lintian only warns of a file others may change; here it could run as anyone's login.
awk '$1 !~ /^l/ && ($1 ~ /^.....w/ || $1 ~ /^........w/)' "$work/listing" >"$work/writable"
empty "writable by root only" "$work/writable"

# The unpacked program and launcher, as a login without a display runs them.
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
[ "$("$bin/welcomer" --version </dev/null 2>&1)" = "welcomer $version" ]
verdict "unpacked --version"
[ "$("$bin/welcomer" --help </dev/null 2>/dev/null | head -n 1)" = "Welcomer $version Usage:" ]
verdict "unpacked --help"
# /ro runs once: the client is found in the unpacked lib/welcomer and keeps the record.
LD_DEBUG=files "$bin/welcomer" /ro "touch $work/ran" </dev/null >/dev/null 2>"$work/loaded" &&
  wait_for "$work/ran" && [ -f "$XDG_STATE_HOME/welcomer/directory.sqlite3" ] &&
  grep -qF "file=$work/root/usr/lib/welcomer/libnetwin32.so" "$work/loaded"
verdict "unpacked /ro runs the command, with the client beside the program"
# A blank stays inside its argument.
export XDG_STATE_HOME="$work/login-state"
printf '# once for each user\n/ro\ntouch %s %s\n' "$work/first" "$work/second" >"$work/arguments"
chmod 644 "$work/arguments"
WELCOMER_ARGUMENTS="$work/arguments" "$bin/welcomer-login" </dev/null >/dev/null 2>&1 &&
  wait_for "$work/first" && wait_for "$work/second"
verdict "unpacked welcomer-login runs the program with the file's arguments"
finish
