#!/usr/bin/env bash
# logind's suspend, resume and shutdown, and the end of the session by a
# signal: the steps and event-script sections of each, the delay lock held
# while running and let go for the sleep, and the settings saved.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

marks=$QE_WORK/marks
# Each section runs one shell command that names it in the marks file.
lines=()
for section in BOOT START SUSPEND RESUME STOP END; do
  lines+=("[$section]" "$QE_CWD" "echo ${section,,} >> $marks")
done
qe_write_script "${lines[@]}"
marks_are() { [ "$(tr '\n' ' ' <"$marks" 2>/dev/null)" = "$1" ]; }
locked() { qe_inhibitors | grep -q "'sleep:shutdown', 'Cellwarden'.*'delay'"; }
unlocked() { ! locked; }

qe_start
qe_wait_caption '^100%' 20
qe_until 10 "boot and start did not run: $(cat "$marks" 2>/dev/null)" marks_are "boot start "
qe_until 10 "no delay lock taken at start: $(qe_inhibitors)" locked

qe_logind_signal PrepareForSleep true
qe_until 10 "the suspend steps did not run: $(cat "$marks")" marks_are "boot start suspend stop "
qe_until 10 "the lock was not let go for the sleep" unlocked
[ -f "$QE_PROGRAM/celwrd.INI" ] || qe_fail "the settings were not saved on the way down"

qe_logind_signal PrepareForSleep false
qe_until 10 "the resume steps did not run: $(cat "$marks")" marks_are "boot start suspend stop start resume "
qe_until 10 "the lock was not taken again after the resume" locked
qe_wait_caption '^100%' 10

qe_logind_signal PrepareForShutdown true
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS at shutdown"
marks_are "boot start suspend stop start resume stop end " || qe_fail "shutdown ran: $(cat "$marks")"

# A signal ends the program as the end of the session does.
rm -f "$marks" "$QE_PROGRAM/celwrd.INI"
qe_start
qe_wait_caption '^100%' 20
qe_until 10 "the second run did not start" marks_are "boot start "
kill -TERM "$QE_PID"
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS on SIGTERM"
marks_are "boot start stop end " || qe_fail "SIGTERM ran: $(cat "$marks")"
[ -f "$QE_PROGRAM/celwrd.INI" ] || qe_fail "the settings were not saved on SIGTERM"
qe_log "passed"
