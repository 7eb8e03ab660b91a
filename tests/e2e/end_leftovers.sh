#!/usr/bin/env bash
# Runs after the end-to-end tests: ends, by their ids, the processes that a
# test left running (a test that CTest killed on its timeout had no chance
# to clean up), and fails when there were any. A test's processes are known
# by the E2E_WORK that CTest gave it and they all inherit; mount namespaces
# would not do, as their numbers are reused by later tests.
set -uo pipefail
: "${E2E_ROOT:=${TMPDIR:-/tmp}/cellwarden-e2e}"

left=0
for proc in /proc/[0-9]*; do
  pid=${proc#/proc/}
  [ "$pid" != $$ ] || continue
  work=$(tr '\0' '\n' <"$proc/environ" 2>/dev/null | sed -n "s|^E2E_WORK=\\($E2E_ROOT/work/.*\\)|\\1|p")
  [ -n "$work" ] || continue
  name=$(cat "$proc/comm" 2>/dev/null) || continue
  echo "left running from $work: $pid $name" >&2
  kill -KILL "$pid" 2>/dev/null || true
  left=1
done
exit "$left"
