#!/usr/bin/env bash
# The Linux program beside cbatticon (a GTK battery tray icon, Debian's
# cbatticon), each alone on the same X server, window manager, X tray
# (trayer) and fake battery, as root after scripts/test (figures in
# docs/PERFORMANCE.md):
#   start to first idle  exec to the main thread's first poll that waits
#                        20 ms or more (strace stops the program only there)
#   resident memory      VmRSS and Pss after 20 s idle
#   tests/qt/e2e/beside_cbatticon.sh [RUNS]   (5 start-ups of each by default)
export QE_TRAY_HOST=xembed
. "$(dirname "$0")/harness.sh"
qe_begin "$@"
runs=${1:-5}
for tool in strace cbatticon; do command -v $tool >/dev/null || qe_fail "$tool is missing (Debian: $tool)"; done
qe_write_ini 'Cscreen.Sshowtasktray = 1'
power_set "$QE_POWER" 0 Discharging 57
qe_until 10 "no X tray" bash -c "xdotool search --name '^panel\$' >/dev/null"

# From exec to the first poll of thread MAIN that waited 20 ms or more, in
# the trace; nothing before it happened. A poll that another thread's call
# interrupted in the trace ends in a "resumed" line stamped when it
# returned: its start is that less its length.
idle_ms() {
  awk -v main="$main" '$1 == main && $3 ~ /^execve/ { t0 = $2 } $1 == main && /poll/ && /<[0-9.]+>$/ {
    match($0, /<[0-9.]+>$/); took = substr($0, RSTART + 1, RLENGTH - 2)
    if (took >= 0.020) { printf "%.1f\n", ($2 - ($3 == "<..." ? took : 0) - t0) * 1000; exit } }' "$QE_WORK/trace"
}
went_idle() { [ -n "$(idle_ms)" ]; }
started() { main=$(pgrep -P "$QE_PID" -x "$name") && [ -n "$main" ]; }

# Runs PROGRAM once under strace until it is idle; prints the milliseconds.
first_idle() {
  rm -f "$QE_WORK/trace"
  name=$(basename "$1" | cut -c1-15)
  (cd "$QE_CWD" && exec strace --seccomp-bpf -f -ttt -T -e trace=execve,poll,ppoll -o "$QE_WORK/trace" "$1") \
    >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  qe_until 20 "$1 did not start" started
  qe_until 20 "$1 never went idle" went_idle
  idle_ms
  kill -TERM "$main"
  qe_wait_exit 10 >/dev/null
}

# Starts PROGRAM..., waits 20 s idle and prints its memory.
memory() {
  (cd "$QE_CWD" && exec "$@") >>"$QE_WORK/program.log" 2>&1 &
  QE_PID=$!
  sleep 25
  awk '/^VmRSS/ { printf "VmRSS %s kB", $2 }' /proc/"$QE_PID"/status
  awk '/^Pss:/ { printf ", Pss %s kB", $2 } /^Private_Dirty:/ { printf ", private dirty %s kB\n", $2 }' \
    /proc/"$QE_PID"/smaps_rollup
  kill -TERM "$QE_PID"
  qe_wait_exit 10 >/dev/null
}

for program in "$QE_PROGRAM/celwrd" /usr/bin/cbatticon; do
  times=()
  for run in $(seq "$runs"); do times+=("$(first_idle "$program")"); done
  echo "$(basename "$program"): start to first idle ${times[*]} ms; $(memory "$program")"
done
