#!/usr/bin/env bash
# A sleep whose resume never comes, because logind went away meanwhile:
# its going is the resume (the resume steps run, the monitor runs on), and
# the logind that comes back gives the delay lock again for the next sleep.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

marks=$QE_WORK/marks
lines=()
for section in SUSPEND RESUME; do
  lines+=("[$section]" "$QE_CWD" "echo ${section,,} >> $marks")
done
qe_write_script "${lines[@]}"
marks_are() { [ "$(tr '\n' ' ' <"$marks" 2>/dev/null)" = "$1" ]; }
locked() { qe_inhibitors | grep -q "'sleep:shutdown', 'Cellwarden'.*'delay'"; }
logind_pid() {
  gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.freedesktop.login1 | sed -n "s/^(uint32 \([0-9]*\),)$/\1/p"
}

qe_start
qe_wait_caption '^100%' 20
qe_until 10 "no delay lock taken at start" locked
qe_logind_signal PrepareForSleep true
qe_until 10 "the suspend steps did not run: $(cat "$marks" 2>/dev/null)" marks_are "suspend "

pid=$(logind_pid)
[ -n "$pid" ] || qe_fail "no logind to end"
kill -TERM "$pid"
qe_until 10 "logind's going was not taken for the resume: $(cat "$marks")" marks_are "suspend resume "
power_set "$QE_POWER" 0 Discharging 90
qe_wait_caption '^90%' 10

$QE_PYTHON -m dbusmock --template logind --system >>"$QE_WORK/logind.log" 2>&1 &
QE_PIDS+=($!)
qe_until 10 "the lock was not taken from the logind that came back: $(qe_inhibitors)" locked
qe_logind_signal PrepareForSleep true
qe_until 10 "the next sleep did not run the suspend steps: $(cat "$marks")" marks_are "suspend resume suspend "
qe_log "passed"
