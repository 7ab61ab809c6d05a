#!/usr/bin/env bash
# Makes the Debian package from the build, as scripts/package does, into a folder of the tests.
# Usage: build_package.sh <build folder> <output folder>
set -eu
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
ls "$out"/welcomer_*.deb
