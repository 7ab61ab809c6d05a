#!/usr/bin/env bash
# The Debian package holds what an installation needs and nothing else, depends on what its
# binaries need, and works as unpacked: the program finds its libraries beside it and keeps state.
# Usage: package_contents_test.sh <folder with the .deb> <version> <source folder>
set -u
folder=$1
version=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1"; failed=$((failed + 1)); }

debs=("$folder"/welcomer_"$version"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  fail "one package welcomer_${version}_<architecture>.deb in $folder"
  echo "$passed passed, $failed failed"; exit 1
fi
deb=${debs[0]}

# Control fields. The libraries come from dpkg-shlibdeps, so each stands for a binary's need.
[ "$(dpkg-deb -f "$deb" Package)" = welcomer ] && [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] &&
  ok "package name and version" || fail "package name and version: $(dpkg-deb -f "$deb" Package Version)"
depends=$(dpkg-deb -f "$deb" Depends)
missing=()
for package in libc6 libstdc++6 libsqlite3-0 libqt6widgets6 libqt6printsupport6 libcups2 \
               libxcb1 qt6-qpa-plugins; do
  tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && ok "depends on what the binaries need" ||
  fail "Depends lacks ${missing[*]}: $depends"

# The file list, exactly.
{
  printf '%s\n' ./etc/profile.d/welcomer.sh ./etc/welcomer/arguments \
    ./etc/xdg/autostart/welcomer.desktop ./usr/bin/welcomer ./usr/bin/welcomer-login \
    ./usr/lib/welcomer/libcalwin32.so ./usr/lib/welcomer/libclxwin32.so \
    ./usr/lib/welcomer/liblocwin32.so ./usr/lib/welcomer/libnetwin32.so \
    ./usr/lib/welcomer/libwelcomer-ldap.so \
    ./usr/lib/welcomer/libwelcomer-terminal.so ./usr/lib/welcomer/libwelcomer-ui.so \
    ./usr/share/doc/welcomer/changelog.gz \
    ./usr/share/doc/welcomer/copyright ./usr/share/doc/welcomer/directory.conf \
    ./usr/share/man/man1/welcomer-login.1.gz ./usr/share/man/man1/welcomer.1.gz
  for sample in "$source"/examples/motd/*; do
    echo "./usr/share/welcomer/examples/${sample##*/}"
  done
} | sort >"$work/expected"
dpkg-deb --fsys-tarfile "$deb" | tar -tvf - >"$work/listing"
awk '$1 !~ /^d/ {print $6}' "$work/listing" | sort >"$work/files"
diff -u "$work/expected" "$work/files" >"$work/diff" && ok "file list" ||
  { fail "file list (- expected, + in the package):"; cat "$work/diff"; }

# Owners and modes: root's, and nothing that others may change.
awk '$2 != "root/root" || ($1 !~ /^l/ && ($1 ~ /^.....w/ || $1 ~ /^........w/))' \
  "$work/listing" >"$work/bad"
[ ! -s "$work/bad" ] && ok "owned by root, writable by root only" ||
  { fail "owners or modes:"; cat "$work/bad"; }

# Every file in /etc is a conffile, so that an administrator's changes survive upgrades.
dpkg-deb -e "$deb" "$work/control"
grep '^\./etc/' "$work/files" | sed 's/^\.//' | sort >"$work/etc"
sort "$work/control/conffiles" 2>/dev/null | diff -u "$work/etc" - >"$work/diff" &&
  ok "conffiles" || { fail "conffiles (- in /etc, + listed):"; cat "$work/diff"; }

dpkg-deb -x "$deb" "$work/root"
unstripped=()
for file in "$work"/root/usr/bin/welcomer "$work"/root/usr/lib/welcomer/*.so; do
  [ -L "$file" ] && continue
  readelf -S "$file" | grep -qE '\.symtab|\.debug_' && unstripped+=("${file#"$work"/root}")
done
[ ${#unstripped[@]} -eq 0 ] && ok "binaries are stripped" || fail "not stripped: ${unstripped[*]}"

# The unpacked program, as a login without a display runs it.
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config" LDAPNOINIT=1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
program="$work/root/usr/bin/welcomer"
[ "$("$program" --version </dev/null 2>&1)" = "welcomer $version" ] &&
  ok "unpacked --version" || fail "unpacked --version: $("$program" --version 2>&1)"
[ "$("$program" --help </dev/null 2>/dev/null | head -1)" = "Welcomer $version Usage:" ] &&
  ok "unpacked --help" || fail "unpacked --help"

wait_for() {
  for _ in $(seq 1 100); do [ -e "$1" ] && return 0; sleep 0.05; done
  return 1
}

# /ro runs once: the client is found in the unpacked lib/welcomer and keeps the record.
export XDG_STATE_HOME="$work/state"
LD_DEBUG=files "$program" /ro "touch $work/ran" </dev/null >/dev/null 2>"$work/loaded"
code=$?
if [ "$code" -eq 0 ] && wait_for "$work/ran" &&
   grep -qF "file=$work/root/usr/lib/welcomer/libnetwin32.so" "$work/loaded" &&
   [ -f "$work/state/welcomer/directory.sqlite3" ]; then
  ok "unpacked /ro runs the command, with the client beside the program"
else
  fail "unpacked /ro: exit $code, marker $([ -e "$work/ran" ] && echo made || echo missing)"
  grep -E "libnetwin32|error" "$work/loaded" | head -5
fi

# The launcher of the package starts the program beside it; a blank stays inside its argument.
export XDG_STATE_HOME="$work/login-state"
printf '# once for each user\n/ro\ntouch %s %s\n' "$work/first" "$work/second" >"$work/arguments"
chmod 644 "$work/arguments"
WELCOMER_ARGUMENTS="$work/arguments" "$work/root/usr/bin/welcomer-login" </dev/null >/dev/null 2>&1
code=$?
if [ "$code" -eq 0 ] && wait_for "$work/first" && wait_for "$work/second"; then
  ok "unpacked welcomer-login runs the program with the file's arguments"
else
  fail "unpacked welcomer-login: exit $code"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
