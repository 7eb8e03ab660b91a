#!/usr/bin/env bash
# Counts the timer messages the Windows program receives under Wine while
# idle on a fake battery (57 %, discharging, the tray on), from Wine's
# message trace (WINEDEBUG=trace+msg: a line "peek_message got type 6 msg
# 113 (WM_TIMER)" for each), over SECONDS (60) with the default settings and
# with the display every 60 s and a query every 10 s; first, in three
# starts, the time to the tray icon with the status (the caption is set
# just before it) from Wine's timestamped traces, counted from the launch
# and from the program's image loaded (figures in docs/PERFORMANCE.md).
# After the native build (ctest -R E2E.MakePrefix once):
#   E2E_ROOT=build/native/tests/e2e tests/e2e/timer_messages.sh [SECONDS]
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"
seconds=${1:-60}
power_set "$E2E_POWER" 0 Discharging 57

# Wine's timestamps are its tick count: CLOCK_MONOTONIC_RAW in ms.
E2E_WINEDEBUG=fixme-all,+timestamp,+loaddll,trace+systray
e2e_write_ini 'Cscreen.Sshowtasktray = 1'
for run in 1 2 3; do
  : >"$E2E_WORK/wine.log"
  launched=$(python3 -c 'import time; print(time.clock_gettime(time.CLOCK_MONOTONIC_RAW))')
  e2e_start
  e2e_wait_caption '^57%' 30
  awk -F: -v run="$run" -v t0="$launched" '/loaddll:.*celwrd\.exe/ && !l { l = $1 }
    /Shell_NotifyIconW dwMessage = 0/ && !s { s = $1 }
    END { printf "shown at start, run %d: tray icon %.0f ms after the launch, %.0f ms after the image was loaded\n",
                 run, (s - t0) * 1000, (s - l) * 1000 }' "$E2E_WORK/wine.log"
  e2e_driver exit >/dev/null
  e2e_wait_exit 20
done

E2E_WINEDEBUG=fixme-all,trace+msg

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
