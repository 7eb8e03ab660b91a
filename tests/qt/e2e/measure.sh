#!/usr/bin/env bash
# Measures the Linux program idle on a fake battery, as root, after
# scripts/test has built it (figures in docs/PERFORMANCE.md):
#   start to first idle  from exec to the main thread's first wait for its
#                        timers, the main window made and put away (strace)
#   resident memory      VmRSS and Pss after 20 s idle, the tray icon on
#   wake-ups             the threads' voluntary context switches over 20 s
#   tests/qt/e2e/measure.sh [RUNS]   (RUNS start-ups, 5 by default)
. "$(dirname "$0")/harness.sh"
qe_begin "$@"
runs=${1:-5}
command -v strace >/dev/null || qe_fail "strace is missing (Debian: strace)"
qe_write_ini 'Cscreen.Sshowtasktray = 1'
power_set "$QE_POWER" 0 Discharging 57

for run in $(seq "$runs"); do
  rm -f "$QE_WORK/trace"
  (cd "$QE_CWD" && exec strace --seccomp-bpf -f -ttt -T -e trace=execve,poll,ppoll -o "$QE_WORK/trace" "$QE_PROGRAM/celwrd") \
    >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  qe_wait_caption '^57%' 20
  sleep 1
  main=$(pgrep -P "$QE_PID" -x celwrd)
  # The main thread's first poll that waited 20 ms or more: the event loop
  # had nothing left to do until a timer fell due. Only these calls stop
  # the program (seccomp), so the rest runs at full speed.
  ms=$(awk -v main="$main" '$1 == main && $3 ~ /^execve/ { t0 = $2 } $1 == main && /poll/ && /<[0-9.]+>$/ {
      match($0, /<[0-9.]+>$/); took = substr($0, RSTART + 1, RLENGTH - 2)
      if (took >= 0.020) { printf "%.1f\n", ($2 - t0) * 1000; exit } }' "$QE_WORK/trace")
  echo "start to first idle, run $run: ${ms} ms (under strace)"
  kill -TERM "$main"
  qe_wait_exit 10
done

switches() {
  local total=0 task n
  for task in /proc/"$QE_PID"/task/*; do
    n=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")
    total=$((total + n))
  done
  echo "$total"
}
threads() {
  local task
  for task in /proc/"$QE_PID"/task/*; do
    printf '%s %s\n' "$(cat "$task/comm")" "$(awk '/^voluntary/ { print $2 }' "$task/status")"
  done
}

# Idle for 20 s with the settings file's LINES: the wake-ups of each thread,
# and the memory at the end.
idle_figures() {
  local what=$1 before after
  shift
  qe_write_ini 'Cscreen.Sshowtasktray = 1' "$@"
  qe_start
  qe_wait_caption '^57%' 20
  sleep 5
  before=$(switches)
  threads >"$QE_WORK/threads.before"
  sleep 20
  after=$(switches)
  threads >"$QE_WORK/threads.after"
  echo "$what: $((after - before)) wake-ups in 20 s ($(awk '{ printf "%.2f", $1 / 200 }' <<<"$((after - before))") per 100 ms)"
  paste "$QE_WORK/threads.before" "$QE_WORK/threads.after" | awk '{ printf "  thread %-16s %d\n", $1, $4 - $2 }'
  grep -E '^VmRSS' /proc/"$QE_PID"/status | sed 's/^/  /'
  grep -E '^(Pss|Private_Dirty):' /proc/"$QE_PID"/smaps_rollup | sed 's/^/  /'
  kill -TERM "$QE_PID"
  qe_wait_exit 10
}

idle_figures "the default caption (a clock with seconds, caption and tip change every second)"
idle_figures "the charge alone in the caption" 'Cscreen.Sdisplayitems[0] = 1' 'Cscreen.Sdisplayitems[1] = 0' \
  'Cscreen.Sdisplayitems[2] = 0' 'Cscreen.Sdisplayitems[3] = 0' 'Cscreen.Sdisplayitems[4] = 0'
