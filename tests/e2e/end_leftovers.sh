#!/usr/bin/env bash
# Runs after the end-to-end tests: ends, by their ids, the processes that a
# test left running (a test that CTest killed on its timeout had no chance
# to clean up), and fails when there were any. A test's processes are known
# by the work directory that CTest gave it in its environment and they all
# inherit; mount namespaces would not do, as their numbers are reused by
# later tests.
#   end_leftovers.sh [VARIABLE DIRECTORY]
# looks for VARIABLE naming a directory below DIRECTORY (by default
# E2E_WORK below $E2E_ROOT/work, the tests under Wine).
set -uo pipefail
: "${E2E_ROOT:=${TMPDIR:-/tmp}/cellwarden-e2e}"
variable=${1:-E2E_WORK}
root=${2:-$E2E_ROOT/work}

left=0
for environ in $(grep -l -s -a -z -F -e "$variable=$root/" /proc/[0-9]*/environ); do
  proc=${environ%/environ}
  pid=${proc#/proc/}
  [ "$pid" != $$ ] || continue
  work=$(grep -a -z "^$variable=" "$environ" | tr -d '\0')
  [[ "$work" == "$variable=$root/"* ]] || continue
  name=$(cat "$proc/comm" 2>/dev/null) || continue
  echo "left running from ${work#*=}: $pid $name" >&2
  kill -KILL "$pid" 2>/dev/null || true
  left=1
done
[ "$left" = 1 ] || echo "nothing left running from $root"
exit "$left"
