#!/usr/bin/env bash
# Measures the Linux program idle on a fake battery, as root, after
# scripts/test has built it (figures in docs/PERFORMANCE.md):
#   start to first idle  from exec to the main thread's first wait for its
#                        timers, the main window made and put away (strace)
#   shown at start       from exec to the program's writing the caption to
#                        the X server and registering its tray icon (strace)
#   idle, side by side   over SECONDS (60) idle on the battery, with cbatticon
#                        and xfce4-power-manager running beside it where they
#                        are installed (apt-get install cbatticon
#                        xfce4-power-manager; the mock UPower gives the latter
#                        a battery): the context switches of all threads of
#                        each program per second, its CPU time per minute,
#                        and those of the X server and the window manager;
#                        with the default caption (a clock with seconds), a
#                        caption that does not change, and the display every
#                        60 s with a query every 10 s; the program's
#                        switches also per thread, voluntary and not; and,
#                        in the program's place, title_each_second.c: what
#                        one title change a second costs the X server and
#                        the window manager at the least; last, the default
#                        settings with a panel that reads each new tip back
#   resident memory      VmRSS and Pss at the end of the default run
#   tests/qt/e2e/measure.sh [RUNS [SECONDS]]   (5 start-ups, 60 s by default)
. "$(dirname "$0")/harness.sh"
qe_begin "$@"
runs=${1:-5}
seconds=${2:-60}
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

# From exec to the program's handing the caption to the X server (the
# first write of a title with the status) and registering its tray icon on
# the bus, from its own system calls: strace stops it only at these.
for run in $(seq "$runs"); do
  rm -f "$QE_WORK/shown"
  (cd "$QE_CWD" && exec strace --seccomp-bpf -f -ttt -s 512 -e trace=execve,writev,sendmsg -o "$QE_WORK/shown" \
    "$QE_PROGRAM/celwrd") >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  qe_wait_caption '^57%' 20
  qe_until 10 "no tray icon registered" $QE_TRAY tip
  awk -v run="$run" '/execve\(/ && !t0 { t0 = $2 } /writev\(/ && /57%/ && !c { c = $2 }
      /sendmsg\(/ && /RegisterStatusNotifierItem/ && !r { r = $2 }
      END { printf "shown at start, run %d: caption after %.0f ms, tray icon after %.0f ms (under strace)\n",
                   run, (c - t0) * 1000, (r - t0) * 1000 }' "$QE_WORK/shown"
  kill -TERM "$(pgrep -P "$QE_PID" -x celwrd)"
  qe_wait_exit 10
done

# Context switches and CPU nanoseconds of all threads of PID, together.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'; }
thread_switches() { awk '/^voluntary_ctxt/ { v = $2 } /^nonvoluntary_ctxt/ { n = $2 } END { print v, n }' "$1"/status; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d\n", n }'; }

pid_named() {
  local pid
  for pid in "${QE_PIDS[@]}" "$@"; do
    [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = "$WANT" ] && { echo "$pid"; return; }
  done
}

# The peers, started once and left running through every settings run.
peers=()
if command -v cbatticon >/dev/null; then
  cbatticon >"$QE_WORK/cbatticon.log" 2>&1 &
  QE_PIDS+=($!)
  peers+=("cbatticon:$!")
fi
if command -v xfce4-power-manager >/dev/null; then
  $QE_PYTHON -m dbusmock --template upower --system >"$QE_WORK/upower.log" 2>&1 &
  QE_PIDS+=($!)
  wine_wait_for 10 gdbus introspect --system --dest org.freedesktop.UPower --object-path /org/freedesktop/UPower \
    >/dev/null || qe_fail "the mock UPower did not start"
  gdbus call --system --dest org.freedesktop.UPower --object-path /org/freedesktop/UPower \
    --method org.freedesktop.DBus.Mock.AddDischargingBattery BAT0 Battery 57.0 3600 >/dev/null
  xfce4-power-manager --no-daemon >"$QE_WORK/xfce4-power-manager.log" 2>&1 &
  QE_PIDS+=($!)
  peers+=("xfce4-power-manager:$!")
fi
WANT=Xvfb xserver=$(pid_named "$WINE_XVFB_PID")
WANT=openbox wm=$(pid_named)

# Idle for SECONDS with the settings file's LINES, side by side.
idle_figures() {
  local what=$1 entry name pid
  shift
  if [ "$1" = --reference ]; then
    "$QE_WORK/title_each_second" &
    QE_PID=$!
  else
    qe_write_ini 'Cscreen.Sshowtasktray = 1' "$@"
    qe_start
    qe_wait_caption '^57%' 20
  fi
  sleep 5
  local all=("$(cat /proc/"$QE_PID"/comm):$QE_PID" "${peers[@]}" "Xvfb:$xserver" "openbox:$wm")
  declare -A s0 c0
  for entry in "${all[@]}"; do
    pid=${entry#*:}
    s0[$pid]=$(switches "$pid") c0[$pid]=$(cpu_ns "$pid")
  done
  local threads=() task
  for task in /proc/"$QE_PID"/task/*; do threads+=("$task $(cat "$task"/comm) $(thread_switches "$task")"); done
  sleep "$seconds"
  echo "$what, $seconds s idle:"
  for entry in "${all[@]}"; do
    name=${entry%%:*} pid=${entry#*:}
    [ -d /proc/"$pid" ] || { printf '  %-20s not running\n' "$name"; continue; }
    awk -v n="$name" -v s=$(($(switches "$pid") - s0[$pid])) -v c=$(($(cpu_ns "$pid") - c0[$pid])) -v t="$seconds" \
      'BEGIN { printf "  %-20s %6.2f context switches/s  %6.1f ms CPU per minute\n", n, s / t, c / 1e6 * 60 / t }'
  done
  # Per thread of the program: where its switches are.
  for entry in "${threads[@]}"; do
    awk -v e="$entry" -v now="$(thread_switches "${entry%% *}")" -v t="$seconds" 'BEGIN { split(e, a, " "); split(now, b, " ")
      printf "    %-18s %5.2f/s voluntary %5.2f/s involuntary\n", a[2], (b[1] - a[3]) / t, (b[2] - a[4]) / t }'
  done
  if [ "$what" = "default settings" ]; then
    grep -E '^VmRSS' /proc/"$QE_PID"/status | sed 's/^/  celwrd /'
    grep -E '^(Pss|Private_Dirty):' /proc/"$QE_PID"/smaps_rollup | sed 's/^/  celwrd /'
  fi
  kill -TERM "$QE_PID"
  qe_wait_exit 10
}

idle_figures "default settings"
idle_figures "a caption that does not change (the charge alone)" 'Cscreen.Sdisplayitems[0] = 1' \
  'Cscreen.Sdisplayitems[1] = 0' 'Cscreen.Sdisplayitems[2] = 0' 'Cscreen.Sdisplayitems[3] = 0' \
  'Cscreen.Sdisplayitems[4] = 0'
idle_figures "display every 60 s, a query every 10 s" 'Cscreen.Sdisplayinterval = 60000' \
  'Cbattery.Scheckinterval = 10000'
if cc -O2 -o "$QE_WORK/title_each_second" "$QE_SOURCE/tests/qt/e2e/title_each_second.c" -lxcb; then
  idle_figures "a window of its own whose title changes once a second, nothing else" --reference
fi
$QE_TRAY follow &
QE_PIDS+=($!)
idle_figures "default settings, a panel reading each new tip back"
