#!/usr/bin/env bash
# The Windows programs as released: their PE header carries the time of the
# commit they were built from (not 1970, not the moment of linking), and
# their version information names the company and the copyright.
#   check_executables.sh SOURCE_DIR BUILD_DIR...    (build/win32 build/win64)
set -uo pipefail
source=$1
shift
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}
define() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$source/resources/version.h"; }
company=$(define CELLWARDEN_COMPANY)
copyright=$(define CELLWARDEN_COPYRIGHT)
# The time the builds take: SOURCE_DATE_EPOCH when set, else the last
# commit's. Without either there is nothing to hold them to: that fails.
commit_time=${SOURCE_DATE_EPOCH:-}
if [ -z "$commit_time" ] && ! { commit_time=$(git -C "$source" log -1 --format=%ct 2>&1) && [ -n "$commit_time" ]; }; then
  fail "no commit time to check the builds against (git: ${commit_time:-no commit}); outside a checkout set SOURCE_DATE_EPOCH"
  commit_time=
fi

for dir in "$@"; do
  if ! recorded=$(cat "$dir/source_date_epoch" 2>/dev/null); then
    fail "$dir/source_date_epoch is missing: build $dir"
    continue
  fi
  if [ -n "$commit_time" ] && [ "$recorded" != "$commit_time" ]; then
    fail "$dir was built for the commit time $recorded, the last commit's is $commit_time: build $dir again"
  fi
  for exe in celwrd.exe celwrd-chart.exe; do
    file=$dir/$exe
    [ -f "$file" ] || { fail "$file is missing"; continue; }
    pe=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
    stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$file" | tr -d ' ')
    [ "$stamp" = "$recorded" ] || fail "$file: built at $(date -u -d "@$stamp"), not at the commit's $(date -u -d "@$recorded")"
    strings=$(strings -a -el "$file")
    for pair in "CompanyName=$company" "LegalCopyright=$copyright"; do
      key=${pair%%=*}
      value=$(grep -A1 -x "$key" <<<"$strings" | sed -n 2p)
      [ "$value" = "${pair#*=}" ] || fail "$file: $key is '$value', not '${pair#*=}'"
    done
  done
done
[ "$failed" = 0 ] && echo "the Windows programs carry the commit's time and their version information"
exit "$failed"
