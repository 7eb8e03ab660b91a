#!/usr/bin/env bash
# Measures the Linux program on a fake battery, side by side with its peers
# where they are installed (apt-get install cbatticon xfce4-power-manager;
# xfce4-power-manager gets a discharging battery from python3-dbusmock's mock
# UPower), as root after scripts/test (figures in docs/PERFORMANCE.md):
#   start to first idle  from exec to the main thread's first wait of 20 ms
#                        or more (strace, stopping each program only at exec
#                        and poll), each program alone; and the same without
#                        a tracer (first_idle.c: a clock read before exec,
#                        and a shim around poll)
#   shown at start       from exec to the program's writing the caption to
#                        the X server and registering its tray icon (strace)
#   idle, side by side   over SECONDS (60) idle, every program running: the
#                        context switches of all threads of each program per
#                        second and its CPU time per minute, and those of the
#                        X server and the window manager; the program's
#                        switches also per thread, voluntary and not. One row
#                        per setting: the display every 60 s with a query
#                        every 10 s, a caption that does not change, the
#                        defaults (a clock with seconds), and the defaults
#                        with a panel that reads each new tip back; and, in
#                        the program's place, title_each_second.c: what one
#                        title change a second costs the X server and the
#                        window manager at the least, and bare_window.cpp: a
#                        Qt Widgets program that does only that (the least a
#                        Qt program costs here, also at start and in memory)
#   resident memory      VmRSS and Pss of each program at the end of the
#                        defaults' row (the bare Qt window's at the end of
#                        its own)
# The figures end in one table, a row per setting, a column per program.
#   tests/qt/e2e/measure.sh [RUNS [SECONDS]]   (5 start-ups, 60 s by default)
. "$(dirname "$0")/harness.sh"
qe_begin "$@"
runs=${1:-5}
seconds=${2:-60}
command -v strace >/dev/null || qe_fail "strace is missing (Debian: strace)"
qe_write_ini 'Cscreen.Sshowtasktray = 1'
power_set "$QE_POWER" 0 Discharging 57

# ----- the peers

peers=()
command -v cbatticon >/dev/null && peers+=(cbatticon)
if command -v xfce4-power-manager >/dev/null; then
  $QE_PYTHON -m dbusmock --template upower --system >"$QE_WORK/upower.log" 2>&1 &
  QE_PIDS+=($!)
  upower_up() {
    gdbus introspect --system --dest org.freedesktop.UPower --object-path /org/freedesktop/UPower >/dev/null 2>&1
  }
  qe_until 10 "the mock UPower did not start" upower_up
  gdbus call --system --dest org.freedesktop.UPower --object-path /org/freedesktop/UPower \
    --method org.freedesktop.DBus.Mock.AddDischargingBattery BAT0 Battery 57.0 3600 >/dev/null
  peers+=(xfce4-power-manager)
fi
peer_command() {
  case $1 in
    xfce4-power-manager) echo "xfce4-power-manager --no-daemon" ;;
    *) command -v "$1" ;;
  esac
}

# ----- start to first idle

# From exec to the first poll of thread MAIN that waited 20 ms or more. A
# poll that another thread's call interrupted in the trace ends in a
# "resumed" line stamped when it returned: its start is that less its length.
idle_ms() {
  awk -v main="$main" '$1 == main && $3 ~ /^execve/ { t0 = $2 } $1 == main && /poll/ && /<[0-9.]+>$/ {
    match($0, /<[0-9.]+>$/); took = substr($0, RSTART + 1, RLENGTH - 2)
    if (took >= 0.020) { printf "%.1f\n", ($2 - ($3 == "<..." ? took : 0) - t0) * 1000; exit } }' "$QE_WORK/trace"
}
went_idle() { [ -n "$(idle_ms)" ]; }
started() { main=$(pgrep -P "$QE_PID" | head -n 1) && [ -n "$main" ]; }

# Runs COMMAND... once under strace until it is idle; prints the milliseconds.
# strace writes a call when it returns: a program whose first wait lasts
# minutes (xfce4-power-manager waits for its bus) has it written when the
# program is ended, 5 s after its start at the latest.
first_idle() {
  rm -f "$QE_WORK/trace"
  (cd "$QE_CWD" && exec strace --seccomp-bpf -f -ttt -T -e trace=execve,poll,ppoll -o "$QE_WORK/trace" "$@") \
    >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  qe_until 20 "$1 did not start" started
  wine_wait_for 5 went_idle || true
  kill -TERM "$main"
  qe_wait_exit 10 >/dev/null
  idle_ms
}

