#!/usr/bin/env bash
# The two options: "-$" empties the trace file and writes a line for each
# activation of the main window; "-a" (either case) on battery waits, and
# ends the program as soon as mains power comes.
. "$(dirname "$0")/harness.sh"
e2e_begin "$@"

trace=$E2E_PROGRAM/CELWRDDB.LOG
echo "from an earlier run" >"$trace"
power_set "$E2E_POWER" 0 Discharging 50
e2e_start '-$'
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window"
# Each step once the window shows it, so that each activation is traced.
main_is() { [ "$(e2e_driver windows | awk '$1 == "unowned" { print $3; exit }')" = "$1" ]; }
e2e_driver restore
e2e_until 5 "the main window was not restored" main_is normal
e2e_driver press 2
e2e_until 5 "Cancel did not minimise the main window" main_is minimised
e2e_driver tray left
e2e_until 5 "the tray click did not show the main window" main_is normal
e2e_driver exit
e2e_wait_exit 20
grep -q 'earlier' "$trace" && e2e_fail "the trace file was not emptied"
grep -q $'\r' "$trace" && e2e_fail "the trace file has CR line ends"
[ "$(grep -c . "$trace")" -ge 2 ] || e2e_fail "too few activations traced: $(cat "$trace")"
bad=$(grep -Ev '^ACTIVATE [0-9A-F]{8} [0-9A-F]{8}$' "$trace") && e2e_fail "bad trace lines: $bad"
grep -Eq '^ACTIVATE [0-9A-F]{4}0001 ' "$trace" || e2e_fail "no activation traced: $(cat "$trace")"
grep -Eq '^ACTIVATE [0-9A-F]{4}0000 ' "$trace" || e2e_fail "no deactivation traced: $(cat "$trace")"

# -a on battery: runs until mains power comes.
rm -f "$trace"
e2e_start -a
e2e_driver --wait 30000 caption >/dev/null || e2e_fail "no main window with -a on battery"
sleep 2
wine_pid_gone "$E2E_PID" && e2e_fail "-a ended the program on battery"
power_set "$E2E_POWER" 1 Charging 50
sleep 2
wine_pid_gone "$E2E_PID" && e2e_fail "-a ended the program while charging"
power_set "$E2E_POWER" 1 "Not charging" 50
e2e_wait_exit 10
e2e_expect_eq 0 "$E2E_STATUS" "exit code with -a"
[ -e "$trace" ] && e2e_fail "a trace file without -\$"
exit 0
