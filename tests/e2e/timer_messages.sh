#!/usr/bin/env bash
# Counts the timer messages the Windows program receives under Wine while
# idle on a fake battery (57 %, discharging, the tray on), from Wine's
# message trace (WINEDEBUG=trace+msg: a line "peek_message got type 6 msg
# 113 (WM_TIMER)" for each), over SECONDS (60) with the default settings and
# with the display every 60 s and a query every 10 s (figures in
# docs/PERFORMANCE.md). After the native build (ctest -R E2E.MakePrefix once):
#   E2E_ROOT=build/native/tests/e2e tests/e2e/timer_messages.sh [SECONDS]
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"
seconds=${1:-60}
E2E_WINEDEBUG=fixme-all,trace+msg
power_set "$E2E_POWER" 0 Discharging 57

# Idle for SECONDS with the settings file's LINES.
count() {
  local what=$1 from to pid
  shift
  e2e_write_ini 'Cscreen.Sshowtasktray = 1' "$@"
  e2e_start
  e2e_wait_caption '^57%' 30
  sleep 5
  from=$(wc -l <"$E2E_WORK/wine.log")
  sleep "$seconds"
  to=$(wc -l <"$E2E_WORK/wine.log")
  # Wine's thread ids: the program's user-interface thread is the one that
  # takes its timer messages.
  sed -n "$((from + 1)),${to}p" "$E2E_WORK/wine.log" >"$E2E_WORK/idle.log"
  awk -v what="$what" -v t="$seconds" '/peek_message got type 6 msg 113 \(WM_TIMER\)/ { n++ }
    /NtUserSetTimer Added/ { set++ }
    END { printf "%s, %d s idle: %d timer messages (%.1f per minute), %d timers set\n", what, t, n, n * 60 / t, set }' \
    "$E2E_WORK/idle.log"
  e2e_driver exit >/dev/null
  e2e_wait_exit 20
}

count "default settings"
count "display every 60 s, a query every 10 s" 'Cscreen.Sdisplayinterval = 60000' 'Cbattery.Scheckinterval = 10000'
