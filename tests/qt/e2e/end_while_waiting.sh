#!/usr/bin/env bash
# The end of the session while the monitor waits for an event program:
# SIGTERM ends the wait at once, the end-of-session steps run (settings
# saved, the log closed, [STOP] and [END]) and the program is left running;
# during the [SUSPEND] programs the log, closed already, is not closed twice.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

marks=$QE_WORK/marks
waited=$QE_WORK/waited.pid
log=$QE_PROGRAM/CELWRD.LOG
qe_write_ini 'Clogfile.Sneedsavelogfile = 1'
qe_write_script '[BOOT]' "$QE_CWD" "echo \$\$ > $waited.tmp; mv $waited.tmp $waited; exec sleep 60" \
  '[STOP]' "$QE_CWD" "echo stop >> $marks" '[END]' "$QE_CWD" "echo end >> $marks"
# The waited program is ours to end, passed or failed.
trap 'status=$?; [ -s "$waited" ] && kill -KILL "$(cat "$waited")" 2>/dev/null; (exit $status); qe_end' EXIT

qe_start
qe_until 20 "the waited program did not start" test -s "$waited"
rm -f "$QE_PROGRAM/celwrd.INI"
kill -TERM "$QE_PID"
# Not the minute the program takes.
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS on SIGTERM"
[ "$(tr '\n' ' ' <"$marks")" = "stop end " ] || qe_fail "the end ran: $(cat "$marks" 2>/dev/null)"
[ -f "$QE_PROGRAM/celwrd.INI" ] || qe_fail "the settings were not saved"
tail -n 1 "$log" | grep -q '^\[Close logfile at' || qe_fail "the log was not closed: $(tail -n 2 "$log")"
kill -0 "$(cat "$waited")" || qe_fail "the waited program was ended with the monitor"
kill -KILL "$(cat "$waited")"
rm -f "$waited" "$marks"

# SIGTERM while a [SUSPEND] program runs: the log was closed on the way
# down, and the end of the session does not close it again.
qe_write_script '[SUSPEND]' "$QE_CWD" "echo \$\$ > $waited.tmp; mv $waited.tmp $waited; exec sleep 60" \
  '[STOP]' "$QE_CWD" "echo stop >> $marks" '[END]' "$QE_CWD" "echo end >> $marks"
qe_start
qe_wait_caption '^100%' 20
qe_logind_signal PrepareForSleep true
qe_until 20 "the suspend program did not start" test -s "$waited"
kill -TERM "$QE_PID"
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS on SIGTERM during the suspend"
[ "$(tr '\n' ' ' <"$marks")" = "stop end " ] || qe_fail "the end ran: $(cat "$marks" 2>/dev/null)"
markers=$(tr -d '\r' <"$log" | sed -n 's/^\[\(Open\|Close\) logfile at .*\]$/\1/p' | tr '\n' ' ')
[ "$markers" = "Open Close Open Close " ] || qe_fail "the log's markers are '$markers'"
qe_log "passed"
