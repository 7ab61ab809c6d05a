#!/usr/bin/env bash
# lintian finds no error in the package; its warnings are shown.
# Usage: lintian_test.sh <folder with the .deb>
set -u
command -v lintian >/dev/null || { echo "skip: lintian is not installed"; exit 77; }
debs=("$1"/welcomer_*.deb)
# lintian warns about being run as root, which is how CI runs.
lintian --fail-on error --tag-display-limit 0 "${debs[@]}" 2>&1 | grep -v 'root privileges'
status=${PIPESTATUS[0]}
if [ "$status" -eq 0 ]; then
  echo "1 passed, 0 failed"
else
  echo "0 passed, 1 failed"
fi
exit "$status"
