#!/usr/bin/env bash
# lintian finds no error in the package; its warnings are shown.
# Usage: lintian_test.sh <folder with the .deb>
. "$(dirname "$0")/common.sh"
command -v lintian >/dev/null || skip "lintian is not installed"
# lintian warns about being run as root, which is how CI runs.
lintian --fail-on error --tag-display-limit 0 "$1"/welcomer_*.deb 2>&1 | grep -v 'root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ]
verdict "lintian finds no error"
finish
