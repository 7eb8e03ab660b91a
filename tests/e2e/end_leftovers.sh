#!/usr/bin/env bash
# Runs after the end-to-end tests: ends, by their ids, the processes still
# left in a test's mount namespace (a test that CTest killed on its timeout
# had no chance to clean up), and fails when there were any.
set -uo pipefail
: "${E2E_ROOT:=${TMPDIR:-/tmp}/cellwarden-e2e}"
[ -f "$E2E_ROOT/run-started" ] || exit 0

left=0
for file in "$E2E_ROOT"/work/*/namespace; do
  [ -f "$file" ] && [ "$file" -nt "$E2E_ROOT/run-started" ] || continue
  namespace=$(cat "$file")
  for proc in /proc/[0-9]*; do
    pid=${proc#/proc/}
    [ "$pid" != $$ ] || continue
    [ "$(readlink "$proc/ns/mnt" 2>/dev/null)" = "$namespace" ] || continue
    name=$(cat "$proc/comm" 2>/dev/null) || continue
    case $name in
      Xvfb | wineserver* | wine* | *.exe | unshare | bash) ;;
      *) continue ;;
    esac
    echo "left running from $(dirname "$file"): $pid $name" >&2
    kill -KILL "$pid" 2>/dev/null || true
    left=1
  done
done
exit "$left"
