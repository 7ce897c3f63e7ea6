#!/bin/sh
# Writes every text the object model's and the comparer's tests compare into
# OUT (one folder per test binary, one file per test), from a build folder
# configured with -DVELMORIN_TEXT_DUMP=ON. Run it on the tree before and after
# a change of structure and compare the two folders: diff -r BEFORE AFTER.
# usage: tests/compare/text-dump.sh BUILDDIR OUT
set -eu
build=$1
out=$2
[ -e "$out" ] && { echo "$out exists; give a new folder" >&2; exit 2; }
mkdir -p "$out"
status=0
for bin in "$build"/textdump/*_dump; do
  [ -x "$bin" ] || continue
  VELMORIN_TEXT_DUMP=$out "$bin" --gtest_brief=1 >"$out/$(basename "$bin").log" 2>&1 || status=1
done
[ $status -eq 0 ] || echo "some tests failed; see $out/*.log" >&2
exit $status
