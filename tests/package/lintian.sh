#!/usr/bin/env bash
# The Debian package that scripts/package wrote (or DEB) as Debian's tools
# see it: lintian finds no error or warning that is not listed below with
# its reason, the AppStream file is valid, and the release notes, the
# AppStream release and the package name one version and one maintainer.
#   lintian.sh [DEB]
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
work=${PK_WORK:-${TMPDIR:-/tmp}/cellwarden-lintian}
deb=${1:-$(ls "$source"/dist/cellwarden_*.deb 2>/dev/null || true)}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -f "$deb" ] || fail "no package in dist/: run scripts/package"
command -v lintian >/dev/null && command -v appstreamcli >/dev/null || fail "install lintian and appstream"
rm -rf "$work"
mkdir -p "$work"

# Errors and warnings that stay, as "TAG reason". None today.
allowed=()

lintian --tag-display-limit 0 --fail-on none "$deb" >"$work/lintian.txt" 2>"$work/lintian.err" ||
  fail "lintian did not run: $(cat "$work/lintian.err")"
cat "$work/lintian.txt"
unexplained=$({ grep '^[EW]: ' "$work/lintian.txt" || true; } | while read -r _ _ tag _; do
  listed=no
  for entry in "${allowed[@]}"; do [ "${entry%% *}" = "$tag" ] && listed=yes; done
  [ "$listed" = yes ] || echo "$tag"
done | sort -u | tr '\n' ' ')
[ -z "$unexplained" ] || fail "lintian: $unexplained"

root=$work/root
dpkg-deb -x "$deb" "$root"
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml) || fail "no AppStream file in usr/share/metainfo/"
appstreamcli validate --no-net "$metainfo" || fail "the AppStream file is not valid"
grep -q '<screenshot type="default">' "$metainfo" || fail "no screenshot in the AppStream file"

version=$(dpkg-deb -f "$deb" Version)
maintainer=$(dpkg-deb -f "$deb" Maintainer)
notes=$(zcat "$root/usr/share/doc/cellwarden/changelog.gz")
[ "$(head -n 1 <<<"$notes" | sed -n 's/^cellwarden (\([^)]*\)) .*/\1/p')" = "$version" ] ||
  fail "the changelog's first entry is not $version: $(head -n 1 <<<"$notes")"
[ "$(grep -m 1 '^ -- ' <<<"$notes" | sed 's/^ -- \(.*>\)  .*/\1/')" = "$maintainer" ] ||
  fail "the changelog is not signed by the maintainer $maintainer"
[ "$(grep -m 1 -o '<release version="[^"]*"' "$metainfo")" = "<release version=\"$version\"" ] ||
  fail "the AppStream file's newest release is not $version"
echo "passed: $(basename "$deb") $version, $maintainer"
