#!/usr/bin/env bash
# The end of the session while the monitor waits for an event program:
# Windows tells every window of the program, and although the main one
# cannot answer, the end-of-session steps run (settings saved, the log
# closed, [STOP] and [END]).
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

marks=$E2E_WORK/marks.txt
m=$(wine_path "$marks")
here=$(wine_path "$E2E_WORK")
log=$E2E_PROGRAM/CELWRD.LOG
e2e_write_ini 'Clogfile.Sneedsavelogfile = 1'
e2e_write_script '[BOOT]' "$here" "MARK $m boot 60000" '[STOP]' "$here" "MARK $m stop 0" '[END]' "$here" "MARK $m end 0"
marked() { grep -qx "$1" "$marks" 2>/dev/null; }

e2e_start
e2e_until 30 "the waited program did not start" marked "boot start"
rm -f "$E2E_PROGRAM/celwrd.INI"
told=$(e2e_driver --wait 5000 logoff) || e2e_fail "no window of the program was told"
e2e_log "logoff: $told"
e2e_until 10 "the end-of-session steps did not run" marked "end end"
e2e_expect_eq "boot start
stop start
stop end
end start
end end" "$(cat "$marks")" "marks"
[ -f "$E2E_PROGRAM/celwrd.INI" ] || e2e_fail "the settings were not saved"
e2e_expect_match '^\[Close logfile at' "$(tail -n 1 "$log" | tr -d '\r')" "the last line of the log"