bare=()
if c++ -O2 -fPIC -o "$QE_WORK/bare_window" "$QE_SOURCE/tests/qt/e2e/bare_window.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets); then
  bare=("bare Qt window")
fi
# Starts every program RUNS times, interleaved, each measured by MEASURE
# (a function given the command); the figures go to the array named INTO,
# a line per program to the output with LABEL.
start_figures() {
  local measure=$1 label=$2 program ms
  local -n into=$3
  for run in $(seq "$runs"); do
    for program in celwrd "${peers[@]}" "${bare[@]}"; do
      case $program in
        celwrd) ms=$($measure "$QE_PROGRAM/celwrd") ;;
        "bare Qt window") ms=$($measure "$QE_WORK/bare_window") ;;
        *) ms=$($measure $(peer_command "$program")) ;;
      esac
      into[$program]+="${into[$program]:+ }${ms:-none}"
    done
  done
  for program in celwrd "${peers[@]}" "${bare[@]}"; do
    echo "start to first idle, $program: ${into[$program]} ms ($label)"
  done
}
declare -A start untraced
start_figures first_idle "under strace" start

# The same without a tracer: first_idle.c's launcher and shim note the main
# thread's first 20 ms with nothing to do.
first_idle_untraced() {
  local out=$QE_WORK/untraced lines
  lines=$(cat "$out" 2>/dev/null | wc -l)
  (cd "$QE_CWD" && exec "$QE_WORK/first_idle" "$out" "$@") >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  told() { [ "$(cat "$out" 2>/dev/null | wc -l)" -gt "$lines" ]; }
  wine_wait_for 5 told || true
  kill -TERM "$QE_PID"
  qe_wait_exit 10 >/dev/null
  told && tail -n 1 "$out"
}
if cc -O2 -DLAUNCHER -o "$QE_WORK/first_idle" "$QE_SOURCE/tests/qt/e2e/first_idle.c" &&
    cc -O2 -shared -fPIC -o "$QE_WORK/first_idle.so" "$QE_SOURCE/tests/qt/e2e/first_idle.c" -ldl; then
  start_figures first_idle_untraced "no tracer" untraced
fi

# ----- shown at start

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

# ----- idle, side by side

