#!/usr/bin/env bash
# scripts/package twice: every artifact of the release in dist/ with its
# checksum, and the same bytes the second time. The second run finds the
# programs built, so what it tries is the packing: entry order, modes, times.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
work=${PK_WORK:-${TMPDIR:-/tmp}/cellwarden-package}
rm -rf "$work"
mkdir -p "$work"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cd "$source"
for run in first second; do
  scripts/package >"$work/$run.log" 2>&1 || { cat "$work/$run.log"; fail "the $run run of scripts/package failed"; }
  cp dist/SHA256SUMS "$work/$run.sums"
done
cat "$work/first.sums"
diff "$work/first.sums" "$work/second.sums" || fail "a second run gave other bytes"
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "dist/ does not match its SHA256SUMS"
[ "$(wc -l <dist/SHA256SUMS)" = 3 ] || fail "SHA256SUMS lists $(wc -l <dist/SHA256SUMS) files, not the two zips and the package"

for zip in dist/cellwarden-*-win32.zip dist/cellwarden-*-win64.zip; do
  entries=$(unzip -Z1 "$zip" | tr '\n' ' ')
  [ "$entries" = "cellwarden/ cellwarden/AUTOEXEC.example.CLW cellwarden/celwrd-chart.exe cellwarden/celwrd.exe cellwarden/celwrd.html " ] ||
    fail "$zip holds: $entries"
done
deb=$(ls dist/cellwarden_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "the package does not depend on Qt: '$depends'"
dpkg-deb -f "$deb" Recommends | grep -qw sound-theme-freedesktop || fail "the package does not recommend the sound theme"
echo "passed: $deb depends on $depends"
