#!/usr/bin/env bash
# Measures the Linux program idle on a fake battery, as root, after
# scripts/test has built it (figures in docs/PERFORMANCE.md):
#   start to first idle  from exec to the main thread's first wait for its
#                        timers, the main window made and put away (strace)
#   shown at start       from exec to the caption and to the tray icon
#   idle, side by side   over SECONDS (60) idle on the battery, with cbatticon
#                        and xfce4-power-manager running beside it where they
#                        are installed (apt-get install cbatticon
#                        xfce4-power-manager; the mock UPower gives the latter
#                        a battery): the context switches of all threads of
#                        each program per second, its CPU time per minute,
#                        and those of the X server and the window manager;
#                        with the default caption (a clock with seconds), a
#                        caption that does not change, and the display every
#                        60 s with a query every 10 s
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

now_ms() { echo $(($(date +%s%N) / 1000000)); }
tray_items() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null
}

# From exec to the caption and to the tray icon, polled every 10 ms or so.
for run in $(seq "$runs"); do
  start=$(now_ms)
  qe_start
  caption= tray=
  while [ -z "$caption" ] || [ -z "$tray" ]; do
    [ $(($(now_ms) - start)) -lt 20000 ] || qe_fail "nothing shown within 20 s"
    [ -n "$caption" ] || ! qe_caption 2>/dev/null | grep -q '^57%' || caption=$(($(now_ms) - start))
    [ -n "$tray" ] || ! tray_items | grep -q '/' || tray=$(($(now_ms) - start))
    sleep 0.01
  done
  echo "shown at start, run $run: caption after $caption ms, tray icon after $tray ms"
  kill -TERM "$QE_PID"
  qe_wait_exit 10
done

# Context switches and CPU nanoseconds of all threads of PID, together.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'; }
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
  qe_write_ini 'Cscreen.Sshowtasktray = 1' "$@"
  qe_start
  qe_wait_caption '^57%' 20
  sleep 5
  local all=("celwrd:$QE_PID" "${peers[@]}" "Xvfb:$xserver" "openbox:$wm")
  declare -A s0 c0
  for entry in "${all[@]}"; do
    pid=${entry#*:}
    s0[$pid]=$(switches "$pid") c0[$pid]=$(cpu_ns "$pid")
  done
  sleep "$seconds"
  echo "$what, $seconds s idle:"
  for entry in "${all[@]}"; do
    name=${entry%%:*} pid=${entry#*:}
    [ -d /proc/"$pid" ] || { printf '  %-20s not running\n' "$name"; continue; }
    awk -v n="$name" -v s=$(($(switches "$pid") - s0[$pid])) -v c=$(($(cpu_ns "$pid") - c0[$pid])) -v t="$seconds" \
      'BEGIN { printf "  %-20s %6.2f context switches/s  %6.1f ms CPU per minute\n", n, s / t, c / 1e6 * 60 / t }'
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