# Context switches and CPU nanoseconds of all threads of PID, together.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'; }
voluntary() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt/ { n += $2 } END { print n + 0 }'; }
thread_switches() { awk '/^voluntary_ctxt/ { v = $2 } /^nonvoluntary_ctxt/ { n = $2 } END { print v, n }' "$1"/status; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d\n", n }'; }

pid_named() {
  local pid
  for pid in "${QE_PIDS[@]}" "$@"; do
    [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = "$WANT" ] && { echo "$pid"; return; }
  done
}

# The peers, started once and left running through every row.
running=()
for program in "${peers[@]}"; do
  $(peer_command "$program") >"$QE_WORK/$program.log" 2>&1 &
  QE_PIDS+=($!)
  running+=("$program:$!")
done
if [[ " ${peers[*]} " == *" xfce4-power-manager "* ]]; then
  read_battery() { grep -q 'GetAll /org/freedesktop/UPower/devices/BAT0' "$QE_WORK/upower.log"; }
  qe_until 10 "xfce4-power-manager did not read the mock UPower's battery" read_battery
fi
WANT=Xvfb xserver=$(pid_named "$WINE_XVFB_PID")
WANT=openbox wm=$(pid_named)

# One figure of the table: "2.40/s (1.85), 23.6 ms", the switches a second
# with the voluntary ones in brackets, and the CPU per minute.
declare -A table
rows=()

# Idle for SECONDS with the settings file's LINES, side by side; ROW names
# the row of the table.
idle_figures() {
  local row=$1 entry name pid
  shift
  rows+=("$row")
  if [ "$1" = --reference ]; then
    "$QE_WORK/title_each_second" &
    QE_PID=$!
  elif [ "$1" = --bare ]; then
    "$QE_WORK/bare_window" >>"$QE_WORK/program.log" 2>&1 &
    QE_PID=$!
  else
    qe_write_ini 'Cscreen.Sshowtasktray = 1' "$@"
    qe_start
    qe_wait_caption '^57%' 20
  fi
  sleep 5
  local all=("$(cat /proc/"$QE_PID"/comm):$QE_PID" "${running[@]}" "Xvfb:$xserver" "openbox:$wm")
  declare -A s0 v0 c0
  for entry in "${all[@]}"; do
    pid=${entry#*:}
    s0[$pid]=$(switches "$pid") v0[$pid]=$(voluntary "$pid") c0[$pid]=$(cpu_ns "$pid")
  done
  local threads=() task
  for task in /proc/"$QE_PID"/task/*; do threads+=("$task $(cat "$task"/comm) $(thread_switches "$task")"); done
  sleep "$seconds"
  echo "$row, $seconds s idle:"
  for entry in "${all[@]}"; do
    name=${entry%%:*} pid=${entry#*:}
    [ "$name" = title_each_seco ] || [ "$name" = bare_window ] && name=celwrd
    [ -d /proc/"$pid" ] || { printf '  %-20s not running\n' "$name"; table[$row,$name]="not running"; continue; }
    table[$row,$name]=$(awk -v s=$(($(switches "$pid") - s0[$pid])) -v v=$(($(voluntary "$pid") - v0[$pid])) \
      -v c=$(($(cpu_ns "$pid") - c0[$pid])) -v t="$seconds" \
      'BEGIN { printf "%.2f/s (%.2f), %.1f ms", s / t, v / t, c / 1e6 * 60 / t }')
    printf '  %-20s %s\n' "$name" "${table[$row,$name]}"
  done
  # Per thread of the program: where its switches are.
  for entry in "${threads[@]}"; do
    awk -v e="$entry" -v now="$(thread_switches "${entry%% *}")" -v t="$seconds" 'BEGIN { split(e, a, " "); split(now, b, " ")
      printf "    %-18s %5.2f/s voluntary %5.2f/s involuntary\n", a[2], (b[1] - a[3]) / t, (b[2] - a[4]) / t }'
  done
  local measured=()
  [ "$row" = "defaults (a clock with seconds)" ] && measured=("celwrd:$QE_PID" "${running[@]}")
  [ "$1" = --bare ] && measured=("bare Qt window:$QE_PID")
  if [ ${#measured[@]} -gt 0 ]; then
    for entry in "${measured[@]}"; do
      name=${entry%%:*} pid=${entry#*:}
      memory[$name]=$(awk '/^VmRSS/ { printf "%.1f MB", $2 / 1024 }' /proc/"$pid"/status)
      memory[$name]+=$(awk '/^Pss:/ { printf " (Pss %.1f MB)", $2 / 1024 }' /proc/"$pid"/smaps_rollup)
      echo "  resident memory, $name: ${memory[$name]}"
    done
  fi
  kill -TERM "$QE_PID"
  qe_wait_exit 10
}

declare -A memory
idle_figures "display every 60 s, a query every 10 s" 'Cscreen.Sdisplayinterval = 60000' \
  'Cbattery.Scheckinterval = 10000'
idle_figures "a caption that does not change" 'Cscreen.Sdisplayitems[0] = 1' \
  'Cscreen.Sdisplayitems[1] = 0' 'Cscreen.Sdisplayitems[2] = 0' 'Cscreen.Sdisplayitems[3] = 0' \
  'Cscreen.Sdisplayitems[4] = 0'
idle_figures "defaults (a clock with seconds)"
$QE_TRAY follow &
follower=$!
QE_PIDS+=($follower)
idle_figures "defaults, a panel reading each new tip back"
wine_end_pid "$follower" 5
if cc -O2 -o "$QE_WORK/title_each_second" "$QE_SOURCE/tests/qt/e2e/title_each_second.c" -lxcb; then
  idle_figures "in celwrd's place, a window whose title changes once a second" --reference
fi
[ ${#bare[@]} -eq 0 ] || idle_figures "in celwrd's place, a bare Qt window whose title changes once a second" --bare

# ----- the table

columns=(celwrd "${peers[@]}" "${bare[@]}" Xvfb openbox)
echo
echo "context switches a second (voluntary), CPU per minute; $seconds s idle each"
printf '| %s |' "Settings"
for name in "${columns[@]}"; do printf ' %s |' "$name"; done
echo
printf '|---|'
for name in "${columns[@]}"; do printf -- '---|'; done
echo
for row in "${rows[@]}"; do
  printf '| %s |' "$row"
  for name in "${columns[@]}"; do printf ' %s |' "${table[$row,$name]:-}"; done
  echo
done
printf '| start to first idle (ms, under strace) |'
for name in "${columns[@]}"; do printf ' %s |' "${start[$name]:-}"; done
echo
printf '| start to first idle (ms, no tracer) |'
for name in "${columns[@]}"; do printf ' %s |' "${untraced[$name]:-}"; done
echo
printf '| resident memory after the defaults |'
for name in "${columns[@]}"; do printf ' %s |' "${memory[$name]:-}"; done
echo
